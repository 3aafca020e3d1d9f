// Zz, the flower count, the seeding and the three cases of the flower step, the ground line.
#include <gtest/gtest.h>

#include <map>

#include "animation_support.h"
#include "host/allgemein.h"

namespace ps {
namespace {

using Allgemein::Zz;
using namespace ps::testing;

// --- Zz --------------------------------------------------------------------------------------

TEST(Zz, DegenerateAndReversedRangesGiveWhatTheFlowersRelyOn) {
  fake::World w;
  std::map<int, int> reversed;
  for (int k = 0; k < 3000; ++k) {
    ASSERT_EQ(Zz(5, 5), 5);
    ASSERT_EQ(Zz(4, 3), 4);  // hi = lo - 1: always lo
    int v = Zz(10, 5);       // hi < lo - 1: from hi + 1 to lo
    ASSERT_GE(v, 6);
    ASSERT_LE(v, 10);
    ++reversed[v];
  }
  EXPECT_GE(reversed.size(), 4u);  // 10 needs a draw of exactly 0
}

TEST(Zz, EveryValueOfTheRangeIsEquallyLikely) {
  fake::World w;
  std::map<int, int> seen;
  for (int k = 0; k < 22000; ++k) ++seen[Zz(-1, 20)];
  ASSERT_EQ(seen.size(), 22u);
  EXPECT_EQ(seen.begin()->first, -1);
  EXPECT_EQ(seen.rbegin()->first, 20);
  for (auto [v, n] : seen) {
    EXPECT_GT(n, 850) << v;
    EXPECT_LT(n, 1150) << v;
  }
}

TEST(Zz, ARangeTooWideToCountIsReportedAndGivesZero) {
  for (i16 a : {answer::kIgnore, answer::kCancel}) {
    fake::World w;
    answerWith(w, a);
    EXPECT_EQ(Zz(-32768, 32767), 0) << a;
    ErrPtnr& e = w.process.errPtnr();
    EXPECT_EQ(e.lblError(0).caption().substr(0, 3), "6 (");
    EXPECT_EQ(e.lblError(1).caption(), "Allgemein");
    EXPECT_EQ(e.lblError(2).caption(), "Zz");
  }
}

// --- The flower count and the seeding ----------------------------------------------------------

TEST(FlowerCount, LiesBetweenTwentyTimesHalfAndTwentyTimesTheSetting) {
  for (auto [maxFl, half, lo, hi] : {std::tuple{10, 5, 100, 200}, std::tuple{2, 1, 20, 40}}) {
    Meadow m;
    m.s.maxFl = static_cast<i16>(maxFl);
    m.s.maxFlHalf = static_cast<i16>(half);
    std::map<int, int> seen;
    for (int k = 0; k < 4000; ++k) {
      m.main().DrawFlowerCount();
      ++seen[m.w.process.LastFlower];
    }
    EXPECT_EQ(seen.begin()->first, lo);
    EXPECT_EQ(seen.rbegin()->first, hi);
  }
}

TEST(SeedFlowers, SpreadsTheSlotsEvenlyAndSetsThemWaiting) {
  Meadow m(1000, 600);
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 150;
  f.PlantCount = 12;
  for (int i = 0; i <= 151; ++i) m.slot(i) = Flower{777, 1, 2, 150, -1, 1};
  Draws d = m.upcoming();
  f.SeedFlowers();
  for (int i = 0; i <= 150; ++i) {
    EXPECT_EQ(m.slot(i).X, static_cast<float>(1000 / 150 * i + d.next(-10, 15))) << i;
    EXPECT_EQ(m.slot(i).State, 0);
    EXPECT_EQ(m.slot(i).Planted, 0);
    EXPECT_EQ(m.slot(i).Y, 1);  // left for the first step
  }
  EXPECT_GE(m.slot(150).X, 6 * 150 - 10);
  EXPECT_LE(m.slot(150).X, 6 * 150 + 15);
  EXPECT_EQ(m.slot(151).X, 777);  // beyond LastFlower nothing is touched
  EXPECT_EQ(f.PlantCount, 12);
}

// --- Case 1: waiting ---------------------------------------------------------------------------

// Puts the random sequence where the next waiting step of a slot will draw what `want` says
// (state, pic as drawn before the grass check), by spending draws.
template <class Want>
void spendUntil(Meadow& m, Want want) {
  for (int k = 0; k < 100000; ++k) {
    Draws d = m.upcoming();
    i16 state = d.next(-1, 200 / m.s.maxFl);
    d.next(0, 0);    // Y
    d.next(10, 20);  // X
    i16 pic = static_cast<i16>(d.next(1, 200 - 3 * m.s.maxFl) + 100);
    if (want(state, pic)) return;
    m.w.process.random.nextSingle();
  }
  FAIL() << "the sequence never gives that";
}

TEST(WaitingSlot, WrapsOnlyBeyondTheRightEdge) {
  for (auto [offset, expected] : {std::pair{0.0f, 320.0f}, std::pair{1.0f, -9.0f}}) {
    Meadow m;
    m.start();
    m.w.process.LastFlower = 0;
    Draws d = m.upcoming();
    d.next(-1, 20);
    d.next(0, 0);
    i16 dx = d.next(10, 20);
    m.slot(0) = Flower{320 + offset - dx, 0, 0, 0, 0, 0};
    m.main().AnimateFlowers();
    EXPECT_EQ(m.slot(0).X, expected);
  }
}

TEST(WaitingSlot, AGrassNumberEndsTheStepWithSizeThirtyTwoWhetherOrNotItStarts) {
  for (bool starts : {false, true}) {
    Meadow m;
    m.start();
    m.w.process.LastFlower = 0;
    spendUntil(m, [&](i16 state, i16 pic) { return (state == -1) == starts && pic > 200; });
    Draws d = m.upcoming();
    for (int k = 0; k < 4; ++k) d.next(0, 0);
    i16 grass = d.next(181, 200);  // a number above 200 is drawn afresh
    m.slot(0) = Flower{50, 0, 7, 0, 0, 0};
    m.main().AnimateFlowers();
    EXPECT_EQ(m.slot(0).Size, 32);
    EXPECT_EQ(m.slot(0).Pic, grass);
    EXPECT_EQ(m.slot(0).State == -1, starts);
    if (starts) {
      // A grass start plants itself at once in the next step, without a tuft: the growth,
      // the grass beside it and three times two tufts (the limit lies low on the screen).
      Random before = m.w.process.random;
      m.main().AnimateFlowers();
      EXPECT_EQ(m.slot(0).Planted, 1);
      EXPECT_EQ(drawsBetween(before, m.w.process.random), 1 + 3 + 3 * 6);
    }
  }
}

TEST(WaitingSlot, AStartedFlowerPlantsItsTuftBeforeItIsFirstDrawn) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 0;
  spendUntil(m, [](i16 state, i16 pic) { return state == -1 && pic <= 180; });
  m.slot(0) = Flower{100, 0, 0, 0, 0, 0};
  Draws d = m.upcoming();
  d.next(-1, 20);
  float y = d.next(f.GroundY, 220);
  float x = 100 + d.next(10, 20);
  i16 pic = static_cast<i16>(d.next(1, 170) + 100);
  i16 size = d.next(15, 20);
  // The five tufts, each sprite number first, then x, then y.
  struct Tuft {
    int n;
    float x, y;
  } tufts[5];
  tufts[0].n = d.next(181, 200), tufts[0].x = x, tufts[0].y = y + 5;
  for (int k = 1; k < 5; ++k) {
    int spread = k < 3 ? 5 : 10;
    tufts[k].n = d.next(181, 200);
    tufts[k].x = x + d.next(-spread, spread);
    tufts[k].y = y + d.next(-5, k < 3 ? 10 : 15);
  }
  f.picBG().fill(0);
  f.picBuffer().fill(0);
  f.AnimateFlowers();
  EXPECT_EQ(m.slot(0).State, -1);
  EXPECT_EQ(m.slot(0).Pic, pic);
  EXPECT_EQ(m.slot(0).Size, size);
  const Tuft& last = tufts[4];
  EXPECT_EQ(f.picBG().at(static_cast<int>(last.x) + 1, static_cast<int>(last.y) + 1),
            colourOf(last.n));
  for (int yy = 0; yy < 240; ++yy) {
    for (int xx = 0; xx < 320; ++xx) {
      ASSERT_NE(f.picBG().at(xx, yy), colourOf(pic));
      ASSERT_EQ(f.picBuffer().at(xx, yy), 0u);  // nothing of it is drawn yet
    }
  }
}

// --- Case 3: growing and planting --------------------------------------------------------------

TEST(GrowingFlower, ASizeOfExactlyThirtyTwoIsNotYetPlanted) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 0;
  Draws d = m.upcoming();
  float g = static_cast<float>(d.next(10, 50) * 0.0004 * 10);
  float size = 32.0f - g;
  while (size + g > 32.0f) size = std::nextafter(size, 0.0f);
  while (size + g < 32.0f) size = std::nextafter(size, 64.0f);
  ASSERT_EQ(size + g, 32.0f);
  m.slot(0) = Flower{2.5f, 100.25f, size, 150, -1, 0};
  f.picBuffer().fill(0);
  f.AnimateFlowers();
  EXPECT_EQ(m.slot(0).Size, 32.0f);
  EXPECT_EQ(m.slot(0).Planted, 0);
  // Drawn 33 square at 2 (2.5 rounds to the even pixel), where its transparent column lies.
  int top = static_cast<int>(roundHalfEven(m.slot(0).Y));
  EXPECT_EQ(f.picBuffer().at(2, top + 5), 0u);
  EXPECT_EQ(f.picBuffer().at(3, top), colourOf(150));
  EXPECT_EQ(f.picBuffer().at(34, top + 32), colourOf(150));
  EXPECT_EQ(f.picBuffer().at(35, top + 32), 0u);
  EXPECT_EQ(f.picBuffer().at(3, top + 33), 0u);
}

