#include "plantkit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ps::art::kit {

double profile(Profile p, double t) {
  t = std::clamp(t, 0.0, 1.0);
  switch (p) {
    case Profile::kStrap:  // long, even, round tip
      return std::min(1.0, t * 5) * std::sqrt(std::max(0.0, 1 - t * t * t * t));
    case Profile::kOval:
      return 2 * std::sqrt(t * (1 - t));
    case Profile::kBroad:  // widest beyond the middle: poppy, buttercup
      return 1.3 * std::sqrt(t) * std::sqrt(std::max(0.0, 1 - t * t));
    case Profile::kPointed:
      return 2 * std::sqrt(t * (1 - t)) * (1.15 - 0.5 * t);
    case Profile::kSpoon:  // narrow claw, round blade
      return t < 0.4 ? 0.45 + t : std::sqrt(std::max(0.0, 1 - (t - 0.6) * (t - 0.6) / 0.16));
    case Profile::kThin:
      return std::sqrt(std::max(0.0, 1 - t));
  }
  return 0;
}

int quantize(double light) {
  if (light < 0.22) return kShadow;
  if (light < 0.52) return kMid;
  if (light < 0.82) return kLight;
  return kHigh;
}

bool litOnNegativeSide(Vec d) {
  // The negative side lies along (d.y, -d.x); light comes from the upper left.
  return d.y * -0.6 + -d.x * -0.8 >= 0;
}

Material petalMaterial(Ramp r, int group, Ramp alt) {
  return {r, group, true, true, alt};
}

Material leafMaterial(Ramp r) {
  return {r, 2, true, false};
}

Curve stem(Canvas& c, double baseX, Vec top, double bend, Ramp r, double halfWidth) {
  const Curve k{{baseX, kGround}, {(baseX + top.x) / 2 + bend, (kGround + top.y) / 2}, top};
  c.stroke(
      k.a, k.b, k.c, [halfWidth](double) { return halfWidth; }, Material{r, 1, false, false},
      [](const Local& l) { return l.s < 0 ? kLight : kMid; });
  return k;
}

namespace {
ToneFn sidedLeafTone(Vec direction) {
  const bool neg = litOnNegativeSide(direction);
  return [neg](const Local& l) {
    const double s = neg ? l.s : -l.s;
    if (l.t > 0.88) return kMid;
    if (s < -0.05) return l.t > 0.3 && l.t < 0.7 && s < -0.55 ? kHigh : kLight;
    return s > 0.6 ? kShadow : kMid;
  };
}
}  // namespace

void leaf(Canvas& c, Vec from, double angle, double length, double halfWidth, Ramp r,
          double droop) {
  const Vec d = Vec::polar(angle, length);
  const Vec tip = from + d + Vec{0, droop};
  const Vec ctrl = from + d * 0.55 + Vec{0, -droop * 0.35};
  c.stroke(
      from, ctrl, tip,
      [halfWidth](double t) {
        const double p = t < 0.35 ? t / 0.35 : (1 - t) / 0.65;
        return halfWidth * std::sqrt(std::max(0.0, p));
      },
      leafMaterial(r), sidedLeafTone(tip - from));
}

void strap(Canvas& c, double baseX, Vec tip, double bend, double halfWidth, Ramp r) {
  const Vec a{baseX, kGround};
  const Vec b = (a + tip) * 0.5 + Vec{bend, 0};
  c.stroke(
      a, b, tip,
      [halfWidth](double t) { return halfWidth * std::sqrt(std::max(0.0, 1 - t)) + 0.15; },
      leafMaterial(r), sidedLeafTone(tip - a));
}

void rosette(Canvas& c, Rng& rng, double baseX, int n, double length, double halfWidth, Ramp r,
             bool toothed) {
  for (int i = 0; i < n; ++i) {
    const double side = (i % 2 == 0) ? -1 : 1;
    const double spread = 0.25 + 0.55 * (i / 2) / std::max(1, (n - 1) / 2);
    const double angle = -dm::kPi / 2 + side * (dm::kPi / 2 - spread) + rng.range(-0.1, 0.1);
    const Vec from{baseX, 31.5};
    const Vec d = Vec::polar(angle, length * rng.range(0.85, 1.1));
    const Vec tip = from + d;
    c.stroke(
        from, from + d * 0.5 + Vec{0, -1.0}, tip,
        [=](double t) {
          double p = t < 0.3 ? t / 0.3 : (1 - t) / 0.7;
          double w = halfWidth * std::sqrt(std::max(0.0, p));
          if (toothed && t > 0.2 && t < 0.9) w *= 0.55 + 0.45 * std::fabs(dm::sin(t * 14));
          return w;
        },
        leafMaterial(r), sidedLeafTone(d));
  }
}

