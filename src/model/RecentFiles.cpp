#include "model/RecentFiles.h"

#include <climits>

#include <algorithm>
#include <filesystem>

#include "model/FileAccess.h"

namespace vorun {

std::string RecentFilesPath(const std::string& startFile) {
  return (std::filesystem::path(startFile).parent_path() / "RecentFiles").string();
}

std::vector<std::string> WithRecentFile(std::vector<std::string> list, const std::string& name) {
  if (name.empty() || name.find_first_of("\r\n") != std::string::npos) return list;
  std::erase(list, name);
  list.insert(list.begin(), name);
  if (list.size() > RecentFileLimit) list.resize(RecentFileLimit);
  return list;
}

std::vector<std::string> ReadRecentFiles(const std::string& startFile) {
  std::vector<std::string> list;
  const int fd = OpenForReading(RecentFilesPath(startFile));
  if (fd < 0) return list;
  Descriptor file(fd);
  // Eight names of the longest length a path can have; a larger file is no
  // list this program wrote.
  std::string content;
  try {
    if (!ReadAtMost(file, RecentFileLimit * (PATH_MAX + 1), content)) return list;
  } catch (const std::exception&) {
    return list;
  }
  std::size_t begin = 0;
  while (begin < content.size() && list.size() < RecentFileLimit) {
    std::size_t end = content.find('\n', begin);
    if (end == std::string::npos) end = content.size();
    if (end > begin) list.push_back(content.substr(begin, end - begin));
    begin = end + 1;
  }
  return list;
}

void RememberRecentFile(const std::string& startFile, const std::string& name) {
  const std::vector<std::string> list = WithRecentFile(ReadRecentFiles(startFile), name);
  std::string content;
  for (const std::string& entry : list) content += entry + '\n';
  ReplaceFileMakingFolder(RecentFilesPath(startFile), content);
}

}  // namespace vorun
