#include "model/NumberText.h"

#include <locale.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "model/Error.h"
#include "model/Float80Bits.h"
#include "model/FloatFault.h"

namespace vorun {

char DecimalSeparator = '.';

namespace {

// The program calls setlocale, so LC_NUMERIC may use another radix character.
// The conversions below always run in the "C" locale of this thread and put
// the separator of the setting in themselves.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

class ScopedCLocale {
 public:
  ScopedCLocale() : previous_(uselocale(CLocale())) {}
  ~ScopedCLocale() { uselocale(previous_); }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t previous_;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A pseudo-denormal (exponent field 0 with the integer bit set) is never the
// result of arithmetic, but a file may hold one. The x87 computes with it as
// if its exponent field were 1, while the C library prints it as a denormal
// and drops the integer bit, so the bits are made into that normal value
// first. Done on the bits: arithmetic on it would raise the denormal flag.
Extended80 AsComputed(Extended80 value) {
  const Bits b = BitsOf(value);
  if ((b.se & MaxBiased) == 0 && (b.mant & TopBit) != 0) return FromBits(b.mant, 1, (b.se & 0x8000) != 0);
  return value;
}

[[noreturn]] void NotAFloat(const std::string& text) {
  throw Error("'" + text + "' is not a valid floating point value");
}

[[noreturn]] void NotAnInteger(const std::string& text) {
  throw Error("'" + text + "' is not a valid integer value");
}

}  // namespace

std::string FloatToStr(Extended80 value) {
  // Classifying a signalling NaN or an unnormal read from a file raises the
  // invalid flag; showing a value must not.
  PreservedFlags flags;
  value = AsComputed(value);
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // glibc rounds %Le correctly from the full 80-bit value: 15 significant
  // digits come out as d.dddddddddddddde[+-]x.
  char buffer[64];
  {
    ScopedCLocale c;
    std::snprintf(buffer, sizeof buffer, "%.14Le", value);
  }
  const char* p = buffer;
  std::string result;
  if (*p == '-') {
    result += '-';
    ++p;
  }
  std::string digits;
  for (; *p != 'e'; ++p) {
    if (IsDigit(*p)) digits += *p;
  }
  const int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  if (exponent >= -4 && exponent <= 14) {
    if (exponent < 0) {
      result += '0';
      result += DecimalSeparator;
      result.append(static_cast<std::size_t>(-exponent - 1), '0');
      result += digits;
    } else {
      const auto whole = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= whole) {
        result += digits;
        result.append(whole - digits.size(), '0');
      } else {
        result.append(digits, 0, whole);
        result += DecimalSeparator;
        result.append(digits, whole);
      }
    }
    return result;
  }
  result += digits[0];
  if (digits.size() > 1) {
    result += DecimalSeparator;
    result.append(digits, 1);
  }
  result += 'E';
  result += std::to_string(exponent);
  return result;
}

Extended80 StrToFloat(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  std::size_t end = n;
  while (end > i && IsBlank(text[end - 1])) --end;

  // Rebuild the number in the C spelling, so that strtold sees only what
  // this grammar allows (no "inf", "nan", hex or other separators).
  std::string c;
  if (i < end && (text[i] == '+' || text[i] == '-')) c += text[i++];
  int mantissaDigits = 0;
  bool separatorSeen = false;
  for (; i < end; ++i) {
    if (IsDigit(text[i])) {
      c += text[i];
      ++mantissaDigits;
    } else if (text[i] == DecimalSeparator && !separatorSeen) {
      c += '.';
      separatorSeen = true;
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) NotAFloat(text);
  if (i < end && (text[i] == 'E' || text[i] == 'e')) {
    c += 'e';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) c += text[i++];
    int exponentDigits = 0;
    for (; i < end && IsDigit(text[i]); ++i) {
      c += text[i];
      ++exponentDigits;
    }
    if (exponentDigits == 0) NotAFloat(text);
  }
  if (i != end) NotAFloat(text);

  Extended80 value;
  {
    PreservedFlags flags;
    errno = 0;
    char* stop = nullptr;
    value = strtold_l(c.c_str(), &stop, CLocale());
    if (stop != c.c_str() + c.size()) NotAFloat(text);
  }
  // A text beyond the largest finite value has no nearest 80-bit value to
  // give; taking it as infinity would only move the failure into the run.
  if (std::isinf(value)) NotAFloat(text);
  return value;
}

std::string IntToStr(std::int32_t value) { return std::to_string(value); }

std::int32_t StrToInt(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  std::size_t end = n;
  while (end > i && IsBlank(text[end - 1])) --end;

  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == end) NotAnInteger(text);
  // Accumulate as a negative number: its range holds the 32-bit minimum.
  std::int64_t value = 0;
  for (; i < end; ++i) {
    if (!IsDigit(text[i])) NotAnInteger(text);
    value = value * 10 - (text[i] - '0');
    if (value < -(std::int64_t{1} << 31)) NotAnInteger(text);
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) NotAnInteger(text);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace vorun
