// The tick: the text line, the restart clock, and the frame path that copies only what changed.
#include <gtest/gtest.h>

#include <cstring>

#include "animation_support.h"

namespace ps {
namespace {

using namespace ps::testing;

constexpr u32 kWhite = 0xFFFFFF;

TEST(TickText, TheBottomLineFollowsTheDateAndTimeSwitches) {
  const std::string url = PETALSTREAM_HOMEPAGE;
  for (auto [date, time] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
    Meadow m;
    m.s.Date = static_cast<i16>(date);
    m.s.Time = static_cast<i16>(time);
    m.start();
    m.w.os.textsDrawn.clear();
    m.tick();
    std::vector<std::string> texts;
    if (date) texts.push_back("24.04.2001   ");
    if (time) texts.push_back("13:05:09");
    texts.push_back(url);
    EXPECT_EQ(m.w.os.textsDrawn, texts) << date << time;
    // The fake marks the top-left corner of each character. The line stands 3 pixels above
    // the bottom less a line's height; the time follows the date and its three spaces; the
    // address ends 3 pixels from the right edge, one pixel above its anchor.
    const Surface& win = m.main().window();
    const int y = 240 - 16 - 3;
    EXPECT_EQ(win.at(5 + 1, y + 2) == kWhite, date || time) << date << time;
    EXPECT_EQ(win.at(5 + 7 * 13 + 1, y + 2) == kWhite, date && time) << date << time;
    const int urlX = 320 - 7 * static_cast<int>(url.size()) - 3;
    EXPECT_EQ(win.at(urlX + 1, 240 - 16 - 1 + 2), kWhite);
    EXPECT_EQ(m.main().lblURL.left(), static_cast<float>(urlX * 15));
  }
}

// The tick at which the clock stands at `ms` (tickCount), after a tick at `before`.
void tickAt(Meadow& m, u32 ms) {
  m.w.os.ticks = ms;
  m.main().tmrAnimation_Timer();
}

TEST(RestartClock, ArmsAtTheFirstTickAndRestartsOnlyAfterThePeriod) {
  Meadow m;
  m.s.rTime = 10;
  m.start();
  frmMain& f = m.main();
  const u32 t1 = m.w.os.ticks + 20;
  tickAt(m, t1);
  EXPECT_EQ(f.RestartTick, static_cast<i32>(t1));  // only armed
  f.PlantCount = 40;
  f.picBG().set(0, 0, 0x123456);
  f.GroundY = 220;
  tickAt(m, t1 + 10000);  // exactly the period: not yet
  EXPECT_EQ(f.RestartTick, static_cast<i32>(t1));
  EXPECT_EQ(f.picBG().at(0, 0), 0x123456u);
  tickAt(m, t1 + 10001);
  EXPECT_EQ(f.RestartTick, static_cast<i32>(t1 + 10001));
  EXPECT_EQ(f.picBG().at(0, 0), 0u);  // painted afresh
  EXPECT_EQ(f.GroundY, 223);
  EXPECT_GE(f.PlantCount, 40);  // carries over
  EXPECT_EQ(m.w.os.timers[&f], (std::pair<i32, bool>{20, true}));
}

TEST(RestartClock, ElapsedTimeIsTheTrueDifferenceAcrossTwoToTheThirtyOneAndTheWrap) {
  struct Case {
    u32 restart, now;
    i32 rTime;
    bool restarts;
  };
  for (Case c :
       {Case{0xFFFF0000u, 0x0000FFFFu, 131, true}, Case{0xFFFF0000u, 0x0000FFFFu, 132, false},
        Case{0x7FFFFF00u, 0x80000100u, 0, true}, Case{0x7FFFFF00u, 0x80000100u, 1, false}}) {
    Meadow m;
    m.s.rTime = c.rTime;
    m.start();
    frmMain& f = m.main();
    f.RestartTick = static_cast<i32>(c.restart);
    tickAt(m, c.now);
    EXPECT_EQ(f.RestartTick == static_cast<i32>(c.now), c.restarts) << c.rTime;
  }
}

TEST(RestartClock, AnUptimeBelowThePeriodArmsOnlyOnceItPassesIt) {
  Meadow m;
  m.s.rTime = 10;
  m.start();
  frmMain& f = m.main();
  tickAt(m, 9000);
  EXPECT_EQ(f.RestartTick, 0);
  tickAt(m, 10001);
  EXPECT_EQ(f.RestartTick, 10001);
  tickAt(m, 20001);
  EXPECT_EQ(f.RestartTick, 10001);
  tickAt(m, 20002);
  EXPECT_EQ(f.RestartTick, 20002);
}

TEST(RestartClock, OffNeverRestartsAndZeroSecondsRestartsEveryTick) {
  Meadow off;
  off.s.Restart = 0;
  off.s.rTime = 0;
  off.start();
  for (int k = 0; k < 5; ++k) off.tick(100000000);
  EXPECT_EQ(off.main().RestartTick, 0);

  Meadow every;
  every.s.rTime = 0;
  every.start();
  every.tick();
  for (int k = 0; k < 5; ++k) {
    every.main().GroundY = 100;
    every.tick();
    EXPECT_EQ(every.main().RestartTick, static_cast<i32>(every.w.os.ticks));
    EXPECT_EQ(every.main().GroundY, 223);  // rebuilt in every tick
  }
}

// --- The frame path ----------------------------------------------------------------------------

std::uint64_t hashOf(const Surface& s) {
  std::uint64_t h = 1469598103934665603ull ^ static_cast<std::uint64_t>(s.width()) << 32 ^
                    static_cast<std::uint64_t>(s.height());
  const u32* p = s.data();
  for (size_t i = 0, n = static_cast<size_t>(s.width()) * s.height(); i < n; ++i) {
    h = (h ^ p[i]) * 1099511628211ull;
  }
  return h;
}

// Runs a meadow with restarts, random backgrounds and a change of size; returns the window's
// hash after every tick. The ordinary path also checks each frame's presented rectangles: no
// pixel outside them changed.
std::vector<std::uint64_t> run(bool literal, int ticks) {
  Meadow m(320, 240, 4, 3);
  m.s.rTime = 30;  // a restart every 1500 ticks
  // A second every five ticks, over midnight: the date and the time change their widths.
  LocalTime& clock = m.w.os.clock;
  clock = LocalTime{2001, 4, 9, 23, 58, 40, 0};
  m.start();
  frmMain& f = m.main();
  f.compositor.setLiteral(literal);
  std::vector<std::uint64_t> hashes;
  Surface previous;
  for (int t = 0; t < ticks; ++t) {
    if (t == 2200) m.w.os.resize(f, 300, 260);
    if (t % 5 == 0 && ++clock.second == 60) {
      clock.second = 0;
      if (++clock.minute == 60) clock.minute = 0, clock.hour = (clock.hour + 1) % 24;
      if (clock.hour == 0 && clock.minute == 0) ++clock.day;
    }
    // The date and the time switched off and on while it runs.
    m.s.Date = static_cast<i16>(t < 2600 || t > 2700);
    m.s.Time = static_cast<i16>(t < 2650 || t > 2800);
    previous.resize(f.window().width(), f.window().height());
    previous.copyRect(f.window(), previous.bounds());
    m.tick();
    hashes.push_back(hashOf(f.window()));
    if (literal) continue;
    Surface shown(previous.width(), previous.height(), 0);
    for (const Rect& d : m.w.os.lastRects) shown.fillRect(d, 1);
    for (int y = 0; y < previous.height(); ++y) {
      for (int x = 0; x < previous.width(); ++x) {
        if (shown.at(x, y) == 0 && previous.at(x, y) != f.window().at(x, y)) {
          ADD_FAILURE() << "tick " << t << ": " << x << "," << y
                        << " changed outside the presented rectangles";
          return hashes;
        }
      }
    }
  }
  return hashes;
}

TEST(FramePath, CopyingOnlyWhatChangedShowsTheSameFramesAsWholeCopies) {
  const int ticks = 4000;
  std::vector<std::uint64_t> literal = run(true, ticks);
  std::vector<std::uint64_t> fast = run(false, ticks);
  ASSERT_EQ(literal.size(), fast.size());
  for (int t = 0; t < ticks; ++t)
    ASSERT_EQ(literal[t], fast[t]) << "first difference at tick " << t;
}

TEST(FramePath, AStepThatFailsHalfwayLeavesNothingStaleOnTheScreen) {
  // A tick left after a failing step (Cancel) must not leave its drawings behind: the next
  // frames equal those of whole copies.
  std::vector<std::uint64_t> hashes[2];
  for (bool literal : {true, false}) {
    Meadow m(200, 150, 0, 9);
    Reports reports;
    reports.install(m.w, answer::kCancel);
    m.start();
    frmMain& f = m.main();
    f.compositor.setLiteral(literal);
    for (int t = 0; t < 600; ++t) {
      // Every hundredth tick the flower step fails at the first waiting slot (division by
      // zero), after the growing slots before it have drawn; the tick leaves there.
      m.s.maxFl = t % 100 == 50 ? 0 : 10;
      m.tick();
      hashes[literal].push_back(hashOf(f.window()));
    }
    EXPECT_EQ(reports.shown, std::vector<std::string>(6, "tmrAnimation_timer 11"));
  }
  EXPECT_EQ(hashes[0], hashes[1]);
  EXPECT_EQ(hashes[0][49], hashes[0][50]);  // the left tick showed nothing new
}

}  // namespace
}  // namespace ps
