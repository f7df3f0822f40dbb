// The bits of an Extended80: the 64-bit significand with its explicit integer
// bit, and the sign with the 15-bit biased exponent. Looking at a value
// through its bits raises no floating-point flag, whatever the value is.
#pragma once

#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "model/Global.h"

namespace vorun {

constexpr std::uint64_t TopBit = std::uint64_t{1} << 63;
constexpr int Bias = 16383;
constexpr int MaxBiased = 0x7fff;

struct Bits {
  std::uint64_t mant;
  std::uint16_t se;  // sign and biased exponent
};

inline Bits BitsOf(Extended80 x) {
  Bits b;
  std::memcpy(&b.mant, &x, 8);
  std::memcpy(&b.se, reinterpret_cast<const char*>(&x) + 8, 2);
  return b;
}

// The ten bytes go out in one 16-byte store, from which the x87 load can be
// forwarded; two separate stores would stall it.
inline Extended80 FromBits(std::uint64_t mant, int biased, bool negative) {
  const std::uint64_t se = static_cast<std::uint64_t>(biased) | (negative ? 0x8000 : 0);
  alignas(16) unsigned char bytes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes),
                  _mm_set_epi64x(static_cast<long long>(se), static_cast<long long>(mant)));
  Extended80 x;
  std::memcpy(&x, bytes, sizeof x);
  return x;
}

}  // namespace vorun
