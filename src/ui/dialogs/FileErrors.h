// File failures as the user reads them: which file, what the program was
// doing with it, and why. The short cause ("File not found") is kept as the
// reason, so that a message still says what went wrong underneath.
#pragma once

#include <string>
#include <utility>

#include "model/Error.h"

namespace vorun {

// "Cannot <action> <name>: <reason>". A reason that begins a sentence is
// written in lower case after the colon; a missing file whose folder is gone
// is said to be that, since "file not found" misleads for a save. A reason
// that already names the file is left as it is.
std::string FileActionMessage(const std::string& action, const std::string& name, const std::string& reason);

// Runs one step on the file; an Error escaping it is thrown again with the
// action and the file named.
template <class Step>
decltype(auto) OnFile(const std::string& action, const std::string& name, Step&& step) {
  try {
    return std::forward<Step>(step)();
  } catch (const Error& e) {
    throw Error(FileActionMessage(action, name, e.what()));
  }
}

}  // namespace vorun
