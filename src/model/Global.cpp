#include "model/Global.h"

namespace vorun {

EnsembleState Ensemble;
RunState Run;
ViewState View;
DisplayState Display;
std::string FileName;
std::string LastFileName;

void ResetGlobals() {
  Ensemble = EnsembleState{};
  Run = RunState{};
  View = ViewState{};
  Display = DisplayState{};
  FileName.clear();
  LastFileName.clear();
}

}  // namespace vorun
