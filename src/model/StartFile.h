// The start file: one line naming the last ensemble file, written without a
// line break, so that the next start and "Taons" can bring that file back.
// Failures throw Error with the user's text.
#pragma once

#include <string>

namespace vorun {

// Every operation names the start file it works on: the program passes
// DefaultStartFilePath(), tests a file in a folder of their own.

// $XDG_CONFIG_HOME/vorun/Start.tvx2, by default ~/.config/vorun/Start.tvx2.
std::string DefaultStartFilePath();

// Throws an Error that says why when the start file could not give the name
// back: it holds a CR or LF, and only the part before it would be read (the
// next start would load some other file), or it is longer than PATH_MAX
// bytes. Commands call it before they change anything.
void CheckRememberable(const std::string& name);

// lastFileName := fileName, and the start file holds exactly that name. A name
// that CheckRememberable refuses changes nothing and throws.
void RememberFile(const std::string& startFile, const std::string& fileName, std::string& lastFileName);

// The start file's first line (up to CR, LF or the end) into lastFileName,
// from at most its first PATH_MAX bytes. Returns false, changing nothing, when
// the start file cannot be opened (missing, unreadable, not a regular file).
bool ReadStartFile(const std::string& startFile, std::string& lastFileName);

// Creates the start file, and its folder, empty: "no last file".
void CreateEmptyStartFile(const std::string& startFile);

}  // namespace vorun
