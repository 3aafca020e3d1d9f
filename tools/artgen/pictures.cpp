#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

#include "canvas.h"
#include "sprites.h"

namespace ps::art {
namespace {

constexpr int kBayer8[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                               {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                               {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                               {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// Ordered dither between two palette indices: `f` (0..1) is the share of `hi`.
std::uint8_t dither(int x, int y, double f, std::uint8_t lo, std::uint8_t hi) {
  return f * 64 > kBayer8[y & 7][x & 7] + 0.5 ? hi : lo;
}

StripDesign makeStripDesign(std::initializer_list<std::uint32_t> colours,
                            std::initializer_list<std::vector<std::pair<int, int>>> rows) {
  StripDesign s;
  std::size_t i = 0;
  for (std::uint32_t c : colours) s.shades[i++] = Rgb::of(c);
  i = 0;
  for (const auto& r : rows) s.pureRows[i++] = r;
  return s;
}

}  // namespace

const StripDesign& blueStrip() {
  static const StripDesign design = makeStripDesign(
      {0x040507, 0x0D121A, 0x151E2C, 0x1C283A, 0x233249, 0x2B3E5A, 0x334A6C, 0x3A547B, 0x415E8A,
       0x496A9B, 0x5276AD, 0x5880BB, 0x5F8ACA, 0x6896DC, 0x70A2ED, 0x77ACFC},
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
       {{0, 17}}});
  return design;
}

const StripDesign& greenStrip() {
  static const StripDesign design = makeStripDesign(
      {0x030402, 0x0F1602, 0x172202, 0x1F2E02, 0x273A02, 0x2F4602, 0x375202, 0x3F5E02, 0x476A02,
       0x4F7602, 0x578202, 0x5F8E02, 0x679A02, 0x6FA602, 0x77B202, 0x80BF02},
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
       {{461, 479}}});
  return design;
}

IndexedImage stripImage(const StripDesign& design) {
  std::array<int, kStripHeight> pure;
  pure.fill(-1);
  for (int shade = 0; shade < 16; ++shade) {
    for (const auto& [from, to] : design.pureRows[static_cast<std::size_t>(shade)]) {
      for (int y = from; y <= to; ++y) pure[static_cast<std::size_t>(y)] = shade;
    }
  }
  Palette palette(design.shades.begin(), design.shades.end());
  IndexedImage image(kStripWidth, kStripHeight, palette);
  for (int y = 0; y < kStripHeight; ++y) {
    const int p = pure[static_cast<std::size_t>(y)];
    if (p >= 0) {
      for (int x = 0; x < kStripWidth; ++x) image.at(x, y) = static_cast<std::uint8_t>(p);
      continue;
    }
    int above = y, below = y;
    while (above >= 0 && pure[static_cast<std::size_t>(above)] < 0) --above;
    while (below < kStripHeight && pure[static_cast<std::size_t>(below)] < 0) ++below;
    if (above < 0 || below >= kStripHeight) throw std::logic_error("strip: open end");
    const int a = pure[static_cast<std::size_t>(above)], b = pure[static_cast<std::size_t>(below)];
    int lo = a, hi = b;
    double share = static_cast<double>(y - above) / (below - above);  // of b
    if (a == b) {
      // A gap inside one band: a light sprinkle of the next shade towards the darker end.
      hi = a > 0 ? a - 1 : a + 1;
      share = 0.2;
    }
    if (std::abs(lo - hi) != 1) throw std::logic_error("strip: shades not neighbours");
    // Every mixed row holds both shades: at least one pixel of each.
    const int count =
        std::clamp(static_cast<int>(std::floor(share * kStripWidth + 0.5)), 1, kStripWidth - 1);
    // Pixels take the second shade in the order of their ordered-dither threshold.
    std::array<int, kStripWidth> order;
    for (int x = 0; x < kStripWidth; ++x) order[static_cast<std::size_t>(x)] = x;
    std::stable_sort(order.begin(), order.end(), [y](int p1, int p2) {
      return kBayer8[y & 7][p1 & 7] * 64 + p1 / 8 * 9 % 7 <
             kBayer8[y & 7][p2 & 7] * 64 + p2 / 8 * 9 % 7;
    });
    for (int x = 0; x < kStripWidth; ++x) image.at(x, y) = static_cast<std::uint8_t>(lo);
    for (int k = 0; k < count; ++k)
      image.at(order[static_cast<std::size_t>(k)], y) = static_cast<std::uint8_t>(hi);
  }
  return image;
}

IndexedImage infoBackground() {
  const Palette palette = {{6, 8, 28},     {12, 18, 56},    {20, 30, 90},    {34, 48, 128},
                           {70, 90, 170},  {130, 148, 210}, {196, 206, 240}, {240, 242, 255},
                           {8, 30, 24},    {14, 52, 34},    {30, 86, 44},    {62, 128, 56},
                           {250, 206, 60}, {236, 110, 160}, {150, 120, 240}, {220, 50, 60}};
  constexpr int W = 356, H = 330;
  IndexedImage im(W, H, palette);
  Rng rng(356330);
  // Sky: darkest at the top, a little lighter towards the hills.
  for (int y = 0; y < H; ++y) {
    const double g = std::min(1.0, y / 240.0) * 2.3;
    const int base = static_cast<int>(std::floor(g));
    for (int x = 0; x < W; ++x) {
      im.at(x, y) = dither(x, y, g - base, static_cast<std::uint8_t>(base),
                           static_cast<std::uint8_t>(std::min(3, base + 1)));
    }
  }
  // A big moonlit cloud behind the dialog's texts: a flat pale core where the labels sit,
  // a shaded underside and a dithered rim.
  struct Puff {
    double x, y, r;
  };
  constexpr Puff kPuffs[] = {{95, 128, 46},  {150, 100, 52}, {212, 96, 50},  {262, 118, 46},
                             {292, 160, 38}, {90, 170, 40},  {150, 172, 48}, {215, 175, 50},
                             {270, 185, 36}, {180, 140, 62}, {118, 86, 34},  {245, 80, 30},
                             {245, 150, 42}};
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      double f = -1;  // how deep inside the cloud, 0 at its edge
      for (const Puff& p : kPuffs) {
        const double d = std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y));
        f = std::max(f, 1 - d / p.r);
      }
      if (f <= -0.12) continue;
      if (f <= 0) {
        im.at(x, y) = dither(x, y, (f + 0.12) / 0.12 * 0.6, im.at(x, y), 4);
      } else if (f < 0.1) {
        im.at(x, y) = dither(x, y, f / 0.1, 4, 5);
      } else if (f < 0.2 || y > 212) {
        im.at(x, y) = dither(x, y, (f - 0.1) / 0.1, 5, 6);
      } else {
        im.at(x, y) = 6;
      }
    }
  }
  // Stars in the dark sky only; a crescent moon in the upper right.
  for (int i = 0; i < 90; ++i) {
    const int x = rng.pick(2, W - 3), y = rng.pick(2, 200);
    bool clear = true;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) clear = clear && im.at(x + dx, y + dy) <= 3;
    }
    if (!clear) continue;
    im.at(x, y) = rng.pick(0, 3) == 0 ? 7 : 5;
    if (rng.pick(0, 6) == 0) {
      im.at(x - 1, y) = 4;
      im.at(x + 1, y) = 4;
      im.at(x, y - 1) = 4;
      im.at(x, y + 1) = 4;
    }
  }
  for (int y = 8; y < 44; ++y) {
    for (int x = 306; x < 346; ++x) {
      const double d1 = std::sqrt((x - 326.0) * (x - 326.0) + (y - 26.0) * (y - 26.0));
      const double d2 = std::sqrt((x - 333.0) * (x - 333.0) + (y - 21.0) * (y - 21.0));
      if (d1 < 14 && d2 > 12) im.at(x, y) = d1 < 12.5 ? 7 : 5;
    }
  }
  // Hills, then the meadow with grass and flowers, denser towards the front.
  for (int x = 0; x < W; ++x) {
    const int back = static_cast<int>(218 + 9 * dm::sin(x * 0.018 + 1.2) + 4 * dm::sin(x * 0.05));
    const int front = static_cast<int>(244 + 7 * dm::sin(x * 0.027 + 4.0));
    for (int y = back; y < H; ++y) im.at(x, y) = y < back + 2 ? 9 : 8;
    for (int y = front; y < H; ++y) {
      const double g = std::min(1.0, (y - front) / 60.0);
      im.at(x, y) = dither(x, y, g * 0.8, 9, 10);
    }
  }
  for (int i = 0; i < 900; ++i) {
    const int x = rng.pick(0, W - 1);
    const int y = rng.pick(236, H - 1);
    if (im.at(x, y) < 8) continue;
    const int h = 2 + (y - 230) / 18 + rng.pick(0, 2);
    const int lean = rng.pick(-1, 1);
    for (int k = 0; k < h; ++k) {
      const int xx = std::clamp(x + (k * lean) / 3, 0, W - 1);
      if (y - k >= 0) im.at(xx, y - k) = k < h / 2 ? 10 : 11;
    }
  }
  const std::uint8_t blooms[5] = {7, 12, 13, 14, 15};
  for (int i = 0; i < 150; ++i) {
    const int y = rng.pick(240, H - 3);
    const int x = rng.pick(2, W - 3);
    if (im.at(x, y) < 8) continue;
    const std::uint8_t col = blooms[rng.pick(0, 4)];
    const bool big = y > 280 && rng.pick(0, 2) == 0;
    im.at(x, y + 1) = 11;
    im.at(x, y) = 12;
    if (col == 12) im.at(x, y) = 15;
    im.at(x - 1, y) = col;
    im.at(x + 1, y) = col;
    im.at(x, y - 1) = col;
    if (big) {
      im.at(x, y + 1) = col;
      im.at(x - 1, y - 1) = col;
      im.at(x + 1, y - 1) = col;
      im.at(x, y + 2) = 11;
    }
  }
  return im;
}

