#include "model/StartFile.h"

#include <climits>
#include <cstdlib>

#include "model/Error.h"
#include "model/FileAccess.h"

namespace vorun {

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

void CheckRememberable(const std::string& name) {
  if (name.find_first_of("\r\n") != std::string::npos)
    throw Error(
        "A file name with a line break cannot be remembered for the next start. Choose a name without one.");
  // ReadStartFile gives back no more than this; no path is longer anyway.
  if (name.size() > PATH_MAX)
    throw Error("A file name longer than " + std::to_string(PATH_MAX) +
                " bytes cannot be remembered for the next start.");
}

void RememberFile(const std::string& startFile, const std::string& fileName, std::string& lastFileName) {
  CheckRememberable(fileName);
  lastFileName = fileName;
  ReplaceFileMakingFolder(startFile, lastFileName);
}

bool ReadStartFile(const std::string& startFile, std::string& lastFileName) {
  const int fd = OpenForReading(startFile);
  if (fd < 0) return false;
  Descriptor file(fd);
  // No name is longer than a path can be, so no more is read: a start file
  // without a line break may be as long as the disk.
  std::string head(PATH_MAX, '\0');
  head.resize(ReadUpTo(file.get(), head.data(), head.size()));
  if (const int error = file.Close()) ThrowFileError(error);
  lastFileName = head.substr(0, head.find_first_of("\r\n"));
  return true;
}

void CreateEmptyStartFile(const std::string& startFile) { ReplaceFileMakingFolder(startFile, std::string()); }

}  // namespace vorun
