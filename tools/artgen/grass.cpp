// The 20 grass tufts: blades of several greens, heights and densities, some with seed heads.
// Laid 401 times along the ground, they must read as a meadow, not as a repeated stamp.
#include <array>
#include <cmath>
#include <string>

#include "plantkit.h"
#include "sprites.h"

namespace ps::art {
namespace {

enum class Seed { kNone, kOat, kTimothy, kPlume, kFoxtail, kSedge };

struct Tuft {
  const char* name;
  int blades;
  double height;  // of the tallest blades
  double spread;  // half width of the clump at the ground
  double lean;    // overall lean, -1..1
  Ramp front, back;
  Seed seed;
  int seeds;
  Ramp seedRamp;
};

constexpr std::array<Tuft, 20> kTufts = {{
    {"short fresh grass", 9, 15, 6, 0.1, kLeaf, kDarkLeaf, Seed::kNone, 0, kNoRamp},
    {"tall meadow grass", 12, 29, 7, -0.2, kLeaf, kDarkLeaf, Seed::kOat, 2, kStraw},
    {"yellow-green tuft", 10, 20, 8, 0.3, kYellowGreen, kStem, Seed::kNone, 0, kNoRamp},
    {"blue fescue", 14, 17, 5, 0, kSage, kDarkLeaf, Seed::kNone, 0, kNoRamp},
    {"timothy grass", 9, 24, 6, 0.15, kStem, kDarkLeaf, Seed::kTimothy, 2, kOlive},
    {"dark sparse tuft", 6, 18, 7, -0.3, kDarkLeaf, kDarkLeaf, Seed::kNone, 0, kNoRamp},
    {"dry grass", 10, 22, 7, 0.25, kStraw, kOlive, Seed::kOat, 2, kTan},
    {"dense low turf", 16, 12, 9, 0, kLeaf, kStem, Seed::kNone, 0, kNoRamp},
    {"purple moor grass", 10, 27, 6, -0.1, kStem, kDarkLeaf, Seed::kPlume, 2, kMauve},
    {"foxtail", 8, 23, 6, 0.35, kYellowGreen, kStem, Seed::kFoxtail, 2, kYellowGreen},
    {"sedge", 11, 21, 6, -0.25, kOlive, kDarkLeaf, Seed::kSedge, 3, kBrown},
    {"wispy grass", 7, 30, 5, 0.2, kLeaf, kSage, Seed::kNone, 0, kNoRamp},
    {"fresh clump", 13, 19, 8, -0.05, kLeaf, kDarkLeaf, Seed::kNone, 0, kNoRamp},
    {"oat grass", 9, 28, 6, 0.3, kYellowGreen, kOlive, Seed::kOat, 3, kStraw},
    {"sage tuft", 8, 16, 7, 0.2, kSage, kStem, Seed::kNone, 0, kNoRamp},
    {"mixed tuft", 12, 25, 8, 0, kStem, kStraw, Seed::kTimothy, 1, kTan},
    {"small dark tuft", 7, 11, 5, -0.2, kDarkLeaf, kStem, Seed::kNone, 0, kNoRamp},
    {"feather grass", 9, 30, 6, -0.35, kYellowGreen, kStraw, Seed::kPlume, 3, kCream},
    {"broad-bladed grass", 6, 20, 7, 0.1, kLeaf, kStem, Seed::kNone, 0, kNoRamp},
    {"seeding meadow grass", 11, 26, 8, 0.05, kStem, kOlive, Seed::kOat, 3, kTan},
}};

void seedHead(Canvas& c, Rng& rng, Vec tip, double angle, const Tuft& t) {
  const Material m{t.seedRamp, 3, false, false};
  auto shaded = [](const Local& l) { return l.s < 0 ? kLight : kMid; };
  switch (t.seed) {
    case Seed::kOat:  // nodding spikelets on hair-thin branches
      for (int i = 0; i < 4; ++i) {
        const Vec from = tip + Vec{0, i * 1.6};
        const double side = i % 2 ? 1 : -1;
        const Vec at = from + Vec{side * 2.2, 1.6};
        c.stroke(
            from, (from + at) * 0.5 + Vec{0, -0.5}, at, [](double) { return 0.35; }, m,
            [](const Local&) { return kMid; });
        c.ellipse(at + Vec{0, 1.0}, 0.7, 1.3, side * 0.3, m, shaded);
      }
      break;
    case Seed::kTimothy:  // a slim cylinder
      c.stroke(
          tip, tip + Vec::polar(angle, 2.5), tip + Vec::polar(angle, 5.5),
          [](double tt) { return tt < 0.9 ? 0.95 : 0.6; }, m,
          [&rng](const Local& l) {
            (void)rng;
            const int gy = static_cast<int>(std::floor(l.p.y));
            return l.s < 0 ? (gy % 2 ? kLight : kHigh) : kMid;
          });
      break;
    case Seed::kPlume:  // a loose feathery panicle
      for (int i = 0; i < 6; ++i) {
        const double a = angle + rng.range(-0.6, 0.6);
        const Vec from = tip + Vec::polar(angle, i * 0.9);
        const Vec to = from + Vec::polar(a + (i % 2 ? 0.5 : -0.5), rng.range(2, 3.5));
        c.stroke(
            from, (from + to) * 0.5, to, [](double) { return 0.42; }, m,
            [i](const Local&) { return i % 2 ? kLight : kMid; });
      }
      break;
    case Seed::kFoxtail:  // a bristly arching brush
      c.stroke(
          tip, tip + Vec::polar(angle, 3), tip + Vec::polar(angle + 0.6, 6),
          [](double tt) { return 1.2 - 0.5 * tt; }, m,
          [](const Local& l) {
            const int gx = static_cast<int>(std::floor(l.p.x)),
                      gy = static_cast<int>(std::floor(l.p.y));
            if ((gx + gy) % 2) return kHigh;
            return l.s < 0 ? kLight : kMid;
          });
      break;
    case Seed::kSedge:  // small dark spikes at the top
      c.ellipse(tip + Vec{0, 0.8}, 0.8, 1.6, 0, m, shaded);
      break;
    case Seed::kNone:
      break;
  }
}

}  // namespace

IndexedImage grassSprite(int number) {
  const Tuft& t = kTufts[static_cast<std::size_t>(number - kFirstGrass)];
  Rng rng(static_cast<std::uint64_t>(number) * 7919u);
  Canvas c(32);
  // Back blades first in the darker green, then the front ones.
  for (int i = 0; i < t.blades; ++i) {
    const bool back = i < t.blades / 2;
    const double f = t.blades == 1 ? 0.5 : static_cast<double>(i) / (t.blades - 1);
    const double baseX = 16 + t.spread * rng.range(-1, 1) * (back ? 1.0 : 0.8);
    const double h = t.height * rng.range(0.55, 1.0) * (back ? 1.0 : 0.9);
    const double lean = t.lean + (baseX - 16) / (t.spread + 1) * 0.6 + rng.range(-0.35, 0.35);
    const Vec base{baseX, kit::kGround};
    const Vec tip{baseX + lean * h * 0.55, kit::kGround - h};
    const Vec ctrl{baseX + lean * h * 0.1, kit::kGround - h * 0.6};
    const double width = (t.blades <= 6 ? 1.25 : 0.9) + 0.2 * rng.uniform();
    const Ramp ramp = back ? t.back : t.front;
    const int lift = (i * 7 + number) % 3 == 0 ? 1 : 0;
    c.stroke(
        base, ctrl, tip, [width](double tt) { return width * (1 - tt) + 0.28; },
        Material{ramp, 2, false, false},
        [back, lift](const Local& l) {
          const int tone = (l.s < 0 ? kLight : kMid) - (back ? 1 : 0) + lift;
          return l.t > 0.85 ? std::min(tone, kMid + lift) : tone;
        });
    (void)f;
  }
  // Seed stalks rise above the blades.
  for (int i = 0; i < t.seeds; ++i) {
    const double baseX = 16 + rng.range(-t.spread * 0.5, t.spread * 0.5);
    const double h = std::min(31.0, t.height * rng.range(0.9, 1.08));
    const double lean = t.lean * 0.6 + rng.range(-0.25, 0.25);
    const Vec tip{baseX + lean * h * 0.4, kit::kGround - h};
    c.stroke(
        {baseX, kit::kGround}, {baseX + lean * 2, kit::kGround - h * 0.5}, tip,
        [](double) { return 0.42; }, Material{t.back == kStraw ? kStraw : kStem, 2, false, false},
        [](const Local&) { return kMid; });
    seedHead(c, rng, tip, -dm::kPi / 2 + lean * 0.6, t);
  }
  return c.finish();
}

std::string grassName(int number) {
  return kTufts[static_cast<std::size_t>(number - kFirstGrass)].name;
}

}  // namespace ps::art
