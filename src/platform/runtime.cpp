#include "platform/runtime.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ps {

std::string describeFailure(i32 number) {
  switch (number) {
    case err::kOverflow:
      return "Overflow";
    case err::kSubscript:
      return "Subscript out of range";
    case err::kDivisionByZero:
      return "Division by zero";
    case err::kTypeMismatch:
      return "Type mismatch";
    case err::kFileNotFound:
      return "File not found";
    case err::kFileAccess:
      return "Path/File access error";
    case err::kInvalidProperty:
      return "Invalid property value";
    case err::kInvalidPicture:
      return "Invalid picture";
    case err::kResourceNotFound:
      return "Resource with this identifier not found";
    case err::kPlatform:
      return "Invalid procedure call or argument";
    default:
      return "Application-defined or object-defined error";
  }
}

void raise(i32 number) {
  throw Failure(number, describeFailure(number));
}
void raise(i32 number, std::string description) {
  throw Failure(number, std::move(description));
}

i16 toI16(long long v) {
  if (v < std::numeric_limits<i16>::min() || v > std::numeric_limits<i16>::max()) {
    raise(err::kOverflow);
  }
  return static_cast<i16>(v);
}

i32 toI32(long long v) {
  if (v < std::numeric_limits<i32>::min() || v > std::numeric_limits<i32>::max()) {
    raise(err::kOverflow);
  }
  return static_cast<i32>(v);
}

double roundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  double f = std::floor(v);
  double diff = v - f;
  if (diff > 0.5) return f + 1.0;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

static long long roundChecked(double v, double lo, double hi) {
  double r = roundHalfEven(v);
  if (!(r >= lo && r <= hi)) raise(err::kOverflow);  // NaN fails here too
  return static_cast<long long>(r);
}

i16 roundI16(double v) {
  return static_cast<i16>(roundChecked(v, -32768.0, 32767.0));
}
i32 roundI32(double v) {
  return static_cast<i32>(roundChecked(v, -2147483648.0, 2147483647.0));
}

i16 div16(i16 a, i16 b) {
  if (b == 0) raise(err::kDivisionByZero);
  return toI16(static_cast<long long>(a) / b);
}

i32 div32(i32 a, i32 b) {
  if (b == 0) raise(err::kDivisionByZero);
  return toI32(static_cast<long long>(a) / b);
}

float toSingle(double v) {
  if (std::isnan(v)) raise(err::kTypeMismatch);
  if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) {
    raise(err::kOverflow);
  }
  return static_cast<float>(v);
}

std::string trimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string upperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Scans sign, digits, fraction and exponent from `s`, skipping the characters `skip` says.
// Returns the number of characters that form the number (0 if none) and its canonical form.
template <class Skip>
size_t scanNumber(std::string_view s, Skip skip, bool allowComma, std::string& canon) {
  size_t i = 0;
  auto skipAll = [&] {
    while (i < s.size() && skip(s[i])) ++i;
  };
  canon.clear();
  skipAll();
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') canon += '-';
    ++i;
    skipAll();
  }
  bool digits = false;
  while (i < s.size() && (isDigit(s[i]) || skip(s[i]))) {
    if (isDigit(s[i])) canon += s[i], digits = true;
    ++i;
  }
  size_t end = digits ? i : 0;
  if (i < s.size() && (s[i] == '.' || (allowComma && s[i] == ','))) {
    ++i;
    std::string frac;
    while (i < s.size() && (isDigit(s[i]) || skip(s[i]))) {
      if (isDigit(s[i])) frac += s[i];
      ++i;
    }
    if (digits || !frac.empty()) {
      canon += '.';
      canon += frac;
      digits = true;
      end = i;
    }
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    while (j < s.size() && skip(s[j])) ++j;
    std::string exp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp += s[j++];
    bool expDigits = false;
    while (j < s.size() && (isDigit(s[j]) || skip(s[j]))) {
      if (isDigit(s[j])) exp += s[j], expDigits = true;
      ++j;
    }
    if (expDigits) {
      canon += exp;
      end = j;
    }
  }
  return end;
}

