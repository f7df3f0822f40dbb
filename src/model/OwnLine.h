// A shared variable on a cache line of its own.
#pragma once

#include <cstddef>

namespace vorun {

inline constexpr std::size_t CacheLineBytes = 64;

// A counter that one thread bumps while others step their own ensembles must
// not share its line with anything they read on every call, nor with another
// thread's counter: each write would take the line away from the other core.
// The padding keeps the linker from placing a neighbour in the rest of the
// line.
template <class T>
struct alignas(CacheLineBytes) OwnLine {
  T value;
};

}  // namespace vorun
