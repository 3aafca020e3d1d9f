// Recipes of the 80 flower sprites: one function per kind of flower, each called with a
// variant (colours, bloom size, height, where the stem stands).
#include <array>
#include <cmath>
#include <string>

#include "plantkit.h"
#include "sprites.h"

namespace ps::art {
namespace {

using namespace kit;
constexpr double kPi = dm::kPi;

struct V {
  Ramp a = kWhite;      // the bloom's main colour
  Ramp b = kYellow;     // its second colour (eye, centre, tips)
  Ramp c = kNoRamp;     // a third, where a kind has one
  double size = 1;      // bloom scale
  double top = 8;       // height of the bloom's centre (smaller is taller)
  double x = 15;        // where the stem leaves the ground
  double bend = 0;      // bow of the stem
  Ramp leaves = kLeaf;  // green of the leaves
};

using Recipe = void (*)(Canvas&, Rng&, const V&);

void daisy(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend);
  leaf(c, k.at(0.2), -kPi * 0.85, 6, 1.5, v.leaves, 1);
  leaf(c, k.at(0.42), -0.25, 5.5, 1.4, v.leaves, 1);
  Radial r;
  r.at = head;
  r.petals = 15;
  r.inner = 2.0 * v.size;
  r.length = 5.0 * v.size;
  r.width = 1.05;
  r.squash = 0.78;
  r.ramp = v.a;
  r.jitter = 0.08;
  if (v.c != kNoRamp) {
    r.alt = v.c;
    r.altFrom = 0.72;
  }
  radial(c, rng, r);
  centre(c, head, 2.3 * v.size, 0.8, v.b, Eye::kDome);
}

void chamomile(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[3] = {{v.x - 5, v.top + 4}, {v.x + 1, v.top}, {v.x + 7, v.top + 6}};
  for (int i = 0; i < 3; ++i) {
    const Curve k = stem(c, v.x + (i - 1) * 0.8, heads[i] + Vec{0, 1}, (i - 1) * -1.5, kStem, 0.75);
    featherLeaf(c, k.at(0.3 + 0.1 * i), i == 0 ? -kPi * 0.8 : -0.3, 5, v.leaves);
  }
  for (const Vec& h : heads) {
    Radial r;
    r.at = h;
    r.petals = 11;
    r.inner = 1.6 * v.size;
    r.length = 2.7 * v.size;
    r.width = 0.8;
    r.squash = 0.8;
    r.ramp = v.a;
    r.droop = 0.25;
    radial(c, rng, r);
    centre(c, h + Vec{0, -0.3}, 1.7 * v.size, 0.95, v.b, Eye::kCone);
  }
}

void sunflower(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 3}, v.bend, kStem, 1.25);
  leaf(c, k.at(0.18), -kPi * 0.92, 8, 2.6, v.leaves, 2);
  leaf(c, k.at(0.38), -0.1, 8, 2.6, v.leaves, 2.5);
  leaf(c, k.at(0.62), -kPi * 0.95, 6, 2.0, v.leaves, 1.5);
  Radial r;
  r.at = head;
  r.petals = 18;
  r.inner = 3.6 * v.size;
  r.length = 4.3 * v.size;
  r.width = 1.35;
  r.shape = Profile::kPointed;
  r.squash = 0.9;
  r.ramp = v.a;
  r.jitter = 0.1;
  r.layers = 2;
  radial(c, rng, r);
  centre(c, head, 4.2 * v.size, 0.9, v.b, Eye::kSeeds);
}

void blackEyed(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend);
  leaf(c, k.at(0.15), -kPi * 0.8, 7, 1.8, v.leaves, 1);
  leaf(c, k.at(0.35), -0.2, 6.5, 1.7, v.leaves, 1);
  Radial r;
  r.at = head;
  r.petals = 13;
  r.inner = 2.2 * v.size;
  r.length = 5.6 * v.size;
  r.width = 1.4;
  r.shape = Profile::kOval;
  r.squash = 0.82;
  r.droop = 0.12;
  r.ramp = v.a;
  if (v.c != kNoRamp) {
    r.alt = v.c;
    r.altUntil = 0.35;
  }
  radial(c, rng, r);
  centre(c, head + Vec{0, -0.4}, 2.4 * v.size, 0.9, v.b, Eye::kCone);
}

void coneflower(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend);
  leaf(c, k.at(0.22), -kPi * 0.85, 7, 1.7, v.leaves, 1.5);
  leaf(c, k.at(0.45), -0.15, 6, 1.5, v.leaves, 1.5);
  Radial r;
  r.at = head + Vec{0, 0.5};
  r.petals = 12;
  r.inner = 2.0 * v.size;
  r.length = 6.0 * v.size;
  r.width = 1.3;
  r.shape = Profile::kStrap;
  r.squash = 0.55;
  r.droop = 0.55;
  r.ramp = v.a;
  radial(c, rng, r);
  centre(c, head + Vec{0, -0.8}, 2.8 * v.size, 0.85, v.b, Eye::kCone);
}

void cosmos(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend, kStem, 0.8);
  featherLeaf(c, k.at(0.25), -kPi * 0.8, 7, v.leaves);
  featherLeaf(c, k.at(0.5), -0.3, 6, v.leaves);
  Radial r;
  r.at = head;
  r.petals = 8;
  r.inner = 1.4 * v.size;
  r.length = 6.2 * v.size;
  r.width = 2.3 * v.size;
  r.shape = Profile::kBroad;
  r.fringe = 2;
  r.squash = 0.85;
  r.ramp = v.a;
  r.rot = 0.2;
  if (v.c != kNoRamp) {
    r.alt = v.c;
    r.altUntil = 0.3;
  }
  radial(c, rng, r);
  centre(c, head, 1.8 * v.size, 0.85, v.b, Eye::kDome);
}

void aster(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[3] = {{v.x - 4, v.top + 3}, {v.x + 3, v.top}, {v.x + 6, v.top + 9}};
  for (int i = 0; i < 3; ++i) {
    const Curve k = stem(c, v.x, heads[i] + Vec{0, 1}, (1 - i) * 1.5, kStem, 0.8);
    leaf(c, k.at(0.3 + 0.15 * i), i == 0 ? -kPi * 0.85 : -0.2, 5, 1.2, v.leaves, 0.5);
  }
  for (const Vec& h : heads) {
    Radial r;
    r.at = h;
    r.petals = 16;
    r.inner = 1.5 * v.size;
    r.length = 3.6 * v.size;
    r.width = 0.75;
    r.squash = 0.85;
    r.ramp = v.a;
    r.jitter = 0.12;
    radial(c, rng, r);
    centre(c, h, 1.5 * v.size, 0.9, v.b, Eye::kDome);
  }
}

void gerbera(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  stem(c, v.x, head + Vec{0, 1}, v.bend, kStem, 1.0);
  rosette(c, rng, v.x, 4, 8, 2.2, v.leaves, true);
  Radial r;
  r.at = head;
  r.petals = 16;
  r.inner = 2.4 * v.size;
  r.length = 5.8 * v.size;
  r.width = 1.15;
  r.squash = 0.8;
  r.ramp = v.a;
  r.layers = 2;
  if (v.c != kNoRamp) {
    r.alt = v.c;
    r.altUntil = 0.25;
  }
  radial(c, rng, r);
  centre(c, head, 2.4 * v.size, 0.8, v.b, Eye::kRing);
}

void zinnia(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend, kStem, 1.0);
  leaf(c, k.at(0.25), -kPi, 6, 2.0, v.leaves, 1);
  leaf(c, k.at(0.25), 0, 6, 2.0, v.leaves, 1);
  leaf(c, k.at(0.55), -kPi * 0.9, 5, 1.6, v.leaves, 1);
  Radial r;
  r.at = head;
  r.petals = 12;
  r.inner = 1.2 * v.size;
  r.length = 6.0 * v.size;
  r.width = 1.8 * v.size;
  r.shape = Profile::kBroad;
  r.squash = 0.75;
  r.ramp = v.a;
  r.layers = 3;
  radial(c, rng, r);
  centre(c, head, 1.5 * v.size, 0.8, v.b, Eye::kStamens, kYellow);
}

