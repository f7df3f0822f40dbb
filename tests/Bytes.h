// Files and reals as bytes, for the tests that compare what is stored bit
// for bit.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/Global.h"

namespace vorun::test {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The ten bytes of the value's 80-bit format.
inline std::string Bits(Extended80 value) { return std::string(reinterpret_cast<const char*>(&value), 10); }

}  // namespace vorun::test