namespace {

// A sprite-palette picture over one background colour, as true colour.
RgbImage overColour(const IndexedImage& sprite, std::uint32_t background) {
  RgbImage out(sprite.width, sprite.height, background);
  for (std::size_t i = 0; i < sprite.pixels.size(); ++i) {
    if (!sprite.mask[i]) out.pixels[i] = sprite.palette[sprite.pixels[i]].value();
  }
  return out;
}

}  // namespace

IndexedImage infoPicture() {
  // It sits on the moonlit cloud of the background, so the cloud's colour fills its corners.
  // The most used colours are kept and the rare highlights take their nearest neighbour, which
  // keeps small details like the yellow eye (median cut would average them away).
  const RgbImage rgb = overColour(singleFlowerPicture(), 0xC4CEF0);
  std::map<std::uint32_t, int> counts;
  for (std::uint32_t p : rgb.pixels) ++counts[p];
  std::vector<std::pair<int, std::uint32_t>> byUse;
  for (const auto& [colour, n] : counts) byUse.push_back({-n, colour});
  std::sort(byUse.begin(), byUse.end());
  RgbImage reduced = rgb;
  const std::size_t keep = std::min<std::size_t>(16, byUse.size());
  for (std::uint32_t& p : reduced.pixels) {
    std::uint32_t best = byUse[0].second;
    long bestDistance = -1;
    for (std::size_t i = 0; i < keep; ++i) {
      const Rgb a = Rgb::of(p), b = Rgb::of(byUse[i].second);
      const long d =
          (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = byUse[i].second;
      }
    }
    p = best;
  }
  return quantize(reduced, 16);
}