void leaflets(Canvas& c, Vec at, int count, double length, double halfWidth, double spread,
              Ramp r) {
  for (int i = 0; i < count; ++i) {
    const double f = count == 1 ? 0.5 : static_cast<double>(i) / (count - 1);
    const double angle = -dm::kPi / 2 - spread / 2 + spread * f;
    const Vec tip = at + Vec::polar(angle, length);
    c.stroke(
        at, (at + tip) * 0.5, tip,
        [halfWidth](double t) { return halfWidth * profile(Profile::kSpoon, t); }, leafMaterial(r),
        sidedLeafTone(tip - at));
  }
}

void featherLeaf(Canvas& c, Vec from, double angle, double length, Ramp r) {
  const Vec d = Vec::polar(angle, length);
  const Material m{r, 2, false, false};
  c.stroke(
      from, from + d * 0.5 + Vec{0, -0.8}, from + d, [](double t) { return 0.55 - 0.2 * t; }, m,
      [](const Local&) { return kMid; });
  for (int k = 1; k <= 3; ++k) {
    const Vec p = from + d * (k / 4.0) + Vec{0, -0.8 * k / 4.0};
    for (int side = -1; side <= 1; side += 2) {
      const Vec q = p + Vec::polar(angle + side * 0.9, length * 0.28);
      c.stroke(
          p, (p + q) * 0.5, q, [](double) { return 0.5; }, m,
          [side](const Local&) { return side < 0 ? kLight : kMid; });
    }
  }
}

void radial(Canvas& c, Rng& rng, const Radial& r) {
  struct P {
    double angle, length, width;
    int layer;
  };
  std::vector<P> petals;
  for (int layer = 0; layer < r.layers; ++layer) {
    const double scale = 1.0 - 0.3 * layer;
    const double offset = layer * dm::kPi / r.petals;
    for (int i = 0; i < r.petals; ++i) {
      const double a = r.rot + offset + 2 * dm::kPi * i / r.petals + rng.range(-0.04, 0.04);
      petals.push_back({a, r.length * scale * (1 + rng.range(-r.jitter, r.jitter)),
                        r.width * (1 - 0.15 * layer), layer});
    }
  }
  // Back petals (upper half, further from the viewer) first, outer layer before inner.
  std::stable_sort(petals.begin(), petals.end(), [](const P& a, const P& b) {
    if (a.layer != b.layer) return a.layer < b.layer;
    return dm::sin(a.angle) < dm::sin(b.angle);
  });
  const Material m = petalMaterial(r.ramp, r.group, r.alt);
  for (const P& p : petals) {
    const Vec dir{dm::cos(p.angle) * r.squashX, dm::sin(p.angle) * r.squash};
    const Vec base = r.at + dir * r.inner;
    Vec tip = r.at + dir * (r.inner + p.length);
    tip.y += r.droop * p.length;
    const Vec side{-dir.y, dir.x};
    const Vec ctrl =
        (base + tip) * 0.5 + side * (r.swirl * p.length) + Vec{0, r.droop * p.length * 0.2};
    // Petals facing the light are lighter; each is lighter towards its tip.
    const double facing = 0.22 * (-dm::cos(p.angle) * 0.6 - dm::sin(p.angle) * 0.8);
    const double width =
        p.width * (0.55 + 0.45 * (std::fabs(dir.x) + (1 - std::fabs(dir.x)) * r.squash));
    const Radial& rr = r;
    c.stroke(
        base, ctrl, tip, [=](double t) { return width * profile(r.shape, t); }, m,
        [=, &rr](const Local& l) {
          if (rr.fringe > 0 && l.t > 0.82) {
            const double band = (l.s + 1) * 0.5 * (rr.fringe + 0.5);
            if (band - std::floor(band) < 0.3 && l.t > 0.9) return -1;
          }
          const double light = 0.1 + 0.6 * l.t + facing - 0.18 * std::fabs(l.s) + rr.light;
          const int tone = quantize(light);
          const bool alt = rr.alt != kNoRamp && ((rr.altUntil > 0 && l.t < rr.altUntil) ||
                                                 (rr.altFrom > 0 && l.t > rr.altFrom));
          return alt ? tone + kAlt : tone;
        });
  }
}