void anemone(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 1}, v.bend);
  featherLeaf(c, k.at(0.55), -kPi * 0.85, 5, v.leaves);
  featherLeaf(c, k.at(0.55), -0.15, 5, v.leaves);
  rosette(c, rng, v.x, 3, 5, 1.6, v.leaves, true);
  Radial r;
  r.at = head;
  r.petals = 6;
  r.inner = 0.8;
  r.length = 6.0 * v.size;
  r.width = 2.8 * v.size;
  r.shape = Profile::kBroad;
  r.squash = 0.85;
  r.rot = 0.5;
  r.ramp = v.a;
  radial(c, rng, r);
  centre(c, head, 2.0 * v.size, 0.85, v.b, Eye::kStamens, kDark);
}

void poppy(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.6, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 2}, v.bend, kSage, 0.85);
  featherLeaf(c, k.at(0.15), -kPi * 0.9, 6, kSage);
  featherLeaf(c, k.at(0.3), -0.1, 5, kSage);
  // A nodding bud beside the flower.
  const Vec budTop{v.x + 7, v.top + 10};
  stem(c, v.x + 1, budTop, 2.5, kSage, 0.7);
  c.ellipse(budTop + Vec{1.3, 1.2}, 1.4, 2.0, -0.5, leafMaterial(kSage),
            [](const Local& l) { return sphereTone(l.t, l.s); });
  Radial r;
  r.at = head;
  r.petals = 4;
  r.inner = 0.5;
  r.length = 6.4 * v.size;
  r.width = 3.9 * v.size;
  r.shape = Profile::kBroad;
  r.squash = 0.74;
  r.rot = -kPi / 4 + 0.1;
  r.ramp = v.a;
  if (v.c != kNoRamp) {
    r.alt = v.c;
    r.altUntil = 0.22;
  }
  radial(c, rng, r);
  centre(c, head, 1.4 * v.size, 0.8, v.b, Eye::kStamens, kDark);
}

void buttercup(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[2] = {{v.x + 2, v.top}, {v.x - 5, v.top + 7}};
  for (int i = 0; i < 2; ++i) {
    const Curve k = stem(c, v.x, heads[i] + Vec{0, 1}, i == 0 ? 1 : -1.5, kStem, 0.75);
    if (i == 0) leaflets(c, k.at(0.35), 3, 3.2, 1.5, 1.8, v.leaves);
  }
  rosette(c, rng, v.x, 3, 5, 1.8, v.leaves, true);
  for (int i = 0; i < 2; ++i) {
    Radial r;
    r.at = heads[i];
    r.petals = 5;
    r.inner = 0.4;
    r.length = (i == 0 ? 4.2 : 3.4) * v.size;
    r.width = 2.3 * v.size;
    r.shape = Profile::kBroad;
    r.squash = 0.7;
    r.rot = -kPi / 2;
    r.ramp = v.a;
    r.light = 0.1;
    radial(c, rng, r);
    centre(c, heads[i], 1.0 * v.size, 0.8, v.b, Eye::kDome);
  }
}

void primrose(Canvas& c, Rng& rng, const V& v) {
  rosette(c, rng, v.x, 5, 9, 2.4, v.leaves, false);
  const Vec heads[3] = {{v.x - 5, v.top + 2}, {v.x + 4, v.top}, {v.x, v.top + 6}};
  for (const Vec& h : heads) {
    stem(c, v.x, h + Vec{0, 1}, (h.x - v.x) * 0.3, kStem, 0.6);
  }
  for (const Vec& h : heads) {
    Radial r;
    r.at = h;
    r.petals = 5;
    r.inner = 0.6;
    r.length = 3.8 * v.size;
    r.width = 2.0 * v.size;
    r.shape = Profile::kBroad;
    r.fringe = 1;
    r.squash = 0.85;
    r.rot = -kPi / 2;
    r.ramp = v.a;
    if (v.c != kNoRamp) {
      r.alt = v.c;
      r.altUntil = 0.35;
    }
    radial(c, rng, r);
    centre(c, h, 0.9, 0.9, v.b, Eye::kDome);
  }
}

void geranium(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[2] = {{v.x + 3, v.top}, {v.x - 4, v.top + 5}};
  for (int i = 0; i < 2; ++i) stem(c, v.x, heads[i] + Vec{0, 1}, i == 0 ? 1.5 : -1, kStem, 0.75);
  leaf(c, {v.x, 30}, -kPi * 0.9, 6.5, 2.0, v.leaves, 1);
  leaf(c, {v.x, 30}, -0.15, 6.5, 2.0, v.leaves, 1);
  leaf(c, {v.x, 29}, -kPi * 0.62, 5.0, 1.8, v.leaves, 0);
  for (int i = 0; i < 2; ++i) {
    Radial r;
    r.at = heads[i];
    r.petals = 5;
    r.inner = 0.5;
    r.length = (i == 0 ? 5.0 : 4.2) * v.size;
    r.width = 2.3 * v.size;
    r.shape = Profile::kBroad;
    r.squash = 0.85;
    r.rot = -kPi / 2 + 0.2;
    r.ramp = v.a;
    radial(c, rng, r);
    centre(c, heads[i], 0.9, 0.9, v.b, Eye::kDome);
  }
  (void)rng;
}

void campion(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[2] = {{v.x + 3, v.top}, {v.x - 3, v.top + 6}};
  for (int i = 0; i < 2; ++i) {
    const Curve k = stem(c, v.x, heads[i] + Vec{0, 2.5}, i == 0 ? 1.5 : -1.5, kStem, 0.75);
    leaf(c, k.at(0.35), i == 0 ? -0.3 : -kPi * 0.75, 5.5, 1.3, v.leaves, 1);
    // The swollen calyx behind the petals.
    c.ellipse(heads[i] + Vec{0, 2.3}, 1.2, 2.0, 0, leafMaterial(kOlive),
              [](const Local& l) { return sphereTone(l.t, l.s); });
  }
  for (int i = 0; i < 2; ++i) {
    Radial r;
    r.at = heads[i];
    r.petals = 5;
    r.inner = 0.4;
    r.length = 4.4 * v.size;
    r.width = 1.9 * v.size;
    r.shape = Profile::kSpoon;
    r.fringe = 1;
    r.squash = 0.8;
    r.rot = -kPi / 2;
    r.ramp = v.a;
    radial(c, rng, r);
    centre(c, heads[i], 0.8, 0.9, v.b, Eye::kDome);
  }
}

void forgetMeNot(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[7] = {{v.x - 6, v.top + 4}, {v.x - 2, v.top},     {v.x + 3, v.top + 2},
                        {v.x + 7, v.top + 6}, {v.x - 4, v.top + 9}, {v.x + 2, v.top + 7},
                        {v.x + 6, v.top + 12}};
  const Curve k = stem(c, v.x, {v.x, v.top + 9}, 0.5, kStem, 0.8);
  for (const Vec& h : heads) stem(c, v.x, h, (h.x - v.x) * 0.4, kStem, 0.55);
  leaf(c, k.at(0.35), -kPi * 0.8, 6, 1.5, v.leaves, 1);
  leaf(c, k.at(0.2), -0.2, 6, 1.5, v.leaves, 1);
  for (const Vec& h : heads) {
    Radial r;
    r.at = h;
    r.petals = 5;
    r.inner = 0.3;
    r.length = 2.0 * v.size;
    r.width = 1.3 * v.size;
    r.shape = Profile::kBroad;
    r.squash = 0.95;
    r.rot = rng.range(0, 1.2);
    r.ramp = v.a;
    r.light = 0.1;
    radial(c, rng, r);
    c.dot(h, v.b, kLight, 41);
  }
}

