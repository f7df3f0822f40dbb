// A C library locale whose radix character is ',' for the length of one
// test. The window calls setlocale, so every text conversion below it must
// be shown to ignore such a locale. Machines often have no such locale, so a
// German one is built into a folder of the test's own; glibc remembers failed
// look-ups, which is why it is built before it is asked for.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorun::test {

class DecimalCommaLocale {
 public:
  DecimalCommaLocale()
      : folder_(std::filesystem::temp_directory_path() / ("vorun-locale-" + std::to_string(getpid()))),
        saved_(std::setlocale(LC_NUMERIC, nullptr)) {
    std::filesystem::create_directories(folder_);
    const std::string build =
        "localedef -i de_DE -f UTF-8 -c " + (folder_ / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) return;
    setenv("LOCPATH", folder_.c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr &&
              std::localeconv()->decimal_point == std::string(",");
  }
  ~DecimalCommaLocale() {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    unsetenv("LOCPATH");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  // False where localedef or its source data is missing; the caller skips.
  bool Active() const { return active_; }

 private:
  std::filesystem::path folder_;
  std::string saved_;
  bool active_ = false;
};

}  // namespace vorun::test
