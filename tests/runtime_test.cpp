#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake/fake_platform.h"
#include "host/saver.h"
#include "platform/runtime.h"

namespace ps {
namespace {

using fake::failureOf;

TEST(CheckedArithmetic, FailsWithOverflowInsteadOfWrapping) {
  EXPECT_EQ(add16(32766, 1), 32767);
  EXPECT_EQ(failureOf([] { add16(32767, 1); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { sub16(-32768, 1); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { mul16(1639, 20); }), err::kOverflow);  // maxFl 1639 × 20
  EXPECT_EQ(mul32(2147483, 1000), 2147483000);
  EXPECT_EQ(failureOf([] { mul32(2147484, 1000); }), err::kOverflow);  // rTime × 1000
  EXPECT_EQ(failureOf([] { toI32(1LL << 31); }), err::kOverflow);
}

TEST(CheckedArithmetic, IntegerDivisionTruncatesAndChecks) {
  EXPECT_EQ(div16(200, 3), 66);
  EXPECT_EQ(div16(-7, 2), -3);
  EXPECT_EQ(div32(1024, 200), 5);
  EXPECT_EQ(failureOf([] { div16(200, 0); }), err::kDivisionByZero);
  EXPECT_EQ(failureOf([] { div16(-32768, -1); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { div32(std::numeric_limits<i32>::min(), -1); }), err::kOverflow);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundI16(2.5), 2);
  EXPECT_EQ(roundI16(3.5), 4);
  EXPECT_EQ(roundI16(-2.5), -2);
  EXPECT_EQ(roundI16(-3.5), -4);
  EXPECT_EQ(roundI16(5 * 0.5), 2);
  EXPECT_EQ(roundI16(7 * 0.5), 4);
  EXPECT_EQ(roundI16(2.5000001), 3);
  EXPECT_EQ(roundI32(600 * 0.93), 558);
  EXPECT_EQ(roundI32(200 / 3.0f), 67);
  EXPECT_EQ(failureOf([] { roundI16(32767.5); }), err::kOverflow);
  EXPECT_EQ(roundI16(32767.4), 32767);
  EXPECT_EQ(failureOf([] { roundI32(NAN); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { roundI32(INFINITY); }), err::kOverflow);
}

TEST(NumberTexts, SettingsTextsConvertStrictly) {
  EXPECT_EQ(textToI16(" 7 "), 7);
  EXPECT_EQ(textToI16("-12"), -12);
  EXPECT_EQ(textToI16("2.5"), 2);
  EXPECT_EQ(textToI16("3,5"), 4);
  EXPECT_EQ(textToI32("100000"), 100000);
  EXPECT_FLOAT_EQ(textToSingle("0.3"), 0.3f);
  EXPECT_FLOAT_EQ(textToSingle("0,3"), 0.3f);
  EXPECT_FLOAT_EQ(textToSingle("1E-09"), 1e-9f);
  EXPECT_EQ(failureOf([] { textToI16("ten"); }), err::kTypeMismatch);
  EXPECT_EQ(failureOf([] { textToI16(""); }), err::kTypeMismatch);
  EXPECT_EQ(failureOf([] { textToI16("   "); }), err::kTypeMismatch);
  EXPECT_EQ(failureOf([] { textToI16("7x"); }), err::kTypeMismatch);
  EXPECT_EQ(failureOf([] { textToI16("."); }), err::kTypeMismatch);
  EXPECT_EQ(failureOf([] { textToI16("40000"); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { textToI32("99999999999"); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { textToSingle("1e39"); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { textToSingle("1e999"); }), err::kOverflow);
  // Too small for a double is zero, however it is written.
  EXPECT_EQ(textToSingle("-1e-999"), 0.0f);
  EXPECT_EQ(textToSingle("0." + std::string(400, '0') + "1"), 0.0f);
}

TEST(NumberTexts, SinglesAreWrittenWithAFullStopAndAtMostSevenDigits) {
  EXPECT_EQ(formatSingle(10.0f), "10");
  EXPECT_EQ(formatSingle(0.5f), "0.5");
  EXPECT_EQ(formatSingle(0.3f), "0.3");
  EXPECT_EQ(formatSingle(5.0f), "5");
  EXPECT_EQ(formatSingle(37 * 0.1f), "3.7");
  EXPECT_EQ(formatSingle(-2.25f), "-2.25");
  EXPECT_EQ(formatSingle(1e-9f), "1E-09");
  EXPECT_EQ(formatSingle(123456789.0f), "123456800");  // seven digits kept
  // Whatever is written reads back as the same single.
  for (float v : {0.1f, 0.7f, 3.3f, 9.9f, 1e-9f, 6.02e23f, 123456.7f}) {
    EXPECT_EQ(textToSingle(formatSingle(v)), v) << formatSingle(v);
  }
}

TEST(NumberTexts, TheCLibrarysLocaleChangesNothing) {
  fake::GermanLocale german;
  ASSERT_TRUE(german.active) << "no German locale (scripts/install-deps.sh generates it)";
  EXPECT_EQ(textToSingle("0.5"), 0.5f);
  EXPECT_EQ(textToSingle("5,5"), 5.5f);
  EXPECT_EQ(textToI16("2.5"), 2);
  EXPECT_EQ(formatSingle(0.3f), "0.3");
  EXPECT_EQ(formatSingle(123456789.0f), "123456800");
  EXPECT_EQ(formatSingle(-1.5e-9f), "-1.5E-09");
  EXPECT_EQ(leadingNumber("12.5 Min."), 12.5);
}

TEST(CommandLine, SwitchIsTheFirstTwoCharactersTrimmedAndUpperCased) {
  EXPECT_EQ(Saver::modeSwitch("  /s  "), "/S");
  EXPECT_EQ(Saver::modeSwitch("/c:4711"), "/C");
  EXPECT_EQ(Saver::modeSwitch("/Sxyz"), "/S");
  EXPECT_EQ(Saver::modeSwitch(""), "");
  EXPECT_EQ(Saver::modeSwitch("     "), "");
  EXPECT_EQ(Saver::modeSwitch("s"), "S");
}

TEST(CommandLine, HandleStartsAtTheFourthCharacter) {
  EXPECT_EQ(Saver::parseHandle("/p 4711"), 4711);
  EXPECT_EQ(Saver::parseHandle("/P:4711"), 4711);
  EXPECT_EQ(Saver::parseHandle("/P4711"), 711);
  EXPECT_EQ(Saver::parseHandle("/P"), 0);
  EXPECT_EQ(Saver::parseHandle("/P "), 0);
  EXPECT_EQ(Saver::parseHandle("/P x12"), 0);
  EXPECT_EQ(Saver::parseHandle("/P 1 2\t3\n4"), 1234);
  EXPECT_EQ(Saver::parseHandle("/P -42"), -42);
  EXPECT_EQ(Saver::parseHandle("/P 12.5"), 12);
  EXPECT_EQ(Saver::parseHandle("/P 13.5"), 14);
  EXPECT_EQ(Saver::parseHandle("/P 1e3"), 1000);
  EXPECT_EQ(Saver::parseHandle("/P 77abc"), 77);
  EXPECT_EQ(Saver::parseHandle("/P 2147483647"), 2147483647);
  EXPECT_EQ(failureOf([] { Saver::parseHandle("/P 2147483648"); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { Saver::parseHandle("/P 1e400"); }), err::kOverflow);
  EXPECT_EQ(failureOf([] { Saver::parseHandle("/P -99999999999"); }), err::kOverflow);
}

}  // namespace
}  // namespace ps