void cornflower(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[2] = {{v.x + 2, v.top}, {v.x - 5, v.top + 8}};
  for (int i = 0; i < 2; ++i) {
    const Curve k = stem(c, v.x, heads[i] + Vec{0, 2}, i == 0 ? 1.2 : -1.5, kSage, 0.75);
    leaf(c, k.at(0.3), i == 0 ? -0.35 : -kPi * 0.75, 6, 0.9, kSage, 0.5);
    // The scaly green bract cup under the florets.
    c.ellipse(heads[i] + Vec{0, 2.0}, 1.6, 1.9, 0, leafMaterial(kSage), [](const Local& l) {
      return sphereTone(l.t, l.s) - ((static_cast<int>(l.p.y) % 2) ? 1 : 0);
    });
  }
  for (int i = 0; i < 2; ++i) {
    const double s = i == 0 ? v.size : v.size * 0.8;
    Radial r;
    r.at = heads[i];
    r.petals = 9;
    r.inner = 0.8;
    r.length = 4.2 * s;
    r.width = 1.35 * s;
    r.shape = Profile::kSpoon;
    r.fringe = 3;
    r.squash = 0.7;
    r.droop = 0.1;
    r.ramp = v.a;
    r.jitter = 0.1;
    radial(c, rng, r);
    centre(c, heads[i] + Vec{0, -0.3}, 1.3 * s, 0.8, v.b, Eye::kDome);
  }
}

void dandelion(Canvas& c, Rng& rng, const V& v) {
  rosette(c, rng, v.x, 6, 9, 2.0, v.leaves, true);
  const Vec head{v.x + v.bend * 0.5, v.top};
  stem(c, v.x, head + Vec{0, 2}, v.bend, kYellowGreen, 0.8);
  Radial r;
  r.at = head;
  r.petals = 20;
  r.inner = 0.8;
  r.length = 4.8 * v.size;
  r.width = 0.8;
  r.squash = 0.78;
  r.ramp = v.a;
  r.layers = 3;
  r.jitter = 0.1;
  r.fringe = 1;
  radial(c, rng, r);
  centre(c, head, 1.3, 0.8, v.b, Eye::kDome);
}

void dandelionClock(Canvas& c, Rng& rng, const V& v) {
  rosette(c, rng, v.x, 5, 8, 1.8, v.leaves, true);
  const Vec head{v.x + v.bend * 0.5, v.top};
  stem(c, v.x, head + Vec{0, 1.5}, v.bend, kYellowGreen, 0.8);
  const double r = 6.0 * v.size;
  // Seeds: fine rays ending in tufts, lighter towards the upper left.
  const Material m{v.a, 20, false, false};
  for (int i = 0; i < 28; ++i) {
    const double a = 2 * kPi * i / 28 + rng.range(-0.05, 0.05);
    const Vec tip = head + Vec::polar(a, r);
    c.stroke(
        head, (head + tip) * 0.5, tip, [](double t) { return t < 0.75 ? 0.32 : 0.7; }, m,
        [a](const Local& l) {
          const double light = 0.4 + 0.3 * l.t - 0.3 * (dm::cos(a) * 0.6 + dm::sin(a) * 0.8);
          return l.t < 0.75 ? kShadow : quantize(light);
        });
  }
  c.ellipse(head, 1.4, 1.2, 0, Material{v.b, 21, true, false},
            [](const Local& l) { return sphereTone(l.t, l.s); });
}

void daffodil(Canvas& c, Rng& rng, const V& v) {
  strap(c, v.x - 2, {v.x - 7, v.top + 8}, -1, 1.3, kSage);
  strap(c, v.x + 2, {v.x + 6, v.top + 6}, 1, 1.3, kSage);
  const Vec head{v.x - 1, v.top};
  stem(c, v.x, head + Vec{0.5, 2}, 1.0, kSage, 0.9);
  // The flower looks sideways: a star of six petals seen edge-on, and the trumpet pointing
  // towards the right, with a frilled, open mouth.
  Radial r;
  r.at = head;
  r.petals = 6;
  r.inner = 0.5;
  r.length = 5.2 * v.size;
  r.width = 2.0 * v.size;
  r.shape = Profile::kPointed;
  r.squash = 1.0;
  r.squashX = 0.5;
  r.rot = kPi / 2;
  r.ramp = v.a;
  radial(c, rng, r);
  const Vec mouth = head + Vec{6.0 * v.size, 0.6};
  c.stroke(
      head + Vec{0.5, 0}, (head + mouth) * 0.5, mouth,
      [s = v.size](double t) { return s * (1.3 + 0.5 * t); }, petalMaterial(v.b, 30),
      [](const Local& l) { return l.s < -0.3 ? kLight : (l.s > 0.5 ? kShadow : kMid); });
  c.ellipse(mouth, 1.2 * v.size, 2.5 * v.size, 0, petalMaterial(v.b, 31), [](const Local& l) {
    const double r2 = l.t * l.t + l.s * l.s;
    return r2 < 0.35 ? kShadow : (l.s < 0 ? kHigh : kLight);
  });
}

void tulip(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  strap(c, v.x - 1, {v.x - 7, v.top + 12}, -2, 1.9, kSage);
  strap(c, v.x + 1, {v.x + 7, v.top + 9}, 2.5, 1.8, kSage);
  const Vec base{v.x + v.bend * 0.5, v.top + 5};
  stem(c, v.x, base, v.bend, kSage, 0.95);
  cup(c, base, 5.2 * v.size, 9.5 * v.size, v.a, true, 30, v.c);
}

void crocus(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  for (int i = 0; i < 4; ++i) {
    const double dx = (i - 1.5) * 2.6;
    strap(c, v.x + dx * 0.4, {v.x + dx * 1.4, v.top + 2 + (i % 2) * 4}, dx * 0.2, 0.7, v.leaves);
  }
  const Vec base{v.x, v.top + 7};
  stem(c, v.x, base, 0, kCream, 0.8);
  cup(c, base, 4.6 * v.size, 9.5 * v.size, v.a, false, 30, v.c);
  // Orange stigma peeping out of the goblet.
  c.dot(base + Vec{0, -9.5 * v.size + 0.8}, v.b, kLight, 35);
  c.dot(base + Vec{0.9, -9.5 * v.size + 1.8}, v.b, kMid, 35);
}

void iris(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  strap(c, v.x - 1, {v.x - 6, v.top + 4}, -1, 1.6, kSage);
  strap(c, v.x + 1, {v.x + 5, v.top + 8}, 1, 1.6, kSage);
  const Vec head{v.x, v.top};
  stem(c, v.x, head + Vec{0, 3}, 0.5, kSage, 0.9);
  const Material m = petalMaterial(v.a, 30, v.b);
  const Material stand = petalMaterial(v.c == kNoRamp ? v.a : v.c, 31);
  // Three standards rising, then three falls curling down with their yellow beards.
  const double sz = v.size;
  const Vec tops[3] = {{-2.6, -6.5}, {2.6, -6.5}, {0, -7.6}};
  for (const Vec& t : tops) {
    c.stroke(
        head, head + Vec{t.x * 1.3, t.y * 0.5} * sz, head + t * sz,
        [sz](double t2) { return 1.8 * sz * profile(Profile::kOval, t2); }, stand,
        [](const Local& l) { return quantize(0.25 + 0.55 * l.t - 0.3 * l.s); });
  }
  const Vec falls[3] = {{-5.5, 4.5}, {5.5, 4.5}, {0, 6.0}};
  for (const Vec& f : falls) {
    const Vec tip = head + f * sz;
    c.stroke(
        head + Vec{0, 0.5}, head + Vec{f.x * 0.8, -1.5} * sz, tip,
        [sz](double t2) { return 2.1 * sz * profile(Profile::kBroad, t2); }, m,
        [](const Local& l) {
          if (l.t < 0.45 && std::fabs(l.s) < 0.3) return kLight + kAlt;  // the beard
          return quantize(0.35 + 0.3 * l.t - 0.35 * std::fabs(l.s));
        });
  }
}