TEST(GrowingFlower, HalvesRoundToTheEvenPixel) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 0;
  m.slot(0) = Flower{3.5f, 100, 20, 150, -1, 0};
  f.picBuffer().fill(0);
  f.AnimateFlowers();
  int top = static_cast<int>(roundHalfEven(m.slot(0).Y));
  EXPECT_EQ(f.picBuffer().at(4, top + 2), 0u);  // drawn at 4: its transparent column
  EXPECT_EQ(f.picBuffer().at(5, top + 2), colourOf(150));
}

TEST(GrowingFlower, EachStepDrawsThePictureAndTheSizeItHasNow) {
  // A slot keeps the sprite it drew last: a new size or a new picture must be found afresh.
  Meadow m;
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 0;
  struct Step {
    float size;
    i16 pic;
  };
  for (Step s : {Step{20, 150}, Step{21, 150}, Step{21, 151}, Step{20, 150}}) {
    m.slot(0) = Flower{100, 100, s.size, s.pic, -1, 0};
    f.picBuffer().fill(0);
    f.AnimateFlowers();
    const int w = roundI32(m.slot(0).Size + 1.0f), top = roundI32(m.slot(0).Y);
    EXPECT_EQ(f.picBuffer().at(100 + w - 1, top + w - 1), colourOf(s.pic)) << s.size;
    EXPECT_EQ(f.picBuffer().at(100 + w, top + w - 1), 0u) << s.size;
    EXPECT_EQ(f.picBuffer().at(100 + w - 1, top + w), 0u) << s.size;
  }
}

