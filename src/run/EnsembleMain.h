// The program vorun-ensemble without its main(): an ensemble file shown as
// text, made from text, or compared with another, field by field.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace vorun::run {

// args[0] is the program's name; "-" as the text of make is read from in.
// Returns the exit status: 0 done (diff: the records are identical), 1 the
// records differ, 2 bad option or bad text, 3 file error (nothing written).
int EnsembleMain(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err);

}  // namespace vorun::run
