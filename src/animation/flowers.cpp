// The flower slots: how many there are, where they start, and one step of each.
#include "animation/frmMain.h"
#include "host/process.h"

namespace ps {

void frmMain::DrawFlowerCount() {
  const Settings& s = P().settings;
  meadow_.LastFlower = Zz(mul16(s.maxFlHalf, 20), mul16(s.maxFl, 20));
}

void frmMain::SeedFlowers() {
  const i16 last = meadow_.LastFlower;
  const i32 width = roundI32(platform().clientSize(*this).width);
  for (i32 i = 0; i <= last; ++i) {
    checkIndex(i, 0, kSlots - 1);
    Flower& f = Flowers[static_cast<size_t>(i)];
    // Evenly spread over the width, each shifted a little.
    f.X = static_cast<float>(add32(mul32(div32(width, last), i), Zz(-10, 15)));
    f.State = 0;
    f.Planted = 0;
  }
}

void frmMain::AnimateFlowers() {
  const i16 last = meadow_.LastFlower;
  for (i32 i = 0; i <= last; ++i) {
    checkIndex(i, 0, kSlots - 1);
    Flower& f = Flowers[static_cast<size_t>(i)];
    slot_ = i;
    if (f.State != -1) {
      waiting(f);
    } else if (f.Planted != 0) {
      planted(f);
    } else {
      growing(f);
    }
  }
}

// The slot wanders along the ground band and draws in the start lottery.
void frmMain::waiting(Flower& f) {
  const Settings& s = P().settings;
  const auto bufW = static_cast<float>(picBuffer().width());
  const auto bufH = static_cast<float>(picBuffer().height());
  f.State = Zz(-1, div16(200, s.maxFl));
  f.Y = Zz(GroundY, roundI16(bufH - 20.0f));
  f.X = f.X + Zz(10, 20);
  if (f.X > bufW) f.X = f.X - bufW - 10.0f;
  f.Pic = add16(Zz(1, sub16(200, mul16(3, s.maxFl))), 100);
  if (f.Pic > 180) {
    // A grass number: grass starts are drawn from the twenty tufts alike.
    if (f.Pic > 200) f.Pic = Zz(181, 200);
    f.Size = 32;
    return;
  }
  if (f.State != -1) return;
  // A flower starts, with a tuft of five grass sprites around its foot.
  f.Size = Zz(15, 20);
  grass([&] { return f.X; }, [&] { return f.Y + 5.0f; });
  for (int k = 0; k < 2; ++k)
    grass([&] { return f.X + Zz(-5, 5); }, [&] { return f.Y + Zz(-5, 10); });
  for (int k = 0; k < 2; ++k) {
    grass([&] { return f.X + Zz(-10, 10); }, [&] { return f.Y + Zz(-5, 15); });
  }
}

// The planting of the last tick lifts the ground line; the slot waits again.
void frmMain::planted(Flower& f) {
  PlantCount = PlantCount + 1.0f;
  GroundY = roundI16(static_cast<double>(GroundY) - static_cast<double>(PlantCount) * 0.01);
  if (GroundY < GroundLimitY) {
    // Risen above its limit: drop back below it, and move the limit up (near the top it
    // circles back down).
    PlantCount = 0;
    GroundY = add16(GroundLimitY, 30);
    GroundLimitY = sub16(GroundLimitY, 10);
    if (GroundLimitY < -20) GroundLimitY = add16(GroundLimitY, 50);
  }
  f.Planted = 0;
  f.State = 0;
}

// The flower grows upwards and to the right; full grown, it is planted into the background.
void frmMain::growing(Flower& f) {
  const Settings& s = P().settings;
  const float g =
      toSingle(static_cast<double>(Zz(10, 50)) * 0.0004 * static_cast<double>(s.SpeedF));
  f.Size = f.Size + g;
  f.Y = f.Y - g;
  const i32 w = roundI32(f.Size + 1.0f);
  drawSprite(picBuffer(), f.Pic, f.X, f.Y, w, w);
  if (!(f.Size > 32.0f)) return;

  f.Planted = 1;
  f.Y = f.Y - 2.0f;
  grass([&] { return f.X + Zz(-5, 5); }, [&] { return f.Y + Zz(-5, 10); });
  drawSprite(picBG(), f.Pic, f.X, f.Y, w, w);
  const auto bufW = static_cast<float>(picBuffer().width());
  const auto bufH = static_cast<float>(picBuffer().height());
  const double clientH = platform().clientSize(*this).height;
  for (int k = 0; k < 3; ++k) {
    grass([&] { return static_cast<float>(Zz(-20, roundI16(bufW))); },
          [&] { return static_cast<float>(Zz(add16(GroundLimitY, 30), roundI16(bufH))); });
    if (clientH * 0.05 < GroundLimitY) {
      grass(
          [&] { return static_cast<float>(Zz(-20, roundI16(bufW))); },
          [&] { return static_cast<float>(Zz(add16(GroundLimitY, 20), add16(GroundLimitY, 50))); });
    }
  }
}

}  // namespace ps
