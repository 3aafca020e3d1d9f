#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace ps::art {

namespace dm {

double sin(double x) {
  const double twoPi = 2 * kPi;
  x -= twoPi * std::floor(x / twoPi + 0.5);  // -pi..pi
  if (x > kPi / 2) x = kPi - x;
  if (x < -kPi / 2) x = -kPi - x;
  const double x2 = x * x;
  double term = x, sum = x;
  for (int n = 1; n <= 9; ++n) {
    term *= -x2 / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

double cos(double x) {
  return sin(x + kPi / 2);
}

namespace {
double atanSmall(double z) {  // |z| <= 1: halve the angle twice, then the series
  for (int i = 0; i < 2; ++i) z = z / (1 + std::sqrt(1 + z * z));
  const double z2 = z * z;
  double term = z, sum = z;
  for (int n = 1; n <= 12; ++n) {
    term *= -z2;
    sum += term / (2 * n + 1);
  }
  return 4 * sum;
}
}  // namespace

double atan2(double y, double x) {
  if (x == 0 && y == 0) return 0;
  if (std::fabs(x) >= std::fabs(y)) {
    const double a = atanSmall(y / x);
    if (x > 0) return a;
    return y >= 0 ? a + kPi : a - kPi;
  }
  const double a = atanSmall(x / y);
  return y > 0 ? kPi / 2 - a : -kPi / 2 - a;
}

}  // namespace dm

std::uint64_t Rng::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::uniform() {
  return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

int Rng::pick(int lo, int hi) {
  return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
}

namespace {

// Hand-picked ramps: shadows lean cool, highlights warm, the edge tone dark enough to read on
// a light desktop and the light tones bright enough to read on black.
constexpr std::array<std::array<std::uint32_t, 5>, kRampCount> kRamps = {{
    {0, 0, 0, 0, 0},                                     // none
    {0x4A4E72, 0xA4ACC8, 0xD8DCEA, 0xF2F4F8, 0xFFFFFF},  // white
    {0x6E5C3C, 0xD2C296, 0xEEE2B6, 0xFAF2D2, 0xFFFCEA},  // cream
    {0x7A6A1E, 0xDCCC5A, 0xF2E68A, 0xFCF4B4, 0xFFFCDC},  // pale yellow
    {0x784E0A, 0xD6A014, 0xF6CC28, 0xFFE85A, 0xFFF8AA},  // yellow
    {0x743C08, 0xCC7810, 0xF0A81C, 0xFFCA3A, 0xFFE488},  // gold
    {0x6E2608, 0xC44E0E, 0xEC761A, 0xFC9C34, 0xFFC46E},  // orange
    {0x7A3A1C, 0xD8804A, 0xF4A466, 0xFFC488, 0xFFE0B8},  // apricot
    {0x6A0C0A, 0xBE2410, 0xE8421C, 0xFC6E3C, 0xFFA27A},  // scarlet
    {0x5C0A0E, 0xA81216, 0xD8241E, 0xF44A38, 0xFF8268},  // red
    {0x4A061A, 0x8C0E2C, 0xBA1A3A, 0xDE3A56, 0xF67082},  // crimson
    {0x360814, 0x661024, 0x8E1C34, 0xB0324A, 0xD05C6E},  // wine
    {0x6E2846, 0xD66E96, 0xF096B8, 0xFCBED4, 0xFFE2EC},  // pink
    {0x5E3450, 0xB07898, 0xCC98B4, 0xE4BCD0, 0xF6DEEA},  // mauve
    {0x5A0A3C, 0xAA1E6E, 0xD63894, 0xF06CBA, 0xFCAADC},  // magenta
    {0x2E1046, 0x602888, 0x8844B4, 0xAC6ED4, 0xD0A0EC},  // purple
    {0x4C3068, 0x9A72BE, 0xBC98DA, 0xD6BCEC, 0xEEDEFA},  // lilac
    {0x1E104A, 0x462C96, 0x684AC4, 0x8C76E2, 0xBAAAF6},  // violet
    {0x3C2E64, 0x8270BA, 0xA492D8, 0xC2B6EC, 0xE0D8FA},  // lavender
    {0x101C60, 0x2446B0, 0x3C6CDC, 0x6296F4, 0x9EC4FF},  // blue
    {0x1E3C6E, 0x508CD2, 0x78B4F0, 0xA4D4FC, 0xD6EEFF},  // sky
    {0x78322A, 0xDC7860, 0xF69C7E, 0xFFBEA0, 0xFFDEC8},  // peach
    {0x281408, 0x542C10, 0x7A461A, 0xA0662C, 0xC48C46},  // brown
    {0x0A0A12, 0x1C1A28, 0x2E2A3E, 0x46425C, 0x6C6884},  // dark
    {0x163412, 0x2C601E, 0x468428, 0x68A838, 0x96CC5A},  // stem
    {0x123A18, 0x246828, 0x3A9034, 0x5CB446, 0x92D66E},  // leaf
    {0x143832, 0x2E6456, 0x4A8A74, 0x6CAC90, 0x9CCEB4},  // sage
    {0x0C2816, 0x1A4C26, 0x2A6C34, 0x448C46, 0x6EB064},  // dark leaf
    {0x2E460A, 0x5C8014, 0x80A622, 0xA8C83C, 0xD0E86E},  // yellow green
    {0x5C461E, 0x9C7C3A, 0xC4A656, 0xE0C87C, 0xF4E4AA},  // straw
    {0x462C14, 0x80582C, 0xA87C44, 0xC8A064, 0xE4C896},  // tan
    {0x2A3010, 0x4E5820, 0x6E7A30, 0x909C46, 0xB6C068},  // olive
}};

}  // namespace

const Palette& spritePalette() {
  static const Palette palette = [] {
    Palette p(256);  // unused entries stay black
    for (int r = 1; r < kRampCount; ++r) {
      for (int t = 0; t < 5; ++t) {
        p[paletteIndex(static_cast<Ramp>(r), t)] =
            Rgb::of(kRamps[static_cast<std::size_t>(r)][static_cast<std::size_t>(t)]);
      }
    }
    return p;
  }();
  return palette;
}

std::uint8_t paletteIndex(Ramp ramp, int tone) {
  return static_cast<std::uint8_t>(1 + (ramp - 1) * 5 + clampTone(tone));
}

Rgb rampColour(Ramp ramp, int tone) {
  return Rgb::of(kRamps[static_cast<std::size_t>(ramp)][static_cast<std::size_t>(clampTone(tone))]);
}

int clampTone(int tone) {
  return std::clamp(tone, 0, 4);
}

int sphereTone(double u, double v, double bias) {
  // Lambert on a dome lit from the upper left and the front.
  const double r2 = std::min(1.0, u * u + v * v);
  const double w = std::sqrt(1 - r2);
  const double light = (-0.45 * u - 0.55 * v + 0.70 * w) + bias;
  if (light > 0.78) return kHigh;
  if (light > 0.45) return kLight;
  if (light > 0.05) return kMid;
  return kShadow;
}

Canvas::Canvas(int size)
    : size_(size), scale_(size / 32.0), cells_(static_cast<std::size_t>(size) * size) {}

void Canvas::fill(Vec lo, Vec hi, const std::function<bool(Vec, Local&)>& inside, const Material& m,
                  const ToneFn& tone) {
  ++shapes_;
  const int x0 = std::max(0, static_cast<int>(std::floor(lo.x * scale_)) - 1);
  const int y0 = std::max(0, static_cast<int>(std::floor(lo.y * scale_)) - 1);
  const int x1 = std::min(size_ - 1, static_cast<int>(std::ceil(hi.x * scale_)) + 1);
  const int y1 = std::min(size_ - 1, static_cast<int>(std::ceil(hi.y * scale_)) + 1);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      Local local;
      local.p = {(x + 0.5) / scale_, (y + 0.5) / scale_};
      if (!inside(local.p, local)) continue;
      const int t = tone(local);
      if (t < 0) continue;
      Cell& c = cells_[index(x, y)];
      const bool alt = t >= kAltTone && m.alt != kNoRamp;
      c.ramp = alt ? m.alt : m.ramp;
      c.tone = static_cast<std::uint8_t>(clampTone(t >= kAltTone ? t - kAltTone : t));
      c.shape = shapes_;
      c.group = static_cast<std::uint16_t>(m.group);
      c.outline = m.outline;
      c.separate = m.separate;
    }
  }
}

void Canvas::stroke(Vec a, Vec b, Vec c, const std::function<double(double)>& halfWidth,
                    const Material& m, const ToneFn& tone) {
  constexpr int kSegments = 32;
  std::array<Vec, kSegments + 1> pts;
  double maxWidth = 0;
  for (int i = 0; i <= kSegments; ++i) {
    const double t = static_cast<double>(i) / kSegments;
    const double u = 1 - t;
    pts[static_cast<std::size_t>(i)] = a * (u * u) + b * (2 * u * t) + c * (t * t);
    maxWidth = std::max(maxWidth, halfWidth(t));
  }
  Vec lo = pts[0], hi = pts[0];
  for (const Vec& p : pts) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  }
  lo = lo - Vec{maxWidth + 1, maxWidth + 1};
  hi = hi + Vec{maxWidth + 1, maxWidth + 1};
  fill(
      lo, hi,
      [&](Vec p, Local& local) {
        double best = 1e9, bestT = 0, bestSide = 0;
        for (int i = 0; i < kSegments; ++i) {
          const Vec p0 = pts[static_cast<std::size_t>(i)],
                    p1 = pts[static_cast<std::size_t>(i + 1)];
          const Vec d = p1 - p0;
          const double len2 = d.x * d.x + d.y * d.y;
          double k = len2 > 0 ? ((p.x - p0.x) * d.x + (p.y - p0.y) * d.y) / len2 : 0;
          k = std::clamp(k, 0.0, 1.0);
          const Vec q = p0 + d * k;
          const double dist2 = (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y);
          if (dist2 < best) {
            best = dist2;
            bestT = (i + k) / kSegments;
            bestSide = d.x * (p.y - p0.y) - d.y * (p.x - p0.x);  // > 0: right of travel
          }
        }
        const double w = halfWidth(bestT);
        if (w <= 0) return false;
        const double dist = std::sqrt(best);
        if (dist > w) return false;
        local.t = bestT;
        local.s = (bestSide < 0 ? -dist : dist) / w;
        return true;
      },
      m, tone);
}

