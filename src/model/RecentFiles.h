// The ensemble files the user opened or saved under a name lately, newest
// first, kept in a file beside the start file so that the next start lists
// them too. A convenience: a list that cannot be read is an empty list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorun {

constexpr std::size_t RecentFileLimit = 8;

// "RecentFiles" in the folder of the start file; the operations below take
// the start file's path.
std::string RecentFilesPath(const std::string& startFile);

// The name in front, any older entry of the same name dropped, at most
// RecentFileLimit names. An empty name, or one with a line break (the list
// holds one name a line), leaves the list as it is.
std::vector<std::string> WithRecentFile(std::vector<std::string> list, const std::string& name);

// The list as stored: one name a line, at most RecentFileLimit, empty lines
// skipped. A missing or unreadable file gives an empty list.
std::vector<std::string> ReadRecentFiles(const std::string& startFile);

// Adds the name to the stored list and writes it back through a safe
// replacement; a failed write throws Error and leaves the old list.
void RememberRecentFile(const std::string& startFile, const std::string& name);

}  // namespace vorun