TEST(GrowingFlower, IsPlantedTwoPixelsHigherWithItsGrass) {
  // Client height 600: the extra grass comes while the limit lies strictly below 30.
  for (auto [limit, draws] : {std::pair{30, 1 + 3 + 3 * 3}, std::pair{31, 1 + 3 + 3 * 6}}) {
    Meadow m(320, 600);
    m.start();
    frmMain& f = m.main();
    m.w.process.LastFlower = 0;
    f.GroundLimitY = static_cast<i16>(limit);
    m.slot(0) = Flower{100, 5, 32.01f, 150, -1, 0};
    f.picBG().fill(0);
    f.picBuffer().fill(0);
    Random before = m.w.process.random;
    f.AnimateFlowers();
    EXPECT_EQ(drawsBetween(before, m.w.process.random), draws) << limit;
    EXPECT_EQ(m.slot(0).Planted, 1);
    EXPECT_EQ(m.slot(0).State, -1);
    int top = static_cast<int>(roundHalfEven(m.slot(0).Y));
    // The back buffer shows the last growing frame, the background the planted one 2 higher.
    EXPECT_EQ(f.picBuffer().at(101, top + 2), colourOf(150));
    EXPECT_NE(f.picBuffer().at(101, top + 1), colourOf(150));
    EXPECT_EQ(f.picBG().at(101, top), colourOf(150));
    EXPECT_EQ(f.picBG().at(132, top + 32), colourOf(150));
    EXPECT_NE(f.picBG().at(133, top + 32), colourOf(150));
    // Apart from the tuft beside the flower, grass lies from 20 below the limit downwards.
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 320; ++x) {
        u32 p = f.picBG().at(x, y);
        if (p < colourOf(181) || p > colourOf(200)) continue;
        bool beside = x >= 90 && x < 138 && y >= top - 6 && y < top + 44;
        ASSERT_TRUE(beside || y >= limit + 20) << x << "," << y;
      }
    }
    // Next step: the planting is counted and the slot waits again, where it stands.
    f.AnimateFlowers();
    EXPECT_EQ(f.PlantCount, 1);
    EXPECT_EQ(m.slot(0).State, 0);
    EXPECT_EQ(m.slot(0).Planted, 0);
  }
}

