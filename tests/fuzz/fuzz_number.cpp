// Number text: any bytes as a field's text, and any ten bytes as a value.
//
// A text is accepted exactly when it follows the grammar (blanks, a sign,
// digits with at most one separator, an exponent) and is finite. A value that
// is shown reads back to a value shown the same way, within the rounding of
// fifteen digits; a text of at most fifteen significant digits that gives a
// normal value comes back as that very value. Integers: accepted exactly when
// plain decimal within 32 bits, and written back in their plain form.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "FuzzSupport.h"
#include "model/Error.h"
#include "model/NumberText.h"

namespace vorun::fuzz {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Trimmed {
  std::size_t begin, end;
};

Trimmed Trim(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return {b, e};
}

// The float grammar, written again here. Returns the number of significant
// digits of the mantissa (leading and trailing zeros not counted), or nothing
// for a text outside the grammar.
std::optional<int> FloatGrammar(const std::string& text, char separator) {
  auto [i, end] = Trim(text);
  if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
  std::string digits;
  bool separatorSeen = false;
  for (; i < end; ++i) {
    if (IsDigit(text[i])) {
      digits += text[i];
    } else if (text[i] == separator && !separatorSeen) {
      separatorSeen = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return std::nullopt;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t first = i;
    while (i < end && IsDigit(text[i])) ++i;
    if (i == first) return std::nullopt;
  }
  if (i != end) return std::nullopt;
  const std::size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return 0;
  const std::size_t trail = digits.find_last_not_of('0');
  return static_cast<int>(trail - lead + 1);
}

std::optional<std::int64_t> IntGrammar(const std::string& text) {
  auto [i, end] = Trim(text);
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == end) return std::nullopt;
  std::int64_t value = 0;
  for (; i < end; ++i) {
    if (!IsDigit(text[i])) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > (std::int64_t{1} << 31)) return std::nullopt;
  }
  value = negative ? -value : value;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return value;
}

template <class T, class Convert>
std::optional<T> Accepted(const std::string& text, Convert convert, const char* kind) {
  try {
    return convert(text);
  } catch (const Error& e) {
    // what() ends at a NUL byte of the text.
    const std::string expected = "'" + text + "' is not a valid " + kind + " value";
    FUZZ_CHECK(expected.compare(0, std::strlen(e.what()), e.what()) == 0, "message: %s", e.what());
    return std::nullopt;
  }
}

// Shown, read back, shown again: the second reading must succeed, give the
// same text, and lie within fifteen digits' rounding of the value that the
// arithmetic uses (which is not what the bits say for a pseudo-denormal).
void CheckShownValue(Extended80 bits, Extended80 value) {
  const std::string shown = FloatToStr(bits);
  const auto back = Accepted<Extended80>(shown, StrToFloat, "floating point");
  FUZZ_CHECK(back.has_value(), "shown as %s", shown.c_str());
  FUZZ_CHECK(FloatToStr(*back) == shown, "%s read back is shown as %s", shown.c_str(),
             FloatToStr(*back).c_str());
  const Extended80 error = std::fabs(*back - value);
  const Extended80 bound = std::fabs(value) * 5.0001e-15L + std::numeric_limits<Extended80>::denorm_min();
  FUZZ_CHECK(error <= bound, "%s read back as %.21Lg from %.21Lg", shown.c_str(), *back, value);
}

// The ten bytes as they lie in a file, and as the value the arithmetic sees;
// nothing for NaNs, infinities and unnormals, which have no digits to show.
struct Bits {
  Extended80 raw, value;
};

std::optional<Bits> FromBytes(const std::uint8_t* bytes) {
  unsigned char b[sizeof(Extended80)] = {};
  std::memcpy(b, bytes, 10);
  const int exponent = (b[8] | (b[9] << 8)) & 0x7FFF;
  const bool integerBit = (b[7] & 0x80) != 0;
  if (exponent == 0x7FFF) return std::nullopt;
  if (exponent != 0 && !integerBit) return std::nullopt;
  Bits bits;
  std::memcpy(&bits.raw, b, sizeof bits.raw);
  if (exponent == 0 && integerBit) b[8] = 1;  // a pseudo-denormal is computed as this
  std::memcpy(&bits.value, b, sizeof bits.value);
  return bits;
}

}  // namespace
}  // namespace vorun::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorun;
  using namespace vorun::fuzz;
  if (size == 0) return 0;
  DecimalSeparator = (data[0] & 1) ? ',' : '.';
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::optional<int> significant = FloatGrammar(text, DecimalSeparator);
  const auto value = Accepted<Extended80>(text, StrToFloat, "floating point");
  if (value) {
    FUZZ_CHECK(significant.has_value(), "accepted outside the grammar");
    FUZZ_CHECK(std::isfinite(*value));
    CheckShownValue(*value, *value);
    if (*significant <= 15 && (*value == 0 || std::fabs(*value) >= std::numeric_limits<Extended80>::min())) {
      const Extended80 back = StrToFloat(FloatToStr(*value));
      FUZZ_CHECK(back == *value, "%s came back as %s", text.c_str(), FloatToStr(back).c_str());
    }
  } else if (significant) {
    // Only a value beyond the largest finite one may be refused.
    const std::string spelled = [&] {
      std::string c = text;
      for (char& ch : c)
        if (ch == DecimalSeparator) ch = '.';
      return c;
    }();
    FUZZ_CHECK(std::isinf(std::strtold(spelled.c_str(), nullptr)), "refused: %s", text.c_str());
  }

  const std::optional<std::int64_t> integer = IntGrammar(text);
  const auto parsed = Accepted<std::int32_t>(text, StrToInt, "integer");
  FUZZ_CHECK(parsed.has_value() == integer.has_value(), "integer text: %s", text.c_str());
  if (parsed) {
    FUZZ_CHECK(*parsed == *integer);
    FUZZ_CHECK(StrToInt(IntToStr(*parsed)) == *parsed);
    FUZZ_CHECK(IntToStr(*parsed) == std::to_string(*integer));
  }

  if (size >= 11)
    if (const auto bits = FromBytes(data + 1)) CheckShownValue(bits->raw, bits->value);
  DecimalSeparator = '.';
  return 0;
}
