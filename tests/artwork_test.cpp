// The committed artwork as the program loads it: sizes, masks, colour counts, the strips' exact
// colour table and bands (read with a decoder of its own, not the program's), and resource
// scripts that name only files that exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/frmInfo.h"
#include "errors/ErrPtnr.h"
#include "platform/imagecodec.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kResources = fs::path(PETALSTREAM_SOURCE_DIR) / "resources";

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const Bytes& b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return v;
}

std::size_t colourCount(const ps::Image& im) {
  return std::set<std::uint32_t>(im.pixels.begin(), im.pixels.end()).size();
}

TEST(Artwork, EverySpriteIsA32PixelIconWithMaskStandingOnTheGround) {
  Bytes firstPalette;
  for (int n = 101; n <= 200; ++n) {
    SCOPED_TRACE("sprite " + std::to_string(n));
    const Bytes file = readFile(kResources / "sprites" / (std::to_string(n) + ".ico"));
    const ps::Image im = ps::decodeIco(file);
    ASSERT_EQ(im.width, 32);
    ASSERT_EQ(im.height, 32);
    ASSERT_TRUE(im.hasMask());
    std::size_t opaque = 0;
    bool onGround = false;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (im.transparent(x, y)) {
          EXPECT_EQ(im.at(x, y), 0u) << "transparent pixels are black, at " << x << "," << y;
        } else {
          ++opaque;
          onGround = onGround || y == 31;
        }
      }
    }
    EXPECT_GT(opaque, 40u);
    EXPECT_LT(opaque, 32u * 32u);
    EXPECT_TRUE(onGround) << "stem or blades reach the bottom row";

    // One 8-bit image, and the same 256-colour palette in every sprite.
    EXPECT_EQ(le(file, 4, 2), 1u);
    EXPECT_EQ(le(file, 6 + 16 + 14, 2), 8u);
    const Bytes palette(file.begin() + 6 + 16 + 40, file.begin() + 6 + 16 + 40 + 1024);
    if (firstPalette.empty()) firstPalette = palette;
    EXPECT_EQ(palette, firstPalette);
  }
}

// Reads a 4-bit RLE bitmap file on its own: palette and rows of colour indices, top row first.
struct Rle4Bitmap {
  std::vector<std::uint32_t> palette;
  std::vector<std::vector<int>> rows;
};

Rle4Bitmap readRle4(const Bytes& f) {
  Rle4Bitmap bm;
  EXPECT_EQ(f.at(0), 'B');
  EXPECT_EQ(le(f, 14, 4), 40u);
  const int w = static_cast<int>(le(f, 18, 4)), h = static_cast<int>(le(f, 22, 4));
  EXPECT_EQ(le(f, 28, 2), 4u) << "bits per pixel";
  EXPECT_EQ(le(f, 30, 4), 2u) << "BI_RLE4";
  for (std::size_t i = 0; i < 16; ++i) bm.palette.push_back(le(f, 54 + 4 * i, 3));
  bm.rows.assign(static_cast<std::size_t>(h), std::vector<int>(static_cast<std::size_t>(w), -1));
  std::size_t p = le(f, 10, 4);
  int x = 0, row = h - 1;
  for (;;) {
    const int a = f.at(p), b = f.at(p + 1);
    p += 2;
    if (a > 0) {
      for (int i = 0; i < a; ++i, ++x) bm.rows.at(row).at(x) = i % 2 ? b & 15 : b >> 4;
    } else if (b == 0) {
      x = 0;
      --row;
    } else if (b == 1) {
      break;
    } else if (b == 2) {
      ADD_FAILURE() << "no deltas expected";
      break;
    } else {
      for (int i = 0; i < b; ++i, ++x) {
        const int byte = f.at(p + static_cast<std::size_t>(i / 2));
        bm.rows.at(row).at(x) = i % 2 ? byte & 15 : byte >> 4;
      }
      const std::size_t bytes = static_cast<std::size_t>((b + 1) / 2);
      p += bytes + bytes % 2;
    }
  }
  return bm;
}