void Canvas::ellipse(Vec centre, double rx, double ry, double angle, const Material& m,
                     const ToneFn& tone) {
  const double r = std::max(rx, ry);
  const double ca = dm::cos(angle), sa = dm::sin(angle);
  fill(
      centre - Vec{r, r}, centre + Vec{r, r},
      [&](Vec p, Local& local) {
        const Vec d = p - centre;
        const double u = (d.x * ca + d.y * sa) / rx;
        const double v = (-d.x * sa + d.y * ca) / ry;
        if (u * u + v * v > 1) return false;
        local.t = u;
        local.s = v;
        return true;
      },
      m, tone);
}

void Canvas::dot(Vec p, Ramp ramp, int tone, int group) {
  const int x = static_cast<int>(std::floor(p.x * scale_));
  const int y = static_cast<int>(std::floor(p.y * scale_));
  if (x < 0 || y < 0 || x >= size_ || y >= size_) return;
  ++shapes_;
  Cell& c = cells_[index(x, y)];
  c = Cell{ramp,    static_cast<std::uint8_t>(clampTone(tone)),
           shapes_, static_cast<std::uint16_t>(group),
           false,   false};
}

IndexedImage Canvas::finish() const {
  std::vector<Cell> out = cells_;
  const int dx[4] = {1, -1, 0, 0};
  const int dy[4] = {0, 0, 1, -1};
  for (int y = 0; y < size_; ++y) {
    for (int x = 0; x < size_; ++x) {
      const Cell& c = cells_[index(x, y)];
      Cell& o = out[index(x, y)];
      if (c.ramp == kNoRamp) {
        // An empty pixel next to an outlined shape takes that shape's edge tone; the shape
        // drawn last wins.
        std::uint16_t top = 0;
        for (int k = 0; k < 4; ++k) {
          const int nx = x + dx[k], ny = y + dy[k];
          if (nx < 0 || ny < 0 || nx >= size_ || ny >= size_) continue;
          const Cell& n = cells_[index(nx, ny)];
          if (n.ramp != kNoRamp && n.outline && n.shape > top) {
            top = n.shape;
            o = n;
            o.tone = kOutline;
            o.outline = false;
          }
        }
        continue;
      }
      for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (nx < 0 || ny < 0 || nx >= size_ || ny >= size_) continue;
        const Cell& n = cells_[index(nx, ny)];
        if (n.ramp == kNoRamp || n.shape <= c.shape) continue;
        if (c.separate && n.group == c.group) {
          o.tone = static_cast<std::uint8_t>(std::min<int>(o.tone, kShadow));
        } else if (n.outline && n.group != c.group) {
          // Under the edge of a later outlined shape: that shape's edge tone.
          o.ramp = n.ramp;
          o.tone = kOutline;
        }
      }
    }
  }
  IndexedImage image(size_, size_, spritePalette());
  image.mask.assign(image.pixels.size(), 1);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i].ramp == kNoRamp) continue;
    image.pixels[i] = paletteIndex(out[i].ramp, out[i].tone);
    image.mask[i] = 0;
  }
  return image;
}

}  // namespace ps::art
