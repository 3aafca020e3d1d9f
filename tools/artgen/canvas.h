// The pixel-art drawing kit of the generator: a shared palette of colour ramps, deterministic
// maths and randomness, and a canvas of shape primitives that outlines and shades what is drawn.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "imagewriters.h"

namespace ps::art {

// Only +, -, *, / and sqrt (exact in IEEE arithmetic): the library's sin and atan may differ
// in the last bit between versions, and one bit can move a pixel.
namespace dm {
inline constexpr double kPi = 3.14159265358979323846;
double sin(double x);
double cos(double x);
double atan2(double y, double x);
}  // namespace dm

struct Vec {
  double x = 0, y = 0;
  Vec operator+(Vec o) const { return {x + o.x, y + o.y}; }
  Vec operator-(Vec o) const { return {x - o.x, y - o.y}; }
  Vec operator*(double k) const { return {x * k, y * k}; }
  static Vec polar(double angle, double length) {
    return {dm::cos(angle) * length, dm::sin(angle) * length};
  }
};

// splitmix64: small, fast and the same everywhere.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
  std::uint64_t next();
  double uniform();  // [0, 1)
  double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  int pick(int lo, int hi);  // lo..hi inclusive

 private:
  std::uint64_t state_;
};

// Colour ramps: five tones each, from the dark edge to the highlight.
enum Ramp : std::uint8_t {
  kNoRamp = 0,
  kWhite,
  kCream,
  kPaleYellow,
  kYellow,
  kGold,
  kOrange,
  kApricot,
  kScarlet,
  kRed,
  kCrimson,
  kWine,
  kPink,
  kMauve,
  kMagenta,
  kPurple,
  kLilac,
  kViolet,
  kLavender,
  kBlue,
  kSky,
  kPeach,
  kBrown,
  kDark,
  kStem,
  kLeaf,
  kSage,
  kDarkLeaf,
  kYellowGreen,
  kStraw,
  kTan,
  kOlive,
  kRampCount
};
inline constexpr int kOutline = 0, kShadow = 1, kMid = 2, kLight = 3, kHigh = 4;

// The one palette every sprite uses: index 0 black (and every transparent pixel), then the
// ramps' tones in order.
const Palette& spritePalette();
std::uint8_t paletteIndex(Ramp ramp, int tone);
Rgb rampColour(Ramp ramp, int tone);

struct Material {
  Ramp ramp = kNoRamp;
  int group = 0;          // shapes of one group separate from each other, not from others
  bool outline = false;   // a dark edge around the shape where it meets empty space
  bool separate = false;  // darken this shape's pixels where a later shape of its group lies
  Ramp alt = kNoRamp;     // a second ramp, painted where the tone function adds kAltTone
};
inline constexpr int kAltTone = 10;

// Where a pixel lies within the shape being painted: t along it (0..1) and s across it (-1..1),
// or u, v within an ellipse.
struct Local {
  double t = 0, s = 0;
  Vec p;  // the pixel centre in design units
};
// A tone 0..4 (plus kAltTone for the material's second ramp), or -1 to leave the pixel.
using ToneFn = std::function<int(const Local&)>;

class Canvas {
 public:
  // Design units are those of a 32 x 32 sprite; a canvas of another size scales them.
  explicit Canvas(int size = 32);
  int size() const { return size_; }

  // A stroke along the quadratic curve a-b-c, `halfWidth(t)` wide on each side.
  void stroke(Vec a, Vec b, Vec c, const std::function<double(double)>& halfWidth,
              const Material& m, const ToneFn& tone);
  // An ellipse with radii rx, ry turned by `angle`; Local gets t = u, s = v in -1..1.
  void ellipse(Vec centre, double rx, double ry, double angle, const Material& m,
               const ToneFn& tone);
  // Any shape by predicate over design units within a bounding box.
  void fill(Vec lo, Vec hi, const std::function<bool(Vec, Local&)>& inside, const Material& m,
            const ToneFn& tone);
  // One pixel at design coordinates.
  void dot(Vec p, Ramp ramp, int tone, int group = 0);

  bool empty(int x, int y) const { return cells_[index(x, y)].ramp == kNoRamp; }

  // Outlines, separations and shadows, then the palette indices (transparent = 0, masked).
  IndexedImage finish() const;

 private:
  struct Cell {
    Ramp ramp = kNoRamp;
    std::uint8_t tone = 0;
    std::uint16_t shape = 0;
    std::uint16_t group = 0;
    bool outline = false;
    bool separate = false;
  };
  std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * size_ + x; }

  int size_;
  double scale_;
  std::uint16_t shapes_ = 0;
  std::vector<Cell> cells_;
};

// Common shading: light comes from the upper left.
int sphereTone(double u, double v, double bias = 0);
int clampTone(int tone);

}  // namespace ps::art