void rose(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 3}, v.bend, kDarkLeaf, 0.9);
  for (int i = 0; i < 2; ++i) {
    const Vec at = k.at(0.25 + 0.25 * i);
    const double dir = i == 0 ? -kPi * 0.9 : -0.15;
    leaf(c, at, dir, 4.0, 1.8, kDarkLeaf, 0.5);
    leaf(c, at + Vec::polar(dir, 2.5), dir - 0.7, 3.0, 1.4, kDarkLeaf, 0);
  }
  // Sepals under the bloom.
  leaf(c, head + Vec{0, 3}, kPi * 0.8, 3.5, 0.8, kDarkLeaf, 1);
  leaf(c, head + Vec{0, 3}, kPi * 0.2, 3.5, 0.8, kDarkLeaf, 1);
  const double s = v.size;
  // Outer petals: a cup; inside, a spiral of petal edges.
  const Material outer = petalMaterial(v.a, 30);
  for (int i = 0; i < 3; ++i) {
    const double a = -kPi / 2 + (i - 1) * 1.2;
    c.ellipse(head + Vec{(i - 1) * 2.6 * s, 1.2 * s + (i == 1 ? 0.8 : 0)}, 3.2 * s, 3.0 * s, a,
              outer, [](const Local& l) { return quantize(0.45 - 0.35 * l.s - 0.15 * l.t); });
  }
  c.ellipse(head + Vec{0, -0.6 * s}, 4.2 * s, 3.4 * s, 0, petalMaterial(v.a, 31),
            [](const Local& l) {
              const double r = std::sqrt(l.t * l.t + l.s * l.s);
              const double a = dm::atan2(l.s, l.t) / (2 * dm::kPi);
              const double phase = r * 2.6 + a;
              const double f = phase - std::floor(phase);
              int tone = sphereTone(l.t, l.s, 0.05);
              if (f < 0.22 && r > 0.15) tone = kShadow;
              return tone;
            });
}

void carnation(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 4}, v.bend, kSage, 0.8);
  leaf(c, k.at(0.3), -kPi * 0.85, 6, 0.8, kSage, 1.5);
  leaf(c, k.at(0.3), -0.15, 6, 0.8, kSage, 1.5);
  leaf(c, k.at(0.6), -kPi * 0.8, 5, 0.7, kSage, 1);
  c.ellipse(head + Vec{0, 3.0}, 1.3, 2.4, 0, leafMaterial(kSage),
            [](const Local& l) { return sphereTone(l.t, l.s); });
  const double s = v.size;
  const Ramp alt = v.c;
  c.fill(
      head - Vec{6 * s, 5 * s}, head + Vec{6 * s, 3 * s},
      [=](Vec p, Local& l) {
        const Vec d = p - head;
        const double a = dm::atan2(d.y, d.x);
        const double rx = 4.6 * s, ry = 3.4 * s;
        double edge = 1 + 0.13 * dm::sin(a * 11 + 0.5);  // frilly edge
        if (d.y > 0.8 * s) edge = 0;                     // flat underside into the calyx
        const double u = d.x / rx, w = d.y / ry;
        if (u * u + w * w > edge * edge) return false;
        l.t = u;
        l.s = w;
        l.p = p;
        return true;
      },
      Material{v.a, 30, true, false, alt},
      [=](const Local& l) {
        int tone = sphereTone(l.t, l.s, 0.05);
        const int gx = static_cast<int>(std::floor(l.p.x)),
                  gy = static_cast<int>(std::floor(l.p.y));
        if ((gx * 2 + gy * 3) % 7 == 0) tone = std::max(kShadow, tone - 1);
        const double r2 = l.t * l.t + l.s * l.s;
        return alt != kNoRamp && r2 > 0.55 ? tone + kAlt : tone;
      });
}

void marigold(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 2}, v.bend, kStem, 0.9);
  featherLeaf(c, k.at(0.2), -kPi * 0.85, 6, kDarkLeaf);
  featherLeaf(c, k.at(0.4), -0.2, 6, kDarkLeaf);
  ball(c, rng, head, 5.0 * v.size, 4.2 * v.size, v.a, 0.07, 20);
  // Ruffled rings of petal edges.
  const Material ring{v.b, 21, false, false};
  for (int i = 0; i < 2; ++i) {
    const double r = (1.8 + 1.6 * i) * v.size;
    c.fill(
        head - Vec{r + 1, r + 1}, head + Vec{r + 1, r + 1},
        [=](Vec p, Local& l) {
          const Vec d = p - head;
          const double a = dm::atan2(d.y, d.x);
          const double rr = std::sqrt(d.x * d.x + d.y * d.y / 0.7);
          const double target = r * (1 + 0.12 * dm::sin(a * 7 + i));
          l.t = d.x;
          l.s = d.y;
          return std::fabs(rr - target) < 0.45 && d.y > -r * 0.6;
        },
        ring, [](const Local&) { return kMid; });
  }
}

void pompom(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  stem(c, v.x, head + Vec{0, 2}, v.bend, v.leaves == kLeaf ? kStem : v.leaves, 0.8);
  strap(c, v.x - 1, {v.x - 7, 24}, -1, 1.4, v.leaves);
  strap(c, v.x + 1, {v.x + 6, 21}, 1, 1.4, v.leaves);
  ball(c, rng, head, 5.0 * v.size, 5.0 * v.size, v.a, 0.08, 20);
  // Tiny star florets sparkle on the lit side.
  for (int i = 0; i < 9; ++i) {
    const double a = rng.range(0, 2 * kPi), r = rng.range(0.5, 3.5) * v.size;
    const Vec p = head + Vec::polar(a, r);
    if (p.x < head.x + 1 && p.y < head.y + 1) c.dot(p, v.a, kHigh, 21);
  }
}

void thistle(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + v.bend * 0.5, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 3}, v.bend, kSage, 0.9);
  for (int i = 0; i < 3; ++i) {
    const Vec at = k.at(0.15 + 0.22 * i);
    const double dir = i % 2 == 0 ? -kPi * 0.9 : -0.15;
    c.stroke(
        at, at + Vec::polar(dir, 3.5), at + Vec::polar(dir, 7) + Vec{0, 1},
        [](double t) {
          const double p = t < 0.3 ? t / 0.3 : (1 - t) / 0.7;
          return 1.6 * std::sqrt(std::max(0.0, p)) * (0.4 + 0.6 * std::fabs(dm::sin(t * 15)));
        },
        leafMaterial(kSage), [](const Local& l) { return l.s < 0 ? kLight : kMid; });
  }
  // Spiny bulb, then the brush of florets on top.
  const Vec bulb = head + Vec{0, 2.2 * v.size};
  c.ellipse(bulb, 2.8 * v.size, 2.6 * v.size, 0, leafMaterial(kSage), [](const Local& l) {
    const int gx = static_cast<int>(std::floor(l.p.x)), gy = static_cast<int>(std::floor(l.p.y));
    return (gx + gy) % 3 == 0 ? kShadow : sphereTone(l.t, l.s);
  });
  for (int i = 0; i < 11; ++i) {
    const double a = -kPi / 2 + (i - 5) * 0.16;
    const Vec from = head + Vec{0, 0.5};
    const Vec tip = from + Vec::polar(a, 4.8 * v.size * (i % 2 ? 0.9 : 1.0));
    c.stroke(
        from, (from + tip) * 0.5, tip, [](double t) { return 0.75 - 0.2 * t; },
        petalMaterial(v.a, 30), [](const Local& l) { return quantize(0.2 + 0.7 * l.t); });
  }
  (void)rng;
}