// True when the canonical text's first significant digit stands left of the decimal point
// (its magnitude is 1 or more), which tells an overflow from an underflow.
bool magnitudeAtLeastOne(const std::string& canon) {
  size_t i = canon[0] == '-' ? 1 : 0;
  long long lead = 0;  // decimal exponent of the first significant digit
  bool found = false;
  long long intDigits = 0;
  for (; i < canon.size() && isDigit(canon[i]); ++i) {
    if (found || canon[i] != '0') {
      found = true;
      ++intDigits;
    }
  }
  lead = intDigits - 1;
  if (!found && i < canon.size() && canon[i] == '.') {
    for (++i; i < canon.size() && canon[i] == '0'; ++i) --lead;
  }
  const size_t e = canon.find('e');
  if (e != std::string::npos) {
    long long exp = 0;
    for (size_t j = e + 1; j < canon.size() && exp < 100000; ++j) {
      if (isDigit(canon[j])) exp = exp * 10 + (canon[j] - '0');
    }
    lead += canon.compare(e + 1, 1, "-") == 0 ? -exp : exp;
  }
  return lead >= 0;
}

// The canonical text has a full stop whatever the C library's locale says (a Qt program
// takes the user's), so it is converted without the locale's help. Too large gives infinity
// and too small zero, as strtod would.
double toDouble(const std::string& canon) {
  double v = 0.0;
  const char* end = canon.data() + canon.size();
  auto [ptr, ec] = std::from_chars(canon.data(), end, v);
  if (ec == std::errc::result_out_of_range) {
    const double sign = canon[0] == '-' ? -1.0 : 1.0;
    return magnitudeAtLeastOne(canon) ? sign * HUGE_VAL : sign * 0.0;
  }
  return ec == std::errc() && ptr == end ? v : 0.0;
}

}  // namespace

double parseNumberText(std::string_view text) {
  std::string t = trimBlanks(text);
  std::string canon;
  size_t n = scanNumber(
      t, [](char) { return false; }, true, canon);
  if (n == 0 || n != t.size()) raise(err::kTypeMismatch);
  double v = toDouble(canon);
  if (!std::isfinite(v)) raise(err::kOverflow);
  return v;
}

i16 textToI16(std::string_view text) {
  return roundI16(parseNumberText(text));
}
i32 textToI32(std::string_view text) {
  return roundI32(parseNumberText(text));
}
float textToSingle(std::string_view text) {
  return toSingle(parseNumberText(text));
}

double leadingNumber(std::string_view text) {
  std::string canon;
  auto skip = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  if (scanNumber(text, skip, false, canon) == 0) return 0.0;
  return toDouble(canon);  // may be infinite: the caller's range check reports it
}

std::string formatSingle(float v) {
  if (v == 0.0f) return "0";
  // to_chars writes as printf would in the C locale, whatever locale the process is in.
  char buf[64];
  auto text = [&buf](std::chars_format f, int precision, double x) {
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, x, f, precision).ptr);
  };
  double d = v;
  double mag = std::fabs(d);
  if (mag >= 1e-5 && mag < 1e15) {
    std::string s = text(std::chars_format::general, 7, d);
    if (s.find('e') == std::string::npos) return s;
    // An exponent was chosen for a whole value of 8+ digits: write the digits it keeps.
    return text(std::chars_format::fixed, 0, toDouble(s));
  }
  // Very small or very large: mantissa and a signed two-digit exponent, as 1E-09.
  std::string s = text(std::chars_format::scientific, 6, d);
  size_t e = s.find('e');
  std::string mant = s.substr(0, e);
  if (mant.find('.') != std::string::npos) {
    while (mant.back() == '0') mant.pop_back();
    if (mant.back() == '.') mant.pop_back();
  }
  int exp = std::atoi(s.c_str() + e + 1);
  std::snprintf(buf, sizeof buf, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
  return mant + buf;
}

}  // namespace ps
