#include "model/StartFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "model/FileAccess.h"
#include "model/Global.h"

namespace vorun {

std::string StartFilePath = DefaultStartFilePath();

namespace {

void WriteStartFile(const std::string& content) {
  // The folder is made when first needed. If that fails, the write below
  // fails too and reports the cause that matters to the user.
  const std::filesystem::path folder = std::filesystem::path(StartFilePath).parent_path();
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  ReplaceFile(StartFilePath, content);
}

}  // namespace

std::string DefaultStartFilePath() {
  // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  } else {
    config = ".config";
  }
  return config + "/vorun/Start.tvx2";
}

void RememberFile() {
  LastFileName = FileName;
  WriteStartFile(LastFileName);
}

bool ReadStartFile() {
  const int fd = OpenForReading(StartFilePath);
  if (fd < 0) return false;
  Descriptor file(fd);
  std::string line;
  char chunk[4096];
  for (;;) {
    const std::size_t n = ReadUpTo(file.get(), chunk, sizeof chunk);
    const char* begin = chunk;
    const char* end = chunk + n;
    const char* lineEnd = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
    line.append(begin, lineEnd);
    if (lineEnd != end || n < sizeof chunk) break;
  }
  if (const int error = file.Close()) ThrowFileError(error);
  LastFileName = line;
  return true;
}

void CreateEmptyStartFile() { WriteStartFile(std::string()); }

}  // namespace vorun
