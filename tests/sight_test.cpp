// The running mode while nobody can see it: every meadow's timer stands still, and the meadows go
// on where they stood once one can be seen again.
#include <gtest/gtest.h>

#include "animation/frmMonitor.h"
#include "animation_support.h"
#include "host/saver.h"

namespace ps {
namespace {

using namespace ps::testing;
using Timer = std::pair<i32, bool>;

struct Running : Meadow {
  Running() {
    w.process.ScreenSaverMode = kTrue;
    start();
  }
  Timer timer() { return w.os.timers[&main()]; }
  void seen(bool on, const Form* window = nullptr) {
    Saver::deliver([&] { Saver::meadowSeen(window != nullptr ? window : &main(), on); });
  }
  void display(bool on) {
    Saver::deliver([&] { Saver::meadowSeen(nullptr, on); });
  }
};

// The frames a meadow shows after 30 ticks, a layout pass and 5 s of the clock, hidden through
// the pass and the 5 s or not.
std::vector<std::vector<u32>> framesAfterAPause(bool hide) {
  Running m;
  for (int i = 0; i < 30; ++i) m.tick();
  if (hide) {
    m.seen(false);
    EXPECT_EQ(m.timer(), (Timer{20, false}));
  }
  // A layout pass while hidden (a new display mode) leaves the timer standing.
  m.w.os.resize(m.main(), 320, 240);
  if (hide) {
    EXPECT_EQ(m.timer(), (Timer{20, false}));
    m.seen(true);
  }
  EXPECT_EQ(m.timer(), (Timer{20, true}));
  m.w.os.ticks += 5000;
  std::vector<std::vector<u32>> frames;
  for (int i = 0; i < 30; ++i) {
    m.tick();
    const Surface& win = m.main().window();
    frames.emplace_back();
    for (int y = 0; y < win.height(); ++y) {
      frames.back().insert(frames.back().end(), win.row(y), win.row(y) + win.width());
    }
  }
  return frames;
}

TEST(Sight, AHiddenMeadowStandsStillAndGoesOnExactlyAsOneNeverHidden) {
  EXPECT_TRUE(framesAfterAPause(true) == framesAfterAPause(false));
}

TEST(Sight, ADisplaySwitchedOffSleepsWhateverTheWindowsShow) {
  Running m;
  m.display(false);
  EXPECT_EQ(m.timer(), (Timer{20, false}));
  m.seen(false);
  m.seen(true);  // a window shown on a dark display is still not seen
  EXPECT_EQ(m.timer(), (Timer{20, false}));
  m.display(true);
  EXPECT_EQ(m.timer(), (Timer{20, true}));
}

TEST(Sight, ARestartPeriodThatRanOutMeanwhileRestartsAtTheNextTick) {
  Running m;
  m.s.rTime = 10;
  m.tick();  // arms the clock
  const i32 armed = m.main().RestartTick;
  m.seen(false);
  m.w.os.ticks += 60000;  // six periods pass unseen: still one restart
  m.seen(true);
  m.main().picBG().set(0, 0, 0x123456);
  m.tick();
  EXPECT_EQ(m.main().RestartTick, static_cast<i32>(m.w.os.ticks));
  EXPECT_NE(m.main().RestartTick, armed);
  EXPECT_EQ(m.main().picBG().at(0, 0), 0u);  // painted afresh
  EXPECT_EQ(m.timer(), (Timer{20, true}));
}

TEST(Sight, AHackAndTheOtherModesIgnoreIt) {
  Running hack;
  hack.w.os.hack = true;
  hack.seen(false);
  hack.display(false);
  EXPECT_EQ(hack.timer(), (Timer{20, true}));

  Meadow other;  // loaded outside the running mode
  other.start();
  Saver::deliver([&] { Saver::meadowSeen(&other.main(), false); });
  Saver::deliver([&] { Saver::meadowSeen(nullptr, false); });
  EXPECT_EQ(other.w.os.timers[&other.main()], (Timer{20, true}));
}

TEST(Sight, OnSeveralMonitorsOnlyWhenEveryMeadowIsHidden) {
  fake::World w;
  w.os.screen = SizeF{320, 240};
  w.os.otherMonitors = {Rect{320, 0, 520, 150}};
  w.os.store[fake::storeKey("Background")] = "0";
  Saver::deliver([] { Saver::Main(); });
  frmMain& primary = w.process.main();
  frmMonitor& other = *w.process.monitors().at(0);
  using Both = std::pair<bool, bool>;
  auto running = [&] { return Both{w.os.timers[&primary].second, w.os.timers[&other].second}; };
  Saver::deliver([&] { Saver::meadowSeen(&primary, false); });
  EXPECT_EQ(running(), (Both{true, true}));
  Saver::deliver([&] { Saver::meadowSeen(&other, false); });
  EXPECT_EQ(running(), (Both{false, false}));
  Saver::deliver([&] { Saver::meadowSeen(&other, true); });
  EXPECT_EQ(running(), (Both{true, true}));
  // A monitor pulled out takes its meadow along: the one left is hidden, so all sleep.
  Saver::deliver([&] { Saver::meadowSeen(&other, false); });
  Saver::deliver([&] { Saver::meadowSeen(&other, true); });
  w.os.otherMonitors.clear();
  Saver::deliver([] { Saver::monitorsChanged(); });
  EXPECT_FALSE(w.os.timers[&primary].second);
  // Input still ends it while asleep.
  EXPECT_TRUE(endsProgram([&] { primary.Form_KeyDown(); }));
}

}  // namespace
}  // namespace ps