IndexedImage previewPlaceholder() {
  RgbImage im(256, 192);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 256; ++x)
      im.at(x, y) = 0x0C1018 + static_cast<std::uint32_t>(y / 24) * 0x010201;
  }
  return quantize(im);
}

namespace {

constexpr std::uint16_t kDigits[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                       0x79CF, 0x79EF, 0x7292, 0x7BEF, 0x7BCF};

// Digits of a tiny 3 x 5 pixel font, scaled.
void drawNumber(RgbImage& im, int x, int y, int value, int scale, std::uint32_t colour) {
  const std::string text = std::to_string(value);
  for (char ch : text) {
    const std::uint16_t bits = kDigits[ch - '0'];
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 3; ++c) {
        if (!(bits >> (14 - r * 3 - c) & 1)) continue;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) im.at(x + c * scale + dx, y + r * scale + dy) = colour;
        }
      }
    }
    x += 4 * scale;
  }
}

// Draws a sprite scaled to w x w with nearest-neighbour sampling through its mask.
void drawSprite(RgbImage& im, const IndexedImage& s, int x0, int y0, int w) {
  for (int y = 0; y < w; ++y) {
    for (int x = 0; x < w; ++x) {
      const int sx = x * s.width / w, sy = y * s.height / w;
      const std::size_t i = static_cast<std::size_t>(sy) * s.width + sx;
      if (s.mask[i]) continue;
      const int px = x0 + x, py = y0 + y;
      if (px < 0 || py < 0 || px >= im.width || py >= im.height) continue;
      im.at(px, py) = s.palette[s.pixels[i]].value();
    }
  }
}

