// vorun-ensemble: ensemble files as text and back. See EnsembleMain.h.
#include <iostream>

#include "run/EnsembleMain.h"

int main(int argc, char** argv) {
  return vorun::run::EnsembleMain(std::vector<std::string>(argv, argv + argc), std::cin, std::cout,
                                  std::cerr);
}
