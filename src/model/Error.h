// The one error type of the program. It carries the text the user sees:
// file failures ("File not found"), number text ("'x' is not a valid floating
// point value") and floating-point faults ("Floating point overflow").
#pragma once

#include <stdexcept>
#include <string>

namespace vorun {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vorun