void fillRect(RgbImage& im, int x0, int y0, int w, int h, std::uint32_t colour) {
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) im.at(x, y) = colour;
  }
}

}  // namespace

RgbImage contactSheet() {
  constexpr int kCellW = 140, kCellH = 152, kCols = 10;
  RgbImage im(kCols * kCellW, 10 * kCellH, 0x23272E);
  for (int n = kFirstSprite; n <= kLastSprite; ++n) {
    const int i = n - kFirstSprite;
    const int x = (i % kCols) * kCellW, y = (i / kCols) * kCellH;
    fillRect(im, x + 6, y + 6, 128, 128, 0x3C424C);
    drawSprite(im, sprite(n), x + 6, y + 6, 128);
    drawNumber(im, x + 70 - 11, y + 139, n, 2, 0xC8CCD4);
  }
  return im;
}

RgbImage stripsSheet() {
  RgbImage im(2 * 150 + 30, kStripHeight + 20, 0x23272E);
  const IndexedImage strips[2] = {stripImage(blueStrip()), stripImage(greenStrip())};
  for (int k = 0; k < 2; ++k) {
    for (int y = 0; y < kStripHeight; ++y) {
      for (int x = 0; x < 150; ++x) {
        const IndexedImage& s = strips[k];
        im.at(10 + k * 160 + x, 10 + y) = s.palette[s.at(x % kStripWidth, y)].value();
      }
    }
  }
  return im;
}

RgbImage reviewSheet() {
  constexpr int sizes[3] = {16, 24, 34};
  constexpr int kPanel = 10 * 38;
  RgbImage im(3 * (kPanel + 10), 4 * (kPanel + 10) + 2 * 130, 0x101010);
  const IndexedImage blue = stripImage(blueStrip()), green = stripImage(greenStrip());
  for (int bg = 0; bg < 4; ++bg) {
    for (int col = 0; col < 3; ++col) {
      const int x0 = col * (kPanel + 10), y0 = bg * (kPanel + 10);
      for (int y = 0; y < kPanel; ++y) {
        for (int x = 0; x < kPanel; ++x) {
          std::uint32_t c = 0;
          const int sy = (y * kStripHeight / kPanel + 100) % kStripHeight;
          if (bg == 1) c = blue.palette[blue.at(x * 50 / 88 % 50, sy)].value();
          if (bg == 2) c = green.palette[green.at(x * 50 / 88 % 50, sy)].value();
          if (bg == 3) c = 0x808890;
          im.at(x0 + x, y0 + y) = c;
        }
      }
      const int w = sizes[col];
      for (int n = kFirstSprite; n <= kLastSprite; ++n) {
        const int i = n - kFirstSprite;
        drawSprite(im, sprite(n), x0 + (i % 10) * 38 + 2, y0 + (i / 10) * 38 + 36 - w, w);
      }
    }
  }
  // Ground tufts as the meadow lays them: 401 across a screen's width, over black and green,
  // with a few full-grown flowers planted among them.
  Rng rng(401);
  for (int band = 0; band < 2; ++band) {
    const int y0 = 4 * (kPanel + 10) + band * 130;
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < im.width; ++x) {
        im.at(x, y0 + y) =
            band == 0 ? 0 : green.palette[green.at(x * 50 / 88 % 50, 300 + y)].value();
      }
    }
    for (int k = 0; k < 460; ++k) {
      const int n = rng.pick(kFirstGrass, kLastSprite);
      drawSprite(im, sprite(n), rng.pick(0, im.width), y0 + rng.pick(40, 110), 32);
      if (k % 20 == 0)
        drawSprite(im, sprite(rng.pick(kFirstSprite, kFirstGrass - 1)), rng.pick(0, im.width),
                   y0 + rng.pick(0, 70), 33);
    }
    for (int y = 120; y < 130; ++y) {
      for (int x = 0; x < im.width; ++x) im.at(x, y0 + y) = 0x101010;
    }
  }
  return im;
}

}  // namespace ps::art
