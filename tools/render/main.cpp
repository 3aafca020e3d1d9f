// petalstream-render: grows the meadow without a display and writes what the window shows.
//
//   petalstream-render --width 1280 --height 720 --seed 7 --ticks 3000 -o meadow.png
//
// The settings are those of a fresh installation unless an option says otherwise. --every N
// also writes every Nth frame (meadow-000120.png, ...). An output ending in .gif is written as
// a one-frame GIF with a 256-colour table.
#include <QGuiApplication>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "animation/frmMain.h"
#include "imagewriters.h"
#include "qt_text.h"

namespace {

using namespace ps;

struct Options {
  int width = 1280, height = 720;
  std::uint64_t seed = 1;
  long long ticks = 2000;
  long long every = 0;
  bool text = true;
  std::filesystem::path resources = headless::sourceResources();
  std::filesystem::path output = "meadow.png";
  std::map<std::string, std::string> settings;  // store key -> text
};

const char* const kUsage =
    "usage: petalstream-render [options] -o OUT.png|OUT.gif\n"
    "  --width N --height N   client size in pixels (1280 x 720)\n"
    "  --seed N               the random sequence (1)\n"
    "  --ticks N              timer ticks to run (2000)\n"
    "  --every N              also write every Nth frame as OUT-<tick>.png\n"
    "  --background 0-4       black, blue, green, desktop, random (4)\n"
    "  --maxfl N --speed S    flowers (10) and speed (10)\n"
    "  --date 0|1 --time 0|1  print the date, the time (1, 1)\n"
    "  --rtime S              restart the meadow every S seconds (600; 0: never)\n"
    "  --no-text              draw no text (pictures that do not depend on fonts)\n"
    "  --resources DIR        the resources folder (the source tree's)\n";

[[noreturn]] void usage(const std::string& problem) {
  std::cerr << "petalstream-render: " << problem << "\n" << kUsage;
  std::exit(2);
}

long long number(const std::string& option, const std::string& text) {
  long long v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) {
    usage(option + " wants a whole number, not \"" + text + "\"");
  }
  return v;
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (a == "--no-text") {
      o.text = false;
      continue;
    }
    if (i + 1 >= argc) usage(a + " wants a value");
    std::string v = argv[++i];
    if (a == "--width") {
      o.width = static_cast<int>(number(a, v));
    } else if (a == "--height") {
      o.height = static_cast<int>(number(a, v));
    } else if (a == "--seed") {
      o.seed = static_cast<std::uint64_t>(number(a, v));
    } else if (a == "--ticks") {
      o.ticks = number(a, v);
    } else if (a == "--every") {
      o.every = number(a, v);
    } else if (a == "--background") {
      o.settings["Background"] = std::to_string(number(a, v));
    } else if (a == "--maxfl") {
      o.settings["maxFl"] = std::to_string(number(a, v));
    } else if (a == "--speed") {
      o.settings["SpeedF"] = v;  // read as the settings store reads it
    } else if (a == "--date") {
      o.settings["Date"] = std::to_string(number(a, v));
    } else if (a == "--time") {
      o.settings["Time"] = std::to_string(number(a, v));
    } else if (a == "--rtime") {
      long long s = number(a, v);
      o.settings["Restart"].assign(1, s > 0 ? '1' : '0');
      o.settings["rTime"] = std::to_string(s);
    } else if (a == "--resources") {
      o.resources = v;
    } else if (a == "-o" || a == "--output") {
      o.output = v;
    } else {
      usage("unknown option " + a);
    }
  }
  if (o.width < 1 || o.height < 1 || o.width > 16384 || o.height > 16384) {
    usage("the size must lie from 1 to 16384 pixels");
  }
  if (o.ticks < 0 || o.every < 0) usage("ticks and every cannot be negative");
  return o;
}

void write(const Surface& s, const std::filesystem::path& path) {
  art::RgbImage image(s.width(), s.height());
  for (int y = 0; y < s.height(); ++y) {
    for (int x = 0; x < s.width(); ++x) image.at(x, y) = s.at(x, y) & 0xFFFFFF;
  }
  std::string ext = path.extension().string();
  if (ext == ".gif" || ext == ".GIF") {
    art::writeFile(path, art::encodeGif(art::quantize(image, 256)));
  } else {
    art::writeFile(path, art::encodePng(image));
  }
}

std::filesystem::path frameName(const std::filesystem::path& out, long long tick) {
  char n[32];
  std::snprintf(n, sizeof n, "-%06lld", tick);
  std::filesystem::path p = out;
  p.replace_filename(out.stem().string() + n + ".png");
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  // Text needs a font database, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  headless::QtTextPlatform os(o.resources);
  os.drawTexts = o.text;
  os.screen = SizeF{static_cast<float>(o.width), static_cast<float>(o.height)};
  os.store = o.settings;
  try {
    headless::Meadow meadow(os, o.seed, o.width, o.height);
    for (long long t = 1; t <= o.ticks; ++t) {
      meadow.tick();
      if (o.every > 0 && t % o.every == 0) write(meadow.main().window(), frameName(o.output, t));
    }
    // Without ticks the window shows the bare background of the layout pass.
    write(meadow.main().window(), o.output);
  } catch (const ProgramEnd& e) {
    std::cerr << "petalstream-render: the meadow ended (code " << e.code << ")\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "petalstream-render: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