struct StripTable {
  const char* file;
  std::vector<std::uint32_t> colours;
  std::vector<std::vector<std::pair<int, int>>> pure;  // per shade: row ranges
};

void checkStrip(const StripTable& t) {
  SCOPED_TRACE(t.file);
  const Rle4Bitmap bm = readRle4(readFile(kResources / "strips" / t.file));
  ASSERT_EQ(bm.rows.size(), 480u);
  ASSERT_EQ(bm.rows[0].size(), 50u);
  EXPECT_EQ(bm.palette, t.colours);
  std::vector<int> pureShade(480, -1);
  for (std::size_t shade = 0; shade < t.pure.size(); ++shade) {
    for (const auto& [from, to] : t.pure[shade]) {
      for (int y = from; y <= to; ++y)
        pureShade[static_cast<std::size_t>(y)] = static_cast<int>(shade);
    }
  }
  for (int y = 0; y < 480; ++y) {
    const std::vector<int>& row = bm.rows[static_cast<std::size_t>(y)];
    ASSERT_EQ(std::count(row.begin(), row.end(), -1), 0) << "row " << y << " fully drawn";
    const std::set<int> shades(row.begin(), row.end());
    if (pureShade[static_cast<std::size_t>(y)] >= 0) {
      EXPECT_EQ(shades, std::set<int>{pureShade[static_cast<std::size_t>(y)]}) << "row " << y;
    } else {
      ASSERT_EQ(shades.size(), 2u) << "row " << y << " mixes two shades";
      EXPECT_EQ(*shades.rbegin() - *shades.begin(), 1) << "row " << y << " mixes neighbours";
    }
  }
}

TEST(Artwork, StripsHoldTheirColourTableAndBandsRowForRow) {
  checkStrip({"101.bmp",
              {0x040507, 0x0D121A, 0x151E2C, 0x1C283A, 0x233249, 0x2B3E5A, 0x334A6C, 0x3A547B,
               0x415E8A, 0x496A9B, 0x5276AD, 0x5880BB, 0x5F8ACA, 0x6896DC, 0x70A2ED, 0x77ACFC},
              {{{456, 479}},
               {{421, 428}, {430, 430}},
               {{389, 394}},
               {{363, 367}},
               {{336, 340}},
               {{301, 301}, {304, 309}},
               {{272, 277}},
               {{246, 250}},
               {{219, 223}},
               {{184, 184}, {188, 192}},
               {{155, 159}, {161, 161}},
               {{129, 132}},
               {{102, 106}},
               {{69, 74}},
               {{37, 42}},
               {{0, 17}}}});
  checkStrip({"102.bmp",
              {0x030402, 0x0F1602, 0x172202, 0x1F2E02, 0x273A02, 0x2F4602, 0x375202, 0x3F5E02,
               0x476A02, 0x4F7602, 0x578202, 0x5F8E02, 0x679A02, 0x6FA602, 0x77B202, 0x80BF02},
              {{{0, 75}, {77, 77}},
               {{107, 112}},
               {{133, 136}},
               {{158, 161}},
               {{181, 181}, {183, 186}},
               {{208, 212}},
               {{233, 237}},
               {{258, 262}},
               {{283, 287}},
               {{308, 312}},
               {{333, 337}},
               {{359, 362}},
               {{384, 388}},
               {{409, 413}},
               {{434, 438}},
               {{461, 479}}}});
  // The program's own decoder agrees with the independent reading.
  const ps::Image blue = ps::decodeBmp(readFile(kResources / "strips/101.bmp"));
  EXPECT_EQ(blue.at(0, 0), 0x77ACFCu);
  EXPECT_EQ(blue.at(49, 479), 0x040507u);
}

