// Number text: how values are shown in fields and listings and read back.
// The decimal separator is a setting so that the program can take it from the
// user's locale and tests can choose it.
#pragma once

#include <cstdint>
#include <string>

#include "model/Global.h"

namespace vorun {

// '.' until the program sets the locale's separator at start.
extern char DecimalSeparator;

// 15 significant digits, correctly rounded from the 80-bit value; fixed
// notation for decimal exponents -4..14, else scientific ("1E-5", "1E15");
// "INF", "-INF", "NAN" for values that are not finite.
std::string FloatToStr(Extended80 value);

// The 80-bit value nearest the decimal text. Accepts blanks around, a sign,
// digits with at most one separator (the current one), an optional exponent.
// Anything else throws Error("'text' is not a valid floating point value").
Extended80 StrToFloat(const std::string& text);

std::string IntToStr(std::int32_t value);

// Plain decimal within 32-bit signed, blanks and sign allowed; anything else
// throws Error("'text' is not a valid integer value").
std::int32_t StrToInt(const std::string& text);

}  // namespace vorun
