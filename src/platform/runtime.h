// The runtime rules every layer shares: failures, checked integers, rounding, number texts.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace ps {

using i16 = std::int16_t;
using i32 = std::int32_t;
using u32 = std::uint32_t;

// Truth values as the program stores them.
inline constexpr i16 kTrue = -1;
inline constexpr i16 kFalse = 0;
inline constexpr i16 truth(bool b) {
  return b ? kTrue : kFalse;
}

// Failure numbers the system raises and tests.
namespace err {
inline constexpr i32 kOverflow = 6;
inline constexpr i32 kSubscript = 9;
inline constexpr i32 kDivisionByZero = 11;
inline constexpr i32 kTypeMismatch = 13;
inline constexpr i32 kFileNotFound = 53;
inline constexpr i32 kFileAccess = 75;
inline constexpr i32 kInvalidPicture = 481;
inline constexpr i32 kInvalidProperty = 380;
inline constexpr i32 kResourceNotFound = 326;
inline constexpr i32 kPlatform = 5;  // "Invalid procedure call": a platform service failed
}  // namespace err

// The standard description of a failure number.
std::string describeFailure(i32 number);

// A failing step. The line is filled in by the guard that runs the step.
struct Failure : std::exception {
  i32 number = 0;
  std::string description;
  i32 line = 0;

  Failure(i32 n, std::string d, i32 l = 0) : number(n), description(std::move(d)), line(l) {}
  const char* what() const noexcept override { return description.c_str(); }
};

[[noreturn]] void raise(i32 number);
[[noreturn]] void raise(i32 number, std::string description);

// Thrown to end the program at once; only the event loop of a backend catches it.
struct ProgramEnd {
  int code = 0;  // the process's exit code
};

// Checked conversions: out of range is overflow (6), never a wrap.
i16 toI16(long long v);
i32 toI32(long long v);

// Nearest integer, an exact half to the even neighbour.
double roundHalfEven(double v);
// roundHalfEven, then checked into the width; NaN and infinities are overflow.
i16 roundI16(double v);
i32 roundI32(double v);

// Signed 16- and 32-bit arithmetic that fails with overflow instead of wrapping.
inline i16 add16(long long a, long long b) {
  return toI16(a + b);
}
inline i16 sub16(long long a, long long b) {
  return toI16(a - b);
}
inline i16 mul16(long long a, long long b) {
  return toI16(a * b);
}
inline i32 add32(long long a, long long b) {
  return toI32(a + b);
}
inline i32 sub32(long long a, long long b) {
  return toI32(a - b);
}
inline i32 mul32(long long a, long long b) {
  return toI32(a * b);
}
// Integer division truncating towards zero: division by zero (11), -32768 / -1 overflows.
i16 div16(i16 a, i16 b);
i32 div32(i32 a, i32 b);

// Index check (9) for fixed arrays.
inline void checkIndex(long long i, long long lo, long long hi) {
  if (i < lo || i > hi) raise(err::kSubscript);
}

// Single precision with overflow (6) beyond its range; NaN is type mismatch.
float toSingle(double v);

// Number texts of the settings store: blanks around are ignored, a full stop or a comma is
// the decimal separator, an exponent is allowed. Not a number: 13; too large: 6.
double parseNumberText(std::string_view text);
i16 textToI16(std::string_view text);
i32 textToI32(std::string_view text);
float textToSingle(std::string_view text);

// The lenient leading-number read of a command-line handle or a label: blanks, tabs and line
// feeds anywhere are skipped, then sign, digits, fraction and exponent as far as they go;
// no number gives 0.
double leadingNumber(std::string_view text);

// Decimal text of a single: at most 7 significant digits, a full stop, no fraction for whole
// values, an exponent only where plain digits cannot show the value.
std::string formatSingle(float v);

std::string trimBlanks(std::string_view s);
std::string upperAscii(std::string_view s);

}  // namespace ps
