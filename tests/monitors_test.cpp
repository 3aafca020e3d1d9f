// The running mode on several monitors, on the fake platform: a meadow of its own on each, the
// primary monitor's unchanged, one ending for all.
#include <gtest/gtest.h>

#include "animation/frmMonitor.h"
#include "animation_support.h"
#include "host/saver.h"

namespace ps {
namespace {

using fake::storeKey;
using fake::World;
using Calls = std::vector<std::string>;

// Beyond the 320x240 primary monitor: a smaller one to its right (a gap below it) and one to the
// left of the desktop's origin, lower down.
const std::vector<Rect> kOthers = {Rect{320, 0, 520, 150}, Rect{-200, 300, 0, 400}};

struct Desktop {
  World w;
  explicit Desktop(std::vector<Rect> others, const char* background = "4") {
    w.os.screen = SizeF{320, 240};
    w.os.otherMonitors = std::move(others);
    w.os.store[storeKey("Background")] = background;
  }
  void start() {
    Saver::deliver([] { Saver::Main(); });
  }
  const std::vector<std::unique_ptr<frmMonitor>>& others() { return w.process.monitors(); }
  // One frame on every monitor, the primary first, as their timers would run them.
  void tick() {
    w.os.ticks += 50;
    w.process.main().timerExpired();
    for (auto& m : others()) m->timerExpired();
  }
};

bool sameSurface(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y) {
    if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
  }
  return true;
}

TEST(Monitors, EveryOtherMonitorShowsAMeadowOfItsOwnAtItsOwnSize) {
  Desktop d(kOthers);
  d.start();
  ASSERT_EQ(d.others().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    frmMonitor& m = *d.others()[i];
    EXPECT_TRUE(d.w.process.forms.isLoaded(m));
    EXPECT_EQ(m.monitor(), static_cast<int>(i) + 1);
    EXPECT_EQ(m.monitorArea(), kOthers[i]);
    EXPECT_EQ(m.window().width(), kOthers[i].width());
    EXPECT_EQ(m.window().height(), kOthers[i].height());
  }
  // Loaded after the primary window, made topmost without taking the activation, shown.
  std::string h1 = std::to_string(d.others()[0]->hWnd());
  EXPECT_EQ(d.w.os.only({"showWindow", "stackWindow(" + h1}),
            (Calls{"showWindow(frmMain)", "stackWindow(" + h1 + ",topmost)", "showWindow(frmMain)",
                   "showWindow(frmMain)"}));
  for (int k = 0; k < 40; ++k) d.tick();
  // Each meadow grows: its own flowers and texts, not a copy of another's.
  frmMonitor& small = *d.others()[0];
  EXPECT_TRUE(std::any_of(small.Flowers.begin(), small.Flowers.end(),
                          [](const Flower& f) { return f.State == -1; }));
  EXPECT_FALSE(sameSurface(small.window(), *d.others()[1]->windowSurface()));
  int whites = 0;
  for (int x = 0; x < small.window().width(); ++x) {
    for (int y = small.window().height() - 20; y < small.window().height(); ++y) {
      whites += small.window().at(x, y) == 0xFFFFFF;
    }
  }
  EXPECT_GT(whites, 20) << "no texts along the small monitor's bottom edge";
}

// What the primary monitor shows after 60 frames, with its share of the process-wide state.
struct PrimaryRun {
  Surface window;
  i16 lastFlower = 0, background = 0;
  Random random;
};

// With `plugged`, the other monitors come and go while the meadow runs: all plugged in at
// frame 20, the last one out again at frame 40.
PrimaryRun runPrimary(std::vector<Rect> others, bool plugged = false) {
  Desktop d(plugged ? std::vector<Rect>{} : others);
  d.start();
  for (int k = 0; k < 60; ++k) {
    d.tick();
    if (k == 30) {
      for (auto& m : d.others()) m->Form_Resize();
    }
    if (plugged && (k == 20 || k == 40)) {
      d.w.os.otherMonitors = others;
      if (k == 40) d.w.os.otherMonitors.pop_back();
      Saver::deliver([] { Saver::monitorsChanged(); });
      EXPECT_EQ(d.others().size(), d.w.os.otherMonitors.size());
    }
  }
  PrimaryRun r;
  const Surface& shown = d.w.process.main().window();
  r.window.setSize(shown.width(), shown.height());
  r.window.copyRect(shown, shown.bounds());
  r.lastFlower = d.w.process.LastFlower;
  r.background = d.w.process.settings.Background;
  r.random = d.w.process.random;
  return r;
}

TEST(Monitors, ThePrimaryMonitorDrawsWhatItDrawsAlone) {
  // The random background on (the stored default) and a restart on the other monitors between
  // the primary's frames: none of it takes a draw from the primary's sequence.
  // Nor do monitors plugged in and out while it runs.
  PrimaryRun alone = runPrimary({});
  EXPECT_GT(alone.lastFlower, 0);
  for (bool plugged : {false, true}) {
    PrimaryRun together = runPrimary(kOthers, plugged);
    EXPECT_TRUE(sameSurface(alone.window, together.window)) << plugged;
    EXPECT_EQ(alone.lastFlower, together.lastFlower) << plugged;
    EXPECT_EQ(alone.background, together.background) << plugged;
    EXPECT_EQ(testing::drawsBetween(alone.random, together.random, 0), 0) << plugged;
  }
}

TEST(Monitors, AMonitorPluggedInGetsAMeadowAndOnePulledOutTakesItsWindowAlong) {
  Desktop d({});
  d.start();
  for (int k = 0; k < 10; ++k) d.tick();
  d.w.process.main().Form_MouseMove(10, 10);
  d.w.os.calls.clear();
  d.w.os.otherMonitors = kOthers;
  Saver::deliver([] { Saver::monitorsChanged(); });
  ASSERT_EQ(d.others().size(), 2u);
  // The desktop (or the pointer with it) may have moved: the next position is only recorded.
  EXPECT_FALSE(testing::endsProgram([&] { d.w.process.main().Form_MouseMove(300, 200); }));
  EXPECT_EQ(d.w.process.main().LastX, 300);
  for (std::size_t i = 0; i < 2; ++i) {
    frmMonitor& m = *d.others()[i];
    EXPECT_TRUE(d.w.process.forms.isLoaded(m));
    EXPECT_EQ(m.monitorArea(), kOthers[i]);
    EXPECT_EQ(m.window().width(), kOthers[i].width());
    EXPECT_EQ(m.window().height(), kOthers[i].height());
  }
  // As at the start: topmost without the activation, then shown; the primary window untouched.
  std::string h1 = std::to_string(d.others()[0]->hWnd());
  EXPECT_EQ(d.w.os.only({"showWindow", "stackWindow(" + h1, "maximizeWindow"}),
            (Calls{"maximizeWindow(frmMain)", "stackWindow(" + h1 + ",topmost)",
                   "showWindow(frmMain)", "maximizeWindow(frmMain)", "showWindow(frmMain)"}));
  EXPECT_EQ(d.w.process.main().window().width(), 320);
  for (int k = 0; k < 40; ++k) d.tick();
  EXPECT_TRUE(std::any_of(d.others()[1]->Flowers.begin(), d.others()[1]->Flowers.end(),
                          [](const Flower& f) { return f.State == -1; }));
  // A change that leaves every monitor where it was changes nothing.
  d.w.os.calls.clear();
  Saver::deliver([] { Saver::monitorsChanged(); });
  EXPECT_EQ(d.w.os.calls, Calls{});

  // The first monitor goes: the second takes its place in the list, so the first meadow
  // covers it now, and the second meadow goes quietly.
  frmMonitor* first = d.others()[0].get();
  d.w.os.otherMonitors = {kOthers[1]};
  Saver::deliver([] { Saver::monitorsChanged(); });
  ASSERT_EQ(d.others().size(), 1u);
  EXPECT_EQ(d.others()[0].get(), first);
  EXPECT_EQ(first->monitorArea(), kOthers[1]);
  EXPECT_EQ(first->window().width(), kOthers[1].width());
  EXPECT_EQ(first->window().height(), kOthers[1].height());
  EXPECT_EQ(d.w.os.count("destroyWindow(frmMain)"), 1);
  EXPECT_EQ(d.w.os.count("quit"), 0);
  EXPECT_EQ(d.w.os.count("exitProcess(0)"), 0);
  for (int k = 0; k < 5; ++k) d.tick();

  // Input still ends everything once, in the usual order.
  d.w.os.calls.clear();
  EXPECT_TRUE(testing::endsProgram([&] { first->Form_KeyDown(); }));
  EXPECT_EQ(d.w.os.only({"showPointer", "exitProcess"}),
            (Calls{"showPointer(true)", "showPointer(true)", "exitProcess(0)"}));
  // The remaining other meadow went first; the primary's unload ended the process.
  EXPECT_EQ(d.w.os.count("destroyWindow(frmMain)"), 1);
}

TEST(Monitors, WindowsFollowTheirMonitorsWhenTheyChange) {
  Desktop d(kOthers);
  d.start();
  for (int k = 0; k < 10; ++k) d.tick();
  d.w.os.calls.clear();
  // The primary monitor grows and the first other moves and shrinks; the second stays.
  d.w.os.screen = SizeF{400, 300};
  const Rect moved{400, 0, 560, 120};
  d.w.os.otherMonitors = {moved, kOthers[1]};
  Saver::deliver([] { Saver::monitorsChanged(); });
  frmMain& primary = d.w.process.main();
  EXPECT_EQ(primary.window().width(), 400);
  EXPECT_EQ(primary.window().height(), 300);
  EXPECT_EQ(d.others()[0]->monitorArea(), moved);
  EXPECT_EQ(d.others()[0]->window().width(), moved.width());
  EXPECT_EQ(d.others()[0]->window().height(), moved.height());
  EXPECT_EQ(d.w.os.count("maximizeWindow(frmMain)"), 2);
  EXPECT_EQ(d.w.os.count("createWindow(frmMain)") + d.w.os.count("destroyWindow(frmMain)"), 0);
  for (int k = 0; k < 5; ++k) d.tick();
  EXPECT_TRUE(d.w.process.forms.isLoaded(primary));
}

TEST(Monitors, OutsideTheRunningModeAChangeLoadsNoMeadow) {
  for (const char* line : {"/C", "/P 1234"}) {
    Desktop d({});
    d.w.os.cmdLine = line;
    d.start();
    d.w.os.otherMonitors = kOthers;
    Saver::deliver([] { Saver::monitorsChanged(); });
    EXPECT_TRUE(d.others().empty()) << line;
    EXPECT_EQ(d.w.os.count("createWindow(frmMain)"), 0) << line;
  }
}

TEST(Monitors, InputOnAnyMonitorEndsOnceInTheUsualOrder) {
  for (int input = 0; input < 3; ++input) {
    Desktop d(kOthers);
    d.start();
    d.w.os.calls.clear();
    frmMonitor& m = *d.others()[1];
    EXPECT_TRUE(testing::endsProgram([&] {
      if (input == 0) m.Form_KeyDown();
      if (input == 1) m.Form_MouseDown();
      if (input == 2) m.Form_MouseMove(10, 10), m.Form_MouseMove(13, 10);
    })) << input;
    EXPECT_EQ(
        d.w.os.only({"showPointer", "setScreenSaver", "exitProcess"}),
        (Calls{"showPointer(true)", "setScreenSaverActive(true)", "setScreenSaverRunning(false)",
               "showPointer(true)", "setScreenSaverActive(true)", "setScreenSaverRunning(false)",
               "exitProcess(0)"}))
        << input;
    // The other monitors' windows went first, quietly; the primary's unload ended the process.
    EXPECT_EQ(d.w.os.count("destroyWindow(frmMain)"), 2) << input;
    EXPECT_EQ(d.w.os.cursorCount, 1) << input;
  }
}

TEST(Monitors, TheFirstReportOnAnotherMonitorIsOnlyRecorded) {
  Desktop d(kOthers);
  d.start();
  EXPECT_FALSE(testing::endsProgram([&] { d.others()[0]->Form_MouseMove(150, 90); }));
  EXPECT_FALSE(testing::endsProgram([&] { d.others()[0]->Form_MouseMove(152, 92); }));
  EXPECT_TRUE(d.w.process.forms.isLoaded(d.w.process.main()));
}

TEST(Monitors, EachShowsItsOwnPartOfTheDesktop) {
  Desktop d(kOthers, "3");
  d.start();
  EXPECT_EQ(d.w.os.only({"captureDesktop"}),
            (Calls{"captureDesktop(320,240)", "captureDesktop(320,0,200,150)",
                   "captureDesktop(-200,300,200,100)"}));
  // The desktop as each window keeps it for its scenes.
  auto kept = [](const frmMain& w) {
    Surface s;
    s.resize(w.imgBG.width(), w.imgBG.height());
    w.imgBG.unpackInto(s);
    return s;
  };
  for (auto& m : d.others()) {
    const Rect& a = m->monitorArea();
    Surface desktop = kept(*m);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{desktop.width() - 1, 7}}) {
      EXPECT_EQ(desktop.at(x, y), fake::FakePlatform::desktopPixel(a.left + x, a.top + y));
    }
  }
  EXPECT_EQ(kept(d.w.process.main()).at(3, 4), fake::FakePlatform::desktopPixel(3, 4));
}

}  // namespace
}  // namespace ps
