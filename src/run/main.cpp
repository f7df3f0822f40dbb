// vorun-run: runs ensemble files without a window. See RunMain.h.
#include <unistd.h>

#include <iostream>

#include "run/RunMain.h"

int main(int argc, char** argv) {
  return vorun::run::RunMain(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr,
                             ::isatty(STDERR_FILENO) == 1);
}