void centre(Canvas& c, Vec at, double radius, double squash, Ramp r, Eye style, Ramp ring) {
  const Material m{r, 40, true, false};
  const double ry = radius * squash * (style == Eye::kCone ? 1.35 : 1.0);
  const Vec centreAt = style == Eye::kCone ? at + Vec{0, -radius * 0.35} : at;
  c.ellipse(centreAt, radius, ry, 0, m, [=](const Local& l) {
    int tone = sphereTone(l.t, l.s, style == Eye::kCone ? 0.1 : 0);
    if (style == Eye::kSeeds) {
      // Florets of a big disc: a fine checker that fades out towards the light.
      const int gx = static_cast<int>(std::floor(l.p.x)), gy = static_cast<int>(std::floor(l.p.y));
      if ((gx + gy) % 2 == 0) tone = std::max(kShadow, tone - 1);
      if (l.t * l.t + l.s * l.s > 0.6) tone = std::min(tone, kMid);
    }
    if (style == Eye::kCone && l.s < -0.2) tone = std::max(tone, kLight);
    if (style == Eye::kRing && l.t * l.t + l.s * l.s < 0.3) tone = kShadow;
    return tone;
  });
  if (style == Eye::kStamens && ring != kNoRamp) {
    for (int i = 0; i < 8; ++i) {
      const double a = 2 * dm::kPi * i / 8 + 0.2;
      c.dot(at + Vec{dm::cos(a) * radius * 1.25, dm::sin(a) * radius * 1.25 * squash}, ring, kMid,
            41);
    }
  }
}

void ball(Canvas& c, Rng& rng, Vec at, double rx, double ry, Ramp r, double bumps, int group) {
  const double phase = rng.range(0, 6.28);
  c.fill(
      at - Vec{rx + 1, ry + 1}, at + Vec{rx + 1, ry + 1},
      [=](Vec p, Local& l) {
        const Vec d = p - at;
        const double a = dm::atan2(d.y, d.x);
        const double edge = 1 + bumps * dm::sin(a * 9 + phase);
        const double u = d.x / rx, v = d.y / ry;
        if (u * u + v * v > edge * edge) return false;
        l.t = u;
        l.s = v;
        return true;
      },
      Material{r, group, true, false},
      [](const Local& l) {
        int tone = sphereTone(l.t, l.s);
        // Floret texture: a sparse lattice of darker pixels.
        const int gx = static_cast<int>(std::floor(l.p.x)),
                  gy = static_cast<int>(std::floor(l.p.y));
        if ((gx * 3 + gy * 2) % 5 == 0 && tone > kShadow) --tone;
        return tone;
      });
}

void bell(Canvas& c, Vec attach, double angle, double length, double halfWidth, Ramp r, int group,
          bool flare) {
  const Vec d = Vec::polar(angle, length);
  const Vec tip = attach + d;
  c.stroke(
      attach, attach + d * 0.5, tip,
      [=](double t) {
        double w = 0.45 + 0.55 * std::sqrt(t);
        if (flare && t > 0.8) w += (t - 0.8) * 2.2;
        return halfWidth * w;
      },
      petalMaterial(r, group),
      [d, flare](const Local& l) {
        const bool neg = litOnNegativeSide(d);
        const double s = neg ? l.s : -l.s;
        if (l.t >= 0.999) return -1;  // a cut mouth, not a round end
        if (flare && l.t > 0.86)
          return std::fabs(l.s) > 0.6 ? kLight : kShadow;  // lips round the mouth
        return s < -0.3 ? kLight : (s > 0.45 ? kShadow : kMid);
      });
}

void cup(Canvas& c, Vec base, double width, double height, Ramp r, bool pointed, int group,
         Ramp alt) {
  const Material m = petalMaterial(r, group, alt);
  const Profile shape = pointed ? Profile::kPointed : Profile::kOval;
  struct Petal {
    double dx, lean, scale;
    int toneBias;
  };
  // Back petal, then the two sides, then the front one.
  const Petal petals[] = {
      {0, 0, 1.02, 1}, {-0.3, -0.22, 0.95, 0}, {0.3, 0.22, 0.95, -1}, {0, 0, 0.9, 0}};
  for (const Petal& p : petals) {
    const Vec from = base + Vec{p.dx * width * 0.3, 0};
    const Vec tip = base + Vec{p.dx * width + p.lean * width, -height * p.scale};
    const Vec ctrl = base + Vec{p.dx * width * 1.6, -height * 0.55};
    c.stroke(
        from, ctrl, tip, [=](double t) { return width * 0.42 * profile(shape, t * 0.9 + 0.1); }, m,
        [=](const Local& l) {
          const double light = 0.15 + 0.5 * l.t - 0.35 * l.s + 0.2 * p.toneBias;
          const int tone = quantize(light);
          return alt != kNoRamp && l.t < 0.3 ? tone + kAlt : tone;
        });
  }
}

}  // namespace ps::art::kit