// --- Case 2: the ground line -------------------------------------------------------------------

TEST(GroundLine, ClimbsInCyclesAndCirclesNearTheTop) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  m.w.process.LastFlower = 0;
  auto plant = [&] {
    m.slot(0) = Flower{10, 10, 33, 150, -1, 1};
    f.AnimateFlowers();
  };
  ASSERT_EQ(f.GroundY, 223);  // 240 × 0.93
  ASSERT_EQ(f.GroundLimitY, 203);
  for (int k = 1; k <= 49; ++k) {
    plant();
    ASSERT_EQ(f.GroundY, 223) << k;
  }
  plant();
  EXPECT_EQ(f.GroundY, 222);  // 222.5: to the even neighbour
  plant();
  EXPECT_EQ(f.GroundY, 221);
  for (int k = 52; k < 70; ++k) plant();
  EXPECT_EQ(f.GroundY, 203);
  EXPECT_EQ(f.PlantCount, 69);
  plant();  // above the limit: back down, and the limit moves up
  EXPECT_EQ(f.PlantCount, 0);
  EXPECT_EQ(f.GroundY, 233);
  EXPECT_EQ(f.GroundLimitY, 193);

  for (auto [limit, after] : {std::pair{-10, -20}, std::pair{-11, 29}}) {
    f.GroundLimitY = static_cast<i16>(limit);
    f.GroundY = static_cast<i16>(limit);
    f.PlantCount = 100;
    plant();
    EXPECT_EQ(f.GroundY, limit + 30);
    EXPECT_EQ(f.GroundLimitY, after);
  }
}

}  // namespace
}  // namespace ps
