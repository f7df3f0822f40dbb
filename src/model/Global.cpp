#include "model/Global.h"

namespace vorun {

EnsembleState Ensemble;
RunState Run;
std::string FileName;
std::string LastFileName;

void ResetGlobals() {
  Ensemble = EnsembleState{};
  Run = RunState{};
  FileName.clear();
  LastFileName.clear();
}

}  // namespace vorun
