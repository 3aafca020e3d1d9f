// The animation window: loading, the layout pass, the backgrounds, the input that ends it.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include "animation_support.h"

#include "host/saver.h"

namespace ps {
namespace {

using namespace ps::testing;

bool allBlack(const Surface& s) {
  return std::all_of(s.data(), s.data() + static_cast<size_t>(s.width()) * s.height(),
                     [](u32 p) { return p == 0; });
}

// The fake's desktop: a pattern that follows x and y.
u32 desktopAt(int x, int y) {
  return static_cast<u32>(((x * 3) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x40);
}

TEST(FormLoad, TimerIntervalFollowsTheSpeedAndStaysOff) {
  for (auto [speed, interval] :
       {std::pair{10.0f, 20}, std::pair{3.0f, 67}, std::pair{0.1f, 2000}}) {
    Meadow m;
    m.s.SpeedF = speed;
    m.w.process.forms.load(m.main());
    EXPECT_EQ(m.main().tmrAnimation.interval(), interval);
    EXPECT_EQ(m.w.os.timers[&m.main()], (std::pair<i32, bool>{interval, false}));
    EXPECT_TRUE(m.main().maximized());
    EXPECT_GE(m.w.process.LastFlower, 100);
  }
}

TEST(LayoutPass, ShowsTheBareBackgroundThenLaysGroundAndFlowersAndStartsTheTimer) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  EXPECT_EQ(m.w.os.timers[&f], (std::pair<i32, bool>{20, true}));
  // The window and the back buffer show the background without grass; the grass is in picBG,
  // in the band from the ground line down.
  EXPECT_TRUE(allBlack(f.window()));
  EXPECT_TRUE(allBlack(f.picBuffer()));
  EXPECT_EQ(f.GroundY, 223);
  EXPECT_EQ(f.GroundLimitY, 203);
  int grass = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      if (!isSprite(f.picBG().at(x, y))) continue;
      ++grass;
      ASSERT_GE(y, 223);
    }
  }
  EXPECT_GT(grass, 320 * 10);
  // The anchor touches the bottom edge and ends 3 pixels from the right one.
  const float w = 7.0f * static_cast<float>(std::string(PETALSTREAM_HOMEPAGE).size());
  EXPECT_EQ(f.lblURL.width(), w * 15);
  EXPECT_EQ(f.lblURL.height(), 16 * 15);
  EXPECT_EQ(f.lblURL.left(), (320 - w - 3) * 15);
  EXPECT_EQ(f.lblURL.top(), (240 - 16) * 15);
  for (int i = 0; i <= m.w.process.LastFlower; ++i) ASSERT_EQ(m.slot(i).State, 0);
  // The first frame shows the grass.
  m.tick();
  EXPECT_EQ(f.window().at(160, 235) == f.picBG().at(160, 235), true);
  EXPECT_FALSE(allBlack(f.window()));
}

TEST(LayoutPass, ANewSizeRebuildsTheWholeSceneAtThatSize) {
  Meadow m;
  m.start();
  frmMain& f = m.main();
  for (int k = 0; k < 50; ++k) m.tick();
  f.PlantCount = 7;
  m.w.os.resize(f, 500, 400);
  for (const Surface* s : {&std::as_const(f.picBG()), &std::as_const(f.picBuffer()), &f.window()}) {
    EXPECT_EQ(s->width(), 500);
    EXPECT_EQ(s->height(), 400);
  }
  EXPECT_EQ(f.GroundY, 372);
  EXPECT_EQ(f.PlantCount, 7);
  EXPECT_TRUE(allBlack(f.window()));
}

// --- Backgrounds -------------------------------------------------------------------------------

TEST(Background, TheTileWidthAndTheAddressKeepTheirPixelsAtEveryResolution) {
  // 96, 120, 144, 168 and 192 dots per inch: twips per pixel whole or not, the strips stay 88
  // pixels wide and the address keeps its place in the corner.
  for (float dpi : {96.0f, 120.0f, 144.0f, 168.0f, 192.0f}) {
    Meadow m(1024, 300, 1);
    m.w.os.tpp = 1440.0f / dpi;
    m.start();
    frmMain& f = m.main();
    EXPECT_EQ(f.TileWidth, 88) << dpi;
    const float tpp = m.w.os.tpp;
    EXPECT_FLOAT_EQ((f.lblURL.left() + f.lblURL.width()) / tpp, 1024 - 3) << dpi;
    EXPECT_FLOAT_EQ((f.lblURL.top() + f.lblURL.height()) / tpp, 300) << dpi;
  }
}

TEST(Background, StripsAreTiledEightyEightPixelsWideAcrossTheWidth) {
  for (i16 strip : {1, 2}) {
    Meadow m(1024, 300, strip);
    m.start();
    frmMain& f = m.main();
    EXPECT_EQ(f.TileWidth, 88);
    const Surface& s = f.window();  // the bare background
    for (int y : {0, 150, 299}) {
      for (int c = 0; c < 88; ++c) {
        for (int tile = 1; tile * 88 + c < 1024; ++tile) {
          ASSERT_EQ(s.at(tile * 88 + c, y), s.at(c, y)) << tile << " " << c;
        }
      }
      EXPECT_NE(s.at(87, y), s.at(88, y));  // a tile's right edge meets the next one's left
    }
    // Stretched over the height: dark red at the left, strong at the right; the strip's blue.
    EXPECT_LT(s.at(0, 150) >> 16, 40u);
    EXPECT_GT(s.at(87, 150) >> 16, 200u);
    EXPECT_EQ(s.at(40, 150) & 0xFF, strip == 1 ? 200u : 50u);
  }
}