void clover(Canvas& c, Rng& rng, const V& v) {
  const Vec heads[2] = {{v.x + 2, v.top}, {v.x - 5, v.top + 6}};
  for (int i = 0; i < 2; ++i) stem(c, v.x, heads[i] + Vec{0, 2}, i == 0 ? 1 : -1.5, kStem, 0.75);
  stem(c, v.x + 4, {v.x + 6, 24}, 0, kStem, 0.6);
  stem(c, v.x - 1, {v.x - 4, 28}, 0, kStem, 0.6);
  // Trefoils: three round leaflets, each with its pale chevron.
  const Vec trefoils[2] = {{v.x + 6, 23}, {v.x - 4, 27}};
  for (const Vec& t : trefoils) {
    for (int j = 0; j < 3; ++j) {
      const double a = -kPi / 2 + (j - 1) * 2.1;
      c.ellipse(t + Vec::polar(a, 1.8), 1.7, 1.4, a, leafMaterial(v.leaves), [](const Local& l) {
        if (std::fabs(l.s) < 0.25 && l.t > -0.3 && l.t < 0.3) return kHigh;
        return l.s < 0 ? kLight : kMid;
      });
    }
  }
  for (int i = 0; i < 2; ++i) {
    const double s = (i == 0 ? 1.0 : 0.8) * v.size;
    ball(c, rng, heads[i], 3.3 * s, 3.6 * s, v.a, 0.13, 30 + i);
    // Florets droop in rows around the head; their green calyces show at the base.
    for (int j = 0; j < 5; ++j) {
      const Vec p = heads[i] + Vec{(j - 2) * 1.3 * s, 2.2 * s + (j % 2) * 0.7};
      c.dot(p, v.b, kShadow, 32 + i);
    }
    c.dot(heads[i] + Vec{-0.8, 3.9 * s}, kLeaf, kMid, 34);
    c.dot(heads[i] + Vec{0.8, 3.9 * s}, kLeaf, kShadow, 34);
  }
}

void yarrow(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  const Vec head{v.x + 1, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 6}, 0.8, kStem, 0.85);
  leaf(c, k.at(0.15), -kPi * 0.85, 6.5, 1.1, v.leaves, 1);
  leaf(c, k.at(0.35), -0.2, 6.0, 1.0, v.leaves, 1);
  leaf(c, k.at(0.55), -kPi * 0.8, 4.5, 0.9, v.leaves, 0.5);
  const Vec fork = k.at(1.0);
  for (int i = -2; i <= 2; ++i) {
    const Vec to = head + Vec{i * 2.0 * v.size, 0.8};
    c.stroke(
        fork, (fork + to) * 0.5 + Vec{0, 0.5}, to, [](double) { return 0.45; },
        Material{kStem, 1, false, false}, [](const Local&) { return kMid; });
  }
  // A flat-topped, slightly domed cluster of tiny florets.
  for (int row = 0; row < 3; ++row) {
    const int n = 6 - row;
    for (int i = 0; i < n; ++i) {
      const Vec p{head.x + (i - (n - 1) / 2.0) * 1.9 * v.size,
                  head.y + 0.6 - row * 1.4 + ((i + row) % 2) * 0.3};
      c.ellipse(p, 1.15, 1.0, 0, petalMaterial(v.a, 30 + (i + row) % 2),
                [](const Local& l) { return l.t + l.s < -0.3 ? kHigh : kLight; });
    }
  }
  c.dot(head + Vec{-2, -0.6}, v.b, kMid, 41);
  c.dot(head + Vec{1.5, -1.8}, v.b, kMid, 41);
  c.dot(head + Vec{3.5, 0.5}, v.b, kMid, 41);
}

// Spikes of florets along the top of a stem.
struct SpikeStyle {
  int count = 12;
  double from = 0.45;  // the part of the stem that bears florets
  double r0 = 1.8, r1 = 0.9;
  double spread = 1.2;
  int kind = 0;  // 0 round florets, 1 pea flowers, 2 hanging bells, 3 stars
};

void spike(Canvas& c, Rng& rng, const Curve& k, const SpikeStyle& st, Ramp a, Ramp b, int group) {
  for (int i = 0; i < st.count; ++i) {
    const double f = static_cast<double>(i) / (st.count - 1);
    const double t = st.from + (1 - st.from) * f;
    const double side = (i % 2 == 0 ? -1 : 1);
    const double r = st.r0 + (st.r1 - st.r0) * f;
    const Vec p = k.at(t) + Vec{side * st.spread * (1 - 0.6 * f) + rng.range(-0.2, 0.2), 0};
    if (st.kind == 2) {
      bell(c, k.at(t), kPi / 2 + side * 0.55, 3.8 * r, 1.3 * r, a, group + (i % 2), true);
      continue;
    }
    const Material m = petalMaterial(a, group + i % 3, b);
    c.ellipse(p, r * (st.kind == 1 ? 1.2 : 1.0), r * (st.kind == 1 ? 0.85 : 1.0),
              st.kind == 1 ? side * 0.3 : 0, m, [=](const Local& l) {
                int tone = sphereTone(l.t, l.s, 0.1);
                if (st.kind == 1 && l.s < -0.1 && b != kNoRamp) return tone + kAlt;  // standard
                if (st.kind == 3 && std::fabs(l.t) < 0.25 && std::fabs(l.s) < 0.25) return kShadow;
                return tone;
              });
  }
}

void lavender(Canvas& c, Rng& rng, const V& v) {
  for (int i = 0; i < 4; ++i) {
    const double dx = (i - 1.5) * 3.2;
    const Vec top{v.x + dx * 1.6, v.top + (i % 2) * 3 + (i == 0 ? 4 : 0)};
    const Curve k = stem(c, v.x + dx * 0.3, top, dx * 0.15, kSage, 0.55);
    SpikeStyle st;
    st.count = 9;
    st.from = 0.55;
    st.r0 = 1.05;
    st.r1 = 0.75;
    st.spread = 0.5;
    spike(c, rng, k, st, v.a, kNoRamp, 30 + i * 3);
  }
  for (int i = 0; i < 4; ++i) {
    leaf(c, {v.x + (i - 1.5) * 2, 30.5}, -kPi / 2 + (i - 1.5) * 0.45, 6, 0.7, kSage, 0);
  }
}

void lupin(Canvas& c, Rng& rng, const V& v) {
  const Vec top{v.x + v.bend * 0.4, v.top - 4};
  const Curve k = stem(c, v.x, top, v.bend, kStem, 1.0);
  leaflets(c, {v.x - 4, 26}, 7, 4.2, 0.9, 3.0, v.leaves);
  stem(c, v.x - 2, {v.x - 4, 26}, 0, kStem, 0.55);
  leaflets(c, {v.x + 5, 28}, 6, 3.6, 0.85, 2.6, v.leaves);
  SpikeStyle st;
  st.count = 15;
  st.from = 0.35;
  st.r0 = 2.0 * v.size;
  st.r1 = 1.0 * v.size;
  st.spread = 1.5;
  st.kind = 1;
  spike(c, rng, k, st, v.a, v.b, 30);
}

void foxglove(Canvas& c, Rng& rng, const V& v) {
  const Vec top{v.x - 1, v.top - 7};
  const Curve k = stem(c, v.x - 2, top, -0.8, kStem, 0.95);
  rosette(c, rng, v.x - 2, 4, 8, 2.4, v.leaves, false);
  // Thimble-like bells on one side, hanging out and down, biggest at the bottom, spotted
  // inside the mouth; buds at the tip.
  for (int i = 4; i >= 0; --i) {
    const Vec at = k.at(0.42 + 0.115 * i) + Vec{0.5, 0};
    const double len = (6.2 - 0.7 * i) * v.size;
    const double angle = kPi * 0.2 + 0.04 * i;
    bell(c, at, angle, len, 2.0 * v.size * (1 - 0.09 * i), v.a, 30 + (i % 2), true);
    const Vec mouth = at + Vec::polar(angle, len * 0.82);
    if (i < 4) c.dot(mouth + Vec{-0.4, 0.2}, v.b, kShadow, 45);
  }
  c.ellipse(k.at(0.99), 0.9, 1.3, 0, petalMaterial(v.a, 36),
            [](const Local& l) { return sphereTone(l.t, l.s); });
}