TEST(Artwork, DialogPicturesAndProgramIcon) {
  const Bytes bg = readFile(kResources / "info/background.bmp");
  const ps::Image background = ps::decodeBmp(bg);
  EXPECT_EQ(background.width, 356);
  EXPECT_EQ(background.height, 330);
  EXPECT_EQ(le(bg, 28, 2), 4u);
  EXPECT_LE(colourCount(background), 16u);

  const Bytes pic = readFile(kResources / "info/picture.bmp");
  const ps::Image picture = ps::decodeBmp(pic);
  EXPECT_EQ(picture.width, 32);
  EXPECT_EQ(picture.height, 32);
  EXPECT_EQ(le(pic, 28, 2), 4u);
  EXPECT_LE(colourCount(picture), 16u);

  const Bytes ico = readFile(kResources / "icon/petalstream.ico");
  EXPECT_EQ(ico.at(6), 32) << "the 32-pixel image comes first";
  EXPECT_EQ(le(ico, 6 + 6, 2), 8u) << "in 256 colours";
  for (int size : {16, 32, 48}) {
    const ps::Image icon = ps::decodeIco(ico, size);
    EXPECT_EQ(icon.width, size);
    EXPECT_EQ(icon.height, size);
    EXPECT_TRUE(icon.hasMask());
    EXPECT_LE(colourCount(icon), 256u);
  }

  const Bytes gif = readFile(kResources / "preview.gif");
  const ps::Image preview = ps::decodeGif(gif);
  EXPECT_EQ(preview.width, 256);
  EXPECT_EQ(preview.height, 192);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  EXPECT_EQ(gif.at(10) & 0x87, 0x87) << "a global table of 256 colours";
}

// Both builds find the same pictures by number; every file the scripts name must exist.
TEST(Artwork, ResourceScriptsNameEveryNumberAndExistingFiles) {
  const Bytes qrcBytes = readFile(kResources / "petalstream.qrc");
  const std::string qrc(qrcBytes.begin(), qrcBytes.end());
  const std::regex entry("<file alias=\"([a-z]+/[0-9]+)\">([^<]+)</file>");
  std::set<std::string> aliases;
  for (auto it = std::sregex_iterator(qrc.begin(), qrc.end(), entry); it != std::sregex_iterator();
       ++it) {
    aliases.insert((*it)[1]);
    EXPECT_TRUE(fs::exists(kResources / (*it)[2].str())) << (*it)[2];
  }
  std::set<std::string> expected = {"icon/1",     "bitmap/101", "bitmap/102",
                                    "bitmap/201", "bitmap/202", "rcdata/301"};
  for (int n = 101; n <= 200; ++n) expected.insert("icon/" + std::to_string(n));
  EXPECT_EQ(aliases, expected);

  const Bytes rcBytes = readFile(kResources / "PetalStream.rc");
  const std::string rc(rcBytes.begin(), rcBytes.end());
  const std::regex line("(?:^|\\n)([0-9]+) (ICON|BITMAP|RCDATA) \"([^\"]+)\"");
  std::set<std::string> numbered;
  for (auto it = std::sregex_iterator(rc.begin(), rc.end(), line); it != std::sregex_iterator();
       ++it) {
    const std::string kind = (*it)[2] == "ICON"     ? "icon"
                             : (*it)[2] == "BITMAP" ? "bitmap"
                                                    : "rcdata";
    numbered.insert(kind + "/" + (*it)[1].str());
    EXPECT_TRUE(fs::exists(kResources / (*it)[3].str())) << (*it)[3];
  }
  EXPECT_EQ(numbered, expected);
  // The version of the build, as the info window shows it and as Windows reads it.
  const ps::ProgramVersion v;
  EXPECT_NE(rc.find("\"FileVersion\", \"" + ps::versionText(v.major, v.minor, v.revision) + "\""),
            std::string::npos);
  EXPECT_NE(rc.find("FILEVERSION " + std::to_string(v.major) + "," + std::to_string(v.minor) +
                    ",0," + std::to_string(v.revision)),
            std::string::npos);
}

}  // namespace
