#include "backends/qt/launch.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "errors/ErrPtnr.h"
#include "platform/runtime.h"

namespace ps::qt {

bool parseWindowId(const std::string& text, std::uint32_t& id) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v == 0 || v > 0x1FFFFFFFu) return false;
  id = static_cast<std::uint32_t>(v);  // X ids have 29 bits: they fit the program's handles
  return true;
}

namespace {

// "-name" and "--name" alike, as X programs and GNU programs write them.
std::string optionName(const std::string& arg) {
  if (arg.rfind("--", 0) == 0) return arg.substr(2);
  if (arg.rfind("-", 0) == 0) return arg.substr(1);
  return {};
}

// A decimal number in [lo, hi] (a comma counts as the decimal point, as a German locale may
// write it); false when the text is none or lies outside.
bool numberIn(std::string text, double lo, double hi, bool whole, double& value) {
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (text.empty() || ec != std::errc() || end != last) return false;
  if (whole && value != static_cast<double>(static_cast<long long>(value))) return false;
  // The float slider's steps are tenths: a hair's breadth below the least still counts.
  return value >= lo - 1e-6 && value <= hi + 1e-6;
}

const char* const kBackgrounds[] = {"black", "blue", "green", "desktop", "random"};

// One of the hack's own options at args[i] (its value may follow): the store's key and text
// in `l.settings`. False when args[i] is none of them; an error in `l.error` when its value
// is wrong.
bool hackOption(const std::vector<std::string>& args, size_t& i, Launch& l) {
  std::string name = optionName(args[i]);
  std::string value;
  bool inlineValue = false;
  if (size_t eq = name.find('='); eq != std::string::npos) {
    value = name.substr(eq + 1);
    name.resize(eq);
    inlineValue = true;
  }
  auto take = [&l](const char* key, std::string text) {
    l.settings[key] = std::move(text);
    return true;
  };
  static const std::pair<const char*, const char*> switches[] = {
      {"date", "Date"}, {"time", "Time"}, {"restart", "Restart"}};
  for (const auto& [option, key] : switches) {
    if (inlineValue) break;
    if (name == option) return take(key, "1");
    if (name == std::string("no-") + option) return take(key, "0");
  }
  if (name != "flowers" && name != "speed" && name != "background" && name != "restart-minutes") {
    return false;
  }
  if (!inlineValue) {
    if (i + 1 >= args.size()) {
      l.error = args[i] + " needs a value (petalstream --help)";
      return true;
    }
    value = args[++i];
  }
  double v = 0;
  if (name == "flowers") {
    if (numberIn(value, 2, 10, true, v)) return take("maxFl", std::to_string(static_cast<int>(v)));
    l.error = "-flowers takes a whole number from 2 to 10, not '" + value + "'";
  } else if (name == "speed") {
    if (numberIn(value, 0.1, 10, false, v)) {
      return take("SpeedF", formatSingle(static_cast<float>(v)));
    }
    l.error = "-speed takes a number from 0.1 to 10, not '" + value + "'";
  } else if (name == "restart-minutes") {
    if (numberIn(value, 1, 99, true, v)) {
      return take("rTime", std::to_string(static_cast<int>(v) * 60));
    }
    l.error = "-restart-minutes takes a whole number from 1 to 99, not '" + value + "'";
  } else {
    for (int k = 0; k < 5; ++k) {
      if (value == kBackgrounds[k]) return take("Background", std::to_string(k));
    }
    l.error = "-background takes black, blue, green, desktop or random, not '" + value + "'";
  }
  return true;
}

}  // namespace

Launch interpretLaunch(const std::vector<std::string>& args, const char* xsWindow) {
  Launch l;
  bool windowIdGiven = false;
  bool windowsSwitch = false;
  std::string firstHackOption;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string name = optionName(a);
    if (name == "h" || name == "help") {
      l.help = true;
    } else if (name == "version") {
      l.version = true;
    } else if (name == "root") {
      l.xscreensaver = true;
    } else if (name == "window-id" || name.rfind("window-id=", 0) == 0) {
      std::string id;
      size_t eq = name.find('=');
      if (eq != std::string::npos) {
        id = name.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        id = args[++i];
      }
      if (!parseWindowId(id, l.window)) {
        l.error = "-window-id needs the id of an X window (decimal or 0x...), not '" + id + "'";
        return l;
      }
      l.xscreensaver = true;
      windowIdGiven = true;
    } else if (!name.empty() && hackOption(args, i, l)) {
      if (!l.error.empty()) return l;
      if (firstHackOption.empty()) firstHackOption = a;
    } else if (a.rfind("/", 0) == 0) {
      windowsSwitch = true;
    }
  }
  if (l.help || l.version) return l;
  if (!l.xscreensaver && !windowsSwitch && xsWindow != nullptr && *xsWindow != '\0') {
    l.xscreensaver = true;  // started by XScreenSaver with its variable and no switch of ours
  }
  if (!l.xscreensaver) {
    if (!firstHackOption.empty()) {
      l.error = firstHackOption +
                " is an option of the XScreenSaver hack: give -root or -window-id ID with it "
                "(the settings dialog, petalstream /C, sets it for the other modes)";
      return l;
    }
    for (size_t i = 0; i < args.size(); ++i) {
      if (i > 0) l.commandLine += ' ';
      l.commandLine += args[i];
    }
    return l;
  }
  // XScreenSaver's other options (-fps, -install, -visual ...) change nothing here.
  l.commandLine = "/S";
  if (!windowIdGiven) {
    if (xsWindow != nullptr && *xsWindow != '\0') {
      if (!parseWindowId(xsWindow, l.window)) {
        l.error = std::string("XSCREENSAVER_WINDOW is no X window id: '") + xsWindow + "'";
        return l;
      }
    } else {
      l.root = true;
    }
  }
  return l;
}

const char* usageText() {
  return "Usage: petalstream [SWITCH]\n"
         "  /S or nothing   the screensaver, full screen; a key, a click or moving the mouse\n"
         "                  ends it\n"
         "  /C              the settings dialog\n"
         "  /P ID           the preview picture inside the X window ID (ends with it)\n"
         "  -root           as an XScreenSaver hack: draw into $XSCREENSAVER_WINDOW, or over\n"
         "                  the root window\n"
         "  -window-id ID   as an XScreenSaver hack: draw into the X window ID\n"
         "  -h, -help, --help   this text          --version   the version\n"
         "The hack's options, which it takes over the settings stored by /C:\n"
         "  -flowers N (2 to 10)   -speed X (0.1 to 10)   -restart-minutes N (1 to 99)\n"
         "  -background black|blue|green|desktop|random\n"
         "  -date, -no-date   -time, -no-time   -restart, -no-restart\n"
         "Without a display, petalstream-render draws the meadow into image files.\n";
}

std::string versionLine() {
  return "petalstream " + std::to_string(ProgramVersion::major) + "." +
         std::to_string(ProgramVersion::minor) + "." + std::to_string(ProgramVersion::revision) +
         "\n";
}

}  // namespace ps::qt