void hyacinth(Canvas& c, Rng& rng, const V& v) {
  strap(c, v.x - 1, {v.x - 7, 16}, -2, 1.9, v.leaves);
  strap(c, v.x + 1, {v.x + 7, 18}, 2, 1.9, v.leaves);
  strap(c, v.x, {v.x - 2, 20}, -1, 1.6, v.leaves);
  const Curve k = stem(c, v.x, {v.x, v.top - 4}, 0, kStem, 1.1);
  SpikeStyle st;
  st.count = 16;
  st.from = 0.3;
  st.r0 = 2.0 * v.size;
  st.r1 = 1.5 * v.size;
  st.spread = 2.2;
  st.kind = 3;
  spike(c, rng, k, st, v.a, kNoRamp, 30);
}

void grapeHyacinth(Canvas& c, Rng& rng, const V& v) {
  for (int i = 0; i < 5; ++i) {
    strap(c, v.x + (i - 2), {v.x + (i - 2) * 3.5, v.top + 6 + (i % 2) * 4}, (i - 2) * 0.8, 0.6,
          v.leaves);
  }
  const Vec tops[2] = {{v.x - 2, v.top}, {v.x + 4, v.top + 5}};
  for (int j = 0; j < 2; ++j) {
    const Curve k = stem(c, v.x + j * 2 - 1, tops[j], 0.3, kStem, 0.7);
    SpikeStyle st;
    st.count = 12;
    st.from = 0.5;
    st.r0 = 1.25 * v.size;
    st.r1 = 0.85 * v.size;
    st.spread = 1.1;
    spike(c, rng, k, st, v.a, kNoRamp, 30 + j * 3);
  }
}

void snapdragon(Canvas& c, Rng& rng, const V& v) {
  const Curve k = stem(c, v.x, {v.x + 1, v.top - 5}, 0.8, kStem, 0.95);
  leaf(c, k.at(0.15), -kPi * 0.85, 6, 1.2, v.leaves, 1);
  leaf(c, k.at(0.25), -0.2, 6, 1.2, v.leaves, 1);
  SpikeStyle st;
  st.count = 9;
  st.from = 0.4;
  st.r0 = 2.4 * v.size;
  st.r1 = 1.3 * v.size;
  st.spread = 1.8;
  st.kind = 1;
  spike(c, rng, k, st, v.a, v.b, 30);
}

void bluebell(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  strap(c, v.x - 1, {v.x - 7, 19}, -1.5, 1.3, v.leaves);
  strap(c, v.x + 1, {v.x + 4, 17}, 1.5, 1.3, v.leaves);
  // The stem arches over; bells hang from short stalks along its outer side.
  const Curve k{{v.x, kGround}, {v.x + 1, v.top - 4}, {v.x + 15 * v.size, v.top + 4}};
  c.stroke(
      k.a, k.b, k.c, [](double) { return 0.75; }, Material{kStem, 1, false, false},
      [](const Local& l) { return l.s < 0 ? kLight : kMid; });
  for (int i = 0; i < 3; ++i) {
    const double t = 0.52 + 0.22 * i;
    const Vec at = k.at(t) + Vec{0, 1.2};
    c.stroke(
        k.at(t), k.at(t) + Vec{0.3, 0.6}, at, [](double) { return 0.45; },
        Material{kStem, 1, false, false}, [](const Local&) { return kMid; });
    bell(c, at, kPi / 2 - 0.08, (5.6 - 0.6 * i) * v.size, 2.0 * v.size * (1 - 0.1 * i), v.a,
         30 + (i % 2), true);
  }
}

void harebell(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  for (int i = 0; i < 3; ++i) {
    strap(c, v.x + (i - 1), {v.x + (i - 1) * 4, 24.0 + i}, (i - 1) * 0.5, 0.55, v.leaves);
  }
  // Hair-thin stems that nod over at the top, each with one open bell.
  const Vec tops[2] = {{v.x + 6, v.top}, {v.x - 4, v.top + 6}};
  for (int j = 0; j < 2; ++j) {
    const double side = j == 0 ? 1 : -1;
    const Curve k{{v.x, kGround}, {tops[j].x - side * 3, tops[j].y - 6}, tops[j]};
    c.stroke(
        k.a, k.b, k.c, [](double) { return 0.55; }, Material{kStem, 1, false, false},
        [](const Local& l) { return l.s < 0 ? kLight : kMid; });
    bell(c, tops[j] + Vec{0, 0.3}, kPi / 2 + side * 0.45, 5.6 * v.size, 2.3 * v.size, v.a, 30 + j,
         true);
  }
}

void snowdrop(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  strap(c, v.x - 1, {v.x - 5, v.top + 6}, -1, 1.0, kSage);
  strap(c, v.x + 1, {v.x + 4, v.top + 9}, 1, 1.0, kSage);
  const Curve k{{v.x, kGround}, {v.x + 0.5, v.top - 4}, {v.x + 5, v.top}};
  c.stroke(
      k.a, k.b, k.c, [](double) { return 0.7; }, Material{kSage, 1, false, false},
      [](const Local& l) { return l.s < 0 ? kLight : kMid; });
  const Vec at = k.at(1.0) + Vec{0.3, 0.5};
  // Three outer petals hanging like a drop; a green-marked inner cup between them.
  bell(c, at, kPi / 2 + 0.35, 6.0 * v.size, 1.9 * v.size, v.a, 30, false);
  bell(c, at, kPi / 2 - 0.25, 6.2 * v.size, 1.9 * v.size, v.a, 31, false);
  const Vec inner = at + Vec::polar(kPi / 2 + 0.05, 5.4 * v.size);
  c.ellipse(inner, 1.3, 1.0, 0, petalMaterial(v.a, 32),
            [](const Local& l) { return l.s > 0 ? kMid : kLight; });
  c.dot(inner + Vec{0, 0.6}, kLeaf, kMid, 33);
}

void pansy(Canvas& c, Rng& rng, const V& v) {
  rosette(c, rng, v.x, 4, 6, 2.1, v.leaves, true);
  const Vec head{v.x + 1, v.top};
  stem(c, v.x, head + Vec{0, 2}, 1, kStem, 0.8);
  const double s = v.size;
  const Material back = petalMaterial(v.c == kNoRamp ? v.a : v.c, 30);
  const Material front = petalMaterial(v.a, 31, v.b);
  // Two upper petals, two wings, the broad lip; the dark face streaks from the eye.
  c.ellipse(head + Vec{-2.2, -3.0} * s, 3.0 * s, 2.6 * s, -0.4, back,
            [](const Local& l) { return quantize(0.5 - 0.3 * l.s - 0.2 * l.t); });
  c.ellipse(head + Vec{2.2, -3.0} * s, 3.0 * s, 2.6 * s, 0.4, back,
            [](const Local& l) { return quantize(0.4 - 0.3 * l.s - 0.2 * l.t); });
  auto face = [](const Local& l) {
    const double r2 = l.t * l.t + l.s * l.s;
    const int tone = quantize(0.55 - 0.3 * l.s);
    return r2 < 0.35 ? kShadow + kAlt : tone;
  };
  c.ellipse(head + Vec{-3.0, 0.2} * s, 2.6 * s, 2.2 * s, 0.3, front, face);
  c.ellipse(head + Vec{3.0, 0.2} * s, 2.6 * s, 2.2 * s, -0.3, front, face);
  c.ellipse(head + Vec{0, 2.6} * s, 3.4 * s, 2.6 * s, 0, Material{v.a, 32, true, false, v.b},
            [](const Local& l) {
              if (l.s < 0.1 && std::fabs(l.t) < 0.55) return kOutline + kAlt;
              return quantize(0.55 - 0.3 * l.s) + (std::fabs(l.t) < 0.2 && l.s < 0.3 ? kAlt : 0);
            });
  c.ellipse(head + Vec{0, 0.5}, 0.9, 0.8, 0, Material{kYellow, 40, false, false},
            [](const Local&) { return kLight; });
}

