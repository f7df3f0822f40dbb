// The program vorun-run without its main(): tests and benchmarks call it as
// the program does, with the streams and the terminal test handed in.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vorun::run {

// args[0] is the program's name. Returns the exit status: 0 done, 2 bad
// option, 3 file error, 4 floating-point fault; with several inputs the
// highest of theirs. The progress line goes to err only when errIsTerminal.
int RunMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace vorun::run
