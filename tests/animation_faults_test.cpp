// Settings outside the dialog's ranges and extreme window sizes: reported failures where the
// rules say so, never a crash or a silent wrap.
#include <gtest/gtest.h>

#include "animation_support.h"

namespace ps {
namespace {

using namespace ps::testing;

// Runs a meadow with adjusted settings for some ticks; returns the reports shown (each answered
// with Cancel, so the meadow goes on).
std::vector<std::string> reportsOf(const std::function<void(Settings&)>& adjust, int ticks = 0,
                                   int width = 320, int height = 240, std::uint64_t seed = 1) {
  Meadow m(width, height, 0, seed);
  adjust(m.s);
  Reports reports;
  reports.install(m.w);
  m.start();
  for (int t = 0; t < ticks; ++t) m.tick();
  return reports.shown;
}

using List = std::vector<std::string>;

TEST(Faults, FlowerCountsOutsideTheRange) {
  // 0 and 1 flowers: a count of 0 slots divides by zero in the seeding, and 0 in the lottery.
  EXPECT_EQ(reportsOf([](Settings& s) { s.maxFl = 0, s.maxFlHalf = 0; }, 1),
            (List{"Form_Resize 11", "tmrAnimation_timer 11"}));
  // 2000 × 20 does not fit 16 bits: the count fails, LastFlower stays 0.
  EXPECT_EQ(reportsOf([](Settings& s) { s.maxFl = 2000, s.maxFlHalf = 1000; }),
            (List{"Form_Load 6", "Form_Resize 11"}));
  // 26: more slots than the 501 there are (a seed that draws more than 500).
  std::uint64_t seed = 1;
  for (;; ++seed) {
    Meadow probe(320, 240, 0, seed);
    if (probe.upcoming().next(13 * 20, 26 * 20) > 500) break;
  }
  List many = reportsOf([](Settings& s) { s.maxFl = 26, s.maxFlHalf = 13; }, 1, 320, 240, seed);
  EXPECT_EQ(many, (List{"Form_Resize 9", "tmrAnimation_timer 9"}));
  // 67: sprite numbers below 101 are drawn, and drawing one fails when the flower grows.
  List low = reportsOf([](Settings& s) { s.maxFl = 67, s.maxFlHalf = 34; }, 40);
  EXPECT_TRUE(std::find(low.begin(), low.end(), "tmrAnimation_timer 326") != low.end());
}

TEST(Faults, SpeedsThatGiveNoTimerInterval) {
  EXPECT_EQ(reportsOf([](Settings& s) { s.SpeedF = 0; }), (List{"Form_Load 11"}));
  EXPECT_EQ(reportsOf([](Settings& s) { s.SpeedF = 1e-9f; }), (List{"Form_Load 6"}));
  EXPECT_EQ(reportsOf([](Settings& s) { s.SpeedF = 0.001f; }), (List{"Form_Load 380"}));
}

TEST(Faults, ARestartPeriodBeyondThirtyTwoBitsOfMilliseconds) {
  EXPECT_EQ(reportsOf([](Settings& s) { s.rTime = 3000000; }, 2),
            (List{"tmrAnimation_timer 6", "tmrAnimation_timer 6"}));
  EXPECT_EQ(reportsOf([](Settings& s) { s.rTime = 2147483; }, 2), List{});
}

TEST(Faults, TinyAndHugeWindows) {
  // One pixel: the ground, the flowers and the text all fall outside it, and nothing fails.
  Meadow tiny(1, 1);
  Reports none;
  none.install(tiny.w);
  tiny.start();
  for (int t = 0; t < 300; ++t) tiny.tick();
  EXPECT_TRUE(none.shown.empty());
  // 40000 pixels wide: positions pass through 16 bits and overflow where the tufts are laid.
  EXPECT_EQ(reportsOf([](Settings&) {}, 0, 40000, 20), (List{"Form_Resize 6"}));
}

}  // namespace
}  // namespace ps
