// Plant parts for the sprite recipes: stems, leaves, petals, blooms, florets. All positions are
// in design units of a 32 x 32 sprite (y down); the ground lies just below the bottom row.
#pragma once

#include "canvas.h"

namespace ps::art::kit {

inline constexpr double kGround = 33.0;
inline constexpr int kAlt = kAltTone;

struct Curve {
  Vec a, b, c;
  Vec at(double t) const {
    const double u = 1 - t;
    return a * (u * u) + b * (2 * u * t) + c * (t * t);
  }
};

enum class Profile { kStrap, kOval, kBroad, kPointed, kSpoon, kThin };
double profile(Profile p, double t);

int quantize(double light);
bool litOnNegativeSide(Vec direction);

Material petalMaterial(Ramp r, int group = 10, Ramp alt = kNoRamp);
Material leafMaterial(Ramp r);

// A stem from the ground at baseX up to `top`, bowed sideways by `bend`.
Curve stem(Canvas& c, double baseX, Vec top, double bend, Ramp r = kStem, double halfWidth = 0.95);
// A pointed leaf from `from` in direction `angle` (radians, 0 = right, -pi/2 = up).
void leaf(Canvas& c, Vec from, double angle, double length, double halfWidth, Ramp r = kLeaf,
          double droop = 0);
// A strap-shaped leaf rising from the ground.
void strap(Canvas& c, double baseX, Vec tip, double bend, double halfWidth, Ramp r = kLeaf);
// A rosette of `n` low leaves around baseX.
void rosette(Canvas& c, Rng& rng, double baseX, int n, double length, double halfWidth,
             Ramp r = kLeaf, bool toothed = false);
// Three round leaflets (clover, lupin-like fans use `leaflets` > 3).
void leaflets(Canvas& c, Vec at, int count, double length, double halfWidth, double spread,
              Ramp r = kLeaf);
// Feathery, finely divided leaf (cosmos, yarrow, chamomile).
void featherLeaf(Canvas& c, Vec from, double angle, double length, Ramp r = kLeaf);

struct Radial {
  Vec at;
  double squash = 0.9;   // vertical foreshortening of the flower's face
  double squashX = 1.0;  // horizontal foreshortening, for a face turned sideways
  double rot = 0;
  int petals = 12;
  double inner = 1.0;  // where petals start, from the centre
  double length = 6;
  double width = 1.2;  // half width at the widest
  Profile shape = Profile::kStrap;
  Ramp ramp = kWhite;
  Ramp alt = kNoRamp;  // second colour
  double altFrom = 0;  // alt paints t < altUntil (base) or t > altFrom (tips)
  double altUntil = 0;
  double droop = 0;  // petal tips fall by droop x length
  double swirl = 0;  // petals bend sideways
  int fringe = 0;    // notches in the tip
  double jitter = 0;
  int layers = 1;
  double light = 0;
  int group = 10;
};
void radial(Canvas& c, Rng& rng, const Radial& r);

enum class Eye { kDome, kSeeds, kCone, kRing, kStamens };
void centre(Canvas& c, Vec at, double radius, double squash, Ramp r, Eye style,
            Ramp ring = kNoRamp);

// A ball of florets: clover, allium, thistle brush, marigold pompom.
void ball(Canvas& c, Rng& rng, Vec at, double rx, double ry, Ramp r, double bumps, int group = 20);

// A bell hanging from `attach` towards `angle`.
void bell(Canvas& c, Vec attach, double angle, double length, double halfWidth, Ramp r, int group,
          bool flare = true);

// A floret cup opening upwards (tulip, crocus): petals from `base` to height h.
void cup(Canvas& c, Vec base, double width, double height, Ramp r, bool pointed, int group = 30,
         Ramp alt = kNoRamp);

}  // namespace ps::art::kit
