#include "model/Global.h"

#include "model/EnsembleFile.h"

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
  FileRecord = EnsembleRecord{};
}

}  // namespace vorun