void violet(Canvas& c, Rng& rng, const V& v) {
  // Heart-shaped leaves low down, small nodding flowers above them.
  for (int i = 0; i < 3; ++i) {
    const Vec at{v.x + (i - 1) * 5.5, 26.5 - (i % 2) * 2.5};
    stem(c, v.x + (i - 1), at + Vec{0, 2}, 0, kStem, 0.5);
    c.ellipse(at, 3.0, 2.6, 0, leafMaterial(v.leaves), [](const Local& l) {
      return l.t < -0.2 && l.s < 0 ? kLight : (l.s > 0.5 ? kShadow : kMid);
    });
  }
  const Vec heads[2] = {{v.x + 3, v.top}, {v.x - 4, v.top + 4}};
  for (int j = 0; j < 2; ++j) {
    stem(c, v.x, heads[j] + Vec{0, 2}, j == 0 ? 2.0 : -1.5, kStem, 0.55);
    Radial r;
    r.at = heads[j];
    r.petals = 5;
    r.inner = 0.3;
    r.length = 3.3 * v.size;
    r.width = 1.8 * v.size;
    r.shape = Profile::kBroad;
    r.squash = 0.9;
    r.rot = -kPi / 2;
    r.ramp = v.a;
    radial(c, rng, r);
    c.dot(heads[j] + Vec{0, 0.6}, kWhite, kHigh, 41);
    c.dot(heads[j], kYellow, kLight, 42);
  }
}

void morningGlory(Canvas& c, Rng& rng, const V& v) {
  (void)rng;
  // A twining stem with heart leaves, and a wide funnel facing us.
  const Curve k{{v.x - 2, kGround}, {v.x + 8, 20}, {v.x + 1, v.top + 4}};
  c.stroke(
      k.a, k.b, k.c, [](double) { return 0.7; }, Material{kStem, 1, false, false},
      [](const Local& l) { return l.s < 0 ? kLight : kMid; });
  for (int i = 0; i < 3; ++i) {
    const Vec at = k.at(0.2 + 0.22 * i) + Vec{(i % 2 ? 3.0 : -3.0), 0};
    c.ellipse(at, 2.6, 2.2, (i % 2 ? 0.5 : -0.5), leafMaterial(v.leaves), [](const Local& l) {
      return l.t < 0 && l.s < 0 ? kLight : (l.s > 0.5 ? kShadow : kMid);
    });
  }
  const Vec head{v.x + 1, v.top};
  const double s = v.size;
  c.ellipse(head, 6.0 * s, 5.2 * s, 0, Material{v.a, 30, true, false, v.b}, [](const Local& l) {
    const double r2 = l.t * l.t + l.s * l.s;
    const double a = dm::atan2(l.s, l.t);
    const double star = dm::cos(a * 5 + 0.3);
    if (r2 < 0.08) return kLight;  // the bright throat
    if (r2 < 0.3) return kLight + kAlt;
    if (star > 0.93) return kHigh + kAlt;
    return quantize(0.55 - 0.35 * l.s - 0.2 * l.t + (r2 > 0.8 ? -0.2 : 0));
  });
}

void lily(Canvas& c, Rng& rng, const V& v) {
  const Vec head{v.x + 1, v.top};
  const Curve k = stem(c, v.x, head + Vec{0, 3}, 0.8, kStem, 0.95);
  for (int i = 0; i < 5; ++i) {
    leaf(c, k.at(0.12 + 0.14 * i), i % 2 ? -0.35 : -kPi * 0.8, 5, 0.9, v.leaves, 1);
  }
  // Six recurved petals, spotted, with long stamens.
  Radial r;
  r.at = head;
  r.petals = 6;
  r.inner = 0.6;
  r.length = 6.8 * v.size;
  r.width = 1.7 * v.size;
  r.shape = Profile::kPointed;
  r.squash = 0.6;
  r.swirl = 0.12;
  r.droop = 0.3;
  r.ramp = v.a;
  r.rot = -kPi / 2;
  radial(c, rng, r);
  for (int i = 0; i < 7; ++i) {
    const double a = rng.range(0, 2 * kPi), d = rng.range(1.5, 4.5) * v.size;
    c.dot(head + Vec{dm::cos(a) * d, dm::sin(a) * d * 0.6}, v.b, kShadow, 45);
  }
  for (int i = -1; i <= 1; ++i) {
    const Vec tip = head + Vec{i * 2.2, 3.8};
    c.stroke(
        head, (head + tip) * 0.5, tip, [](double) { return 0.35; },
        Material{kYellowGreen, 46, false, false}, [](const Local&) { return kHigh; });
    c.dot(tip, kBrown, kMid, 47);
  }
}

void allium(Canvas& c, Rng& rng, const V& v) {
  strap(c, v.x - 1, {v.x - 6, 22}, -1, 1.5, kSage);
  strap(c, v.x + 1, {v.x + 6, 24}, 1, 1.5, kSage);
  const Vec head{v.x + 0.5, v.top};
  stem(c, v.x, head + Vec{0, 4}, 0.5, kSage, 0.85);
  ball(c, rng, head, 5.3 * v.size, 5.3 * v.size, v.a, 0.1, 20);
  for (int i = 0; i < 12; ++i) {
    const double a = rng.range(0, 2 * kPi), r = rng.range(1, 4.5) * v.size;
    c.dot(head + Vec::polar(a, r), v.a, (dm::cos(a) < 0 && dm::sin(a) < 0) ? kHigh : kShadow, 21);
  }
}

// Which kind each sprite is, its variant, and its name for the contact sheet.
struct Entry {
  const char* name;
  Recipe draw;
  V v;
};