TEST(Background, ATileAtTheRightEdgeIsStillDrawnAndPositionsBeyond32767Overflow) {
  for (auto [width, fails] : {std::pair{32735, false}, std::pair{32736, true}}) {
    Meadow m(width, 1, 1);
    Reports reports;
    reports.install(m.w);
    m.start();
    EXPECT_EQ(reports.shown,
              fails ? std::vector<std::string>{"Hintergrund 6"} : std::vector<std::string>{})
        << width;
  }
}

TEST(Background, OtherValuesPaintNothing) {
  for (i16 value : {9, -1}) {
    Meadow m(320, 240, value);
    Reports reports;
    reports.install(m.w);
    m.start();
    EXPECT_TRUE(allBlack(m.main().window())) << value;
    EXPECT_TRUE(reports.shown.empty());
    EXPECT_EQ(m.w.os.count("captureDesktop(320,240)"), 0);
  }
}

TEST(Background, TheDesktopIsTakenOnceAndShownAsItWas) {
  Meadow m(320, 240, 3);
  m.start();
  frmMain& f = m.main();
  EXPECT_EQ(f.window().at(10, 20), desktopAt(10, 20));
  EXPECT_TRUE(f.DesktopCaptured);
  m.w.os.resize(f, 400, 300);
  EXPECT_EQ(m.w.os.only({"captureDesktop"}), std::vector<std::string>{"captureDesktop(320,240)"});
  EXPECT_EQ(f.window().at(319, 239), desktopAt(319, 239));
  EXPECT_EQ(f.window().at(320, 100), 0u);  // beyond the image: black
  EXPECT_EQ(f.window().at(100, 240), 0u);
}

TEST(Background, AMissingDisplayLeavesABlackDesktop) {
  Meadow m(320, 240, 3);
  m.w.os.desktopFails = true;
  Reports reports;
  reports.install(m.w);
  m.start();
  EXPECT_TRUE(allBlack(m.main().window()));
  EXPECT_TRUE(m.main().DesktopCaptured);
  EXPECT_TRUE(reports.shown.empty());
}

TEST(Background, TheRandomChoiceTakesTheDesktopAtTheFirstPassWhateverItPicks) {
  // A seed whose first pick is black (the flower count is drawn before it).
  std::uint64_t seed = 1;
  for (;; ++seed) {
    Meadow probe(320, 240, 4, seed);
    Draws d = probe.upcoming();
    d.next(100, 200);
    if (d.next(0, 3) == 0) break;
  }
  Meadow m(320, 240, 4, seed);
  m.start();
  frmMain& f = m.main();
  EXPECT_EQ(m.s.Background, 0);
  EXPECT_EQ(m.w.os.count("captureDesktop(320,240)"), 1);
  EXPECT_TRUE(allBlack(f.window()));  // black, not the desktop
  // Later passes pick anew; one that picks the desktop shows it.
  std::set<int> picks;
  for (int k = 0; k < 40; ++k) {
    m.w.os.resize(f, 320, 240);
    picks.insert(m.s.Background);
    if (m.s.Background == 3) {
      EXPECT_EQ(f.window().at(10, 20), desktopAt(10, 20));
    }
    if (m.s.Background == 0) {
      EXPECT_TRUE(allBlack(f.window()));
    }
  }
  EXPECT_EQ(picks, (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(m.w.os.count("captureDesktop(320,240)"), 1);
  EXPECT_EQ(m.s.RandomBack, kTrue);
}

// --- Input -------------------------------------------------------------------------------------

TEST(Input, EveryKeyButtonAndClickEndsTheRunningMode) {
  const std::vector<std::function<void(frmMain&)>> events = {
      [](frmMain& f) { f.Form_KeyDown(); },  // any key, a modifier alone too
      [](frmMain& f) { f.Form_KeyPress(); },  [](frmMain& f) { f.Form_MouseDown(); },
      [](frmMain& f) { f.Form_Click(); },     [](frmMain& f) { f.Form_DblClick(); },
      [](frmMain& f) { f.Form_Terminate(); },
  };
  for (const auto& event : events) {
    Meadow m;
    m.start();
    m.w.process.ScreenSaverMode = kTrue;
    EXPECT_TRUE(endsProgram([&] { event(m.main()); }));
  }
  // The first mouse report only records the position; 3 pixels from it end.
  Meadow m;
  m.start();
  m.w.process.ScreenSaverMode = kTrue;
  EXPECT_FALSE(endsProgram([&] { m.main().Form_MouseMove(700, 10); }));
  EXPECT_FALSE(endsProgram([&] { m.main().Form_MouseMove(702.9f, 12.9f); }));
  EXPECT_TRUE(endsProgram([&] { m.main().Form_MouseMove(702.9f, 15.9f); }));
}

TEST(Paint, AnExposureShowsTheWindowSurfaceAgain) {
  Meadow m;
  m.start();
  m.tick();
  int before = m.w.os.presents;
  m.main().Form_Paint();
  EXPECT_EQ(m.w.os.presents, before + 1);
  EXPECT_EQ(m.w.os.lastDirty.width(), 320);
  EXPECT_EQ(m.w.os.lastDirty.height(), 240);
}

}  // namespace
}  // namespace ps
