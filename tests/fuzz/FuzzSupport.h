// What the fuzz targets share: a folder of their own for the files they write
// (in memory when /dev/shm exists, so a save costs no disk), byte helpers, and
// a check that stops the run with a message when a property fails.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/Global.h"

namespace vorun::fuzz {

// abort() so that libFuzzer keeps the input that broke the property.
#define FUZZ_CHECK(condition, ...)                                                          \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, "" __VA_ARGS__);                                                 \
      std::fprintf(stderr, "\n");                                                           \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

// Removed again when the run ends normally; a crash leaves it for a look.
inline const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/vorun-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return true;
  }();
  (void)cleanup;
  return folder;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool SameBits(const Extended80& a, const Extended80& b) { return std::memcmp(&a, &b, 10) == 0; }

}  // namespace vorun::fuzz