const std::array<Entry, 80>& flowerTable() {
  static const std::array<Entry, 80> table = {{
      // daisies and their kin
      {"daisy", daisy, {kWhite, kYellow, kNoRamp, 1.0, 9, 14, 1.5}},
      {"pink-tipped daisy", daisy, {kWhite, kGold, kPink, 0.9, 13, 17, -1}},
      {"ox-eye daisy", daisy, {kWhite, kYellow, kNoRamp, 1.25, 8, 15, 0.5}},
      {"chamomile", chamomile, {kWhite, kYellow, kNoRamp, 1.0, 9, 16}},
      {"lilac aster", aster, {kLilac, kYellow, kNoRamp, 1.0, 8, 15}},
      {"pink aster", aster, {kPink, kGold, kNoRamp, 1.0, 11, 14}},
      {"pink cosmos", cosmos, {kPink, kYellow, kMagenta, 1.0, 8, 15, 1}},
      {"white cosmos", cosmos, {kWhite, kGold, kNoRamp, 0.9, 12, 16, -1}},
      {"crimson cosmos", cosmos, {kMagenta, kYellow, kNoRamp, 1.05, 9, 14, 1.5}},
      {"sunflower", sunflower, {kGold, kBrown, kNoRamp, 1.0, 9, 15, 1}},
      // 111
      {"dwarf sunflower", sunflower, {kYellow, kBrown, kNoRamp, 0.8, 14, 16, -1}},
      {"black-eyed Susan", blackEyed, {kGold, kDark, kOrange, 1.0, 9, 15, 1}},
      {"purple coneflower", coneflower, {kMagenta, kOrange, kNoRamp, 1.0, 9, 15, 1}},
      {"white coneflower", coneflower, {kWhite, kGold, kNoRamp, 0.9, 12, 16, -1}},
      {"orange gerbera", gerbera, {kOrange, kDark, kGold, 1.0, 10, 16, 1}},
      {"pink gerbera", gerbera, {kPink, kYellowGreen, kMagenta, 1.0, 9, 15, -1}},
      {"red zinnia", zinnia, {kScarlet, kBrown, kNoRamp, 1.0, 9, 15, 1}},
      {"yellow zinnia", zinnia, {kYellow, kBrown, kNoRamp, 0.9, 12, 16, -1}},
      {"red anemone", anemone, {kRed, kDark, kNoRamp, 1.0, 10, 15, 1}},
      {"white anemone", anemone, {kWhite, kDark, kNoRamp, 0.95, 11, 16, -1}},
      // 121
      {"red poppy", poppy, {kRed, kDark, kNoRamp, 1.0, 9, 14, 1}},
      {"orange poppy", poppy, {kOrange, kDark, kNoRamp, 0.9, 11, 15, -1}},
      {"Iceland poppy", poppy, {kPaleYellow, kYellowGreen, kYellow, 0.9, 10, 15, 1}},
      {"buttercup", buttercup, {kYellow, kGold, kNoRamp, 1.0, 12, 16}},
      {"primrose", primrose, {kPaleYellow, kGold, kYellow, 1.0, 16, 16}},
      {"cranesbill", geranium, {kViolet, kWhite, kNoRamp, 1.0, 10, 15}},
      {"pink cranesbill", geranium, {kPink, kWhite, kNoRamp, 0.9, 13, 16}},
      {"red campion", campion, {kMagenta, kWhite, kNoRamp, 1.0, 10, 15}},
      {"forget-me-not", forgetMeNot, {kSky, kYellow, kNoRamp, 1.0, 9, 15}},
      {"pink forget-me-not", forgetMeNot, {kPink, kYellow, kNoRamp, 1.0, 12, 16}},
      // 131
      {"cornflower", cornflower, {kBlue, kViolet, kNoRamp, 1.0, 9, 15}},
      {"pink cornflower", cornflower, {kPink, kWine, kNoRamp, 0.95, 11, 16}},
      {"dandelion", dandelion, {kYellow, kGold, kNoRamp, 1.0, 11, 15, 1}},
      {"dandelion clock", dandelionClock, {kWhite, kTan, kNoRamp, 1.0, 9, 15, 1}},
      {"daffodil", daffodil, {kYellow, kGold, kNoRamp, 1.0, 10, 13}},
      {"narcissus", daffodil, {kCream, kOrange, kNoRamp, 0.9, 12, 14}},
      {"red tulip", tulip, {kRed, kYellow, kNoRamp, 1.0, 7, 15, 1}},
      {"yellow tulip", tulip, {kYellow, kGold, kNoRamp, 0.95, 10, 16, -1}},
      {"pink tulip", tulip, {kPink, kYellow, kNoRamp, 1.0, 8, 15, 0.5}},
      {"purple tulip", tulip, {kPurple, kYellow, kNoRamp, 0.9, 11, 16, -1}},
      // 141
      {"flamed tulip", tulip, {kOrange, kYellow, kYellow, 1.0, 9, 15, 1}},
      {"purple crocus", crocus, {kPurple, kOrange, kNoRamp, 1.0, 15, 15}},
      {"yellow crocus", crocus, {kYellow, kOrange, kNoRamp, 0.95, 16, 16}},
      {"striped crocus", crocus, {kWhite, kOrange, kLilac, 1.0, 15, 15}},
      {"purple iris", iris, {kPurple, kYellow, kViolet, 1.0, 12, 15}},
      {"blue iris", iris, {kBlue, kYellow, kSky, 1.0, 11, 15}},
      {"yellow iris", iris, {kYellow, kBrown, kNoRamp, 0.9, 13, 16}},
      {"red rose", rose, {kCrimson, kYellow, kNoRamp, 1.0, 9, 15, 1}},
      {"pink rose", rose, {kPink, kYellow, kNoRamp, 0.95, 11, 16, -1}},
      {"yellow rose", rose, {kYellow, kYellow, kNoRamp, 0.9, 10, 15, 1}},
      // 151
      {"white rose", rose, {kWhite, kYellow, kNoRamp, 0.85, 13, 16, -1}},
      {"pink carnation", carnation, {kPink, kYellow, kNoRamp, 1.0, 9, 15, 1}},
      {"red carnation", carnation, {kRed, kYellow, kNoRamp, 0.95, 11, 16, -1}},
      {"orange marigold", marigold, {kOrange, kGold, kNoRamp, 1.0, 12, 15}},
      {"tiger lily", lily, {kOrange, kWine, kNoRamp, 1.0, 10, 15}},
      {"red clover", clover, {kMagenta, kPink, kNoRamp, 1.0, 14, 15}},
      {"white clover", clover, {kWhite, kCream, kNoRamp, 0.9, 17, 16}},
      {"allium", allium, {kLilac, kPurple, kNoRamp, 1.0, 7, 15}},
      {"thistle", thistle, {kMagenta, kSage, kNoRamp, 1.0, 8, 15, 1}},
      {"globe flower", pompom, {kGold, kYellow, kNoRamp, 0.85, 10, 16, -1}},
      // 161
      {"yarrow", yarrow, {kWhite, kCream, kNoRamp, 1.0, 9, 15}},
      {"pink yarrow", yarrow, {kPink, kMauve, kNoRamp, 0.9, 12, 16}},
      {"lavender", lavender, {kLavender, kNoRamp, kNoRamp, 1.0, 4, 16}},
      {"purple lupin", lupin, {kViolet, kWhite, kNoRamp, 1.0, 8, 15}},
      {"pink lupin", lupin, {kPink, kWhite, kNoRamp, 1.0, 10, 16}},
      {"yellow lupin", lupin, {kYellow, kPaleYellow, kNoRamp, 0.9, 12, 16}},
      {"foxglove", foxglove, {kMagenta, kWine, kNoRamp, 1.0, 8, 14}},
      {"white foxglove", foxglove, {kCream, kMauve, kNoRamp, 0.95, 10, 15}},
      {"pink hyacinth", hyacinth, {kPink, kNoRamp, kNoRamp, 1.0, 10, 16}},
      {"blue hyacinth", hyacinth, {kBlue, kNoRamp, kNoRamp, 1.0, 12, 16}},
      // 171
      {"grape hyacinth", grapeHyacinth, {kViolet, kNoRamp, kNoRamp, 1.0, 13, 16}},
      {"snapdragon", snapdragon, {kScarlet, kYellow, kNoRamp, 1.0, 9, 15}},
      {"bluebell", bluebell, {kViolet, kNoRamp, kNoRamp, 1.0, 9, 10}},
      {"white bluebell", bluebell, {kWhite, kNoRamp, kNoRamp, 0.9, 12, 11}},
      {"harebell", harebell, {kSky, kNoRamp, kNoRamp, 1.0, 8, 15}},
      {"snowdrop", snowdrop, {kWhite, kNoRamp, kNoRamp, 1.0, 10, 12}},
      {"pansy", pansy, {kPurple, kYellow, kLilac, 1.0, 14, 15}},
      {"yellow pansy", pansy, {kYellow, kPurple, kNoRamp, 0.95, 15, 16}},
      {"sweet violet", violet, {kViolet, kNoRamp, kNoRamp, 1.0, 14, 15}},
      {"morning glory", morningGlory, {kBlue, kWhite, kNoRamp, 1.0, 10, 14}},
  }};
  return table;
}

}  // namespace

IndexedImage flowerSprite(int number) {
  const Entry& e = flowerTable()[static_cast<std::size_t>(number - kFirstSprite)];
  Canvas canvas(32);
  Rng rng(static_cast<std::uint64_t>(number));
  e.draw(canvas, rng, e.v);
  return canvas.finish();
}

std::string flowerName(int number) {
  return flowerTable()[static_cast<std::size_t>(number - kFirstSprite)].name;
}

}  // namespace ps::art
