// What the windows share for the whole run of the program: the ensemble on
// show and the run's flags, the view and the display toggles, the working and
// last ensemble file names with the one staging record between the ensemble
// and the disk, and where the start file and the window places are kept.
// main() owns the one session and hands it to each window; a test owns one of
// its own. Nothing below the windows knows of it.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "model/EnsembleFile.h"
#include "model/Figures.h"
#include "model/Global.h"
#include "model/StartFile.h"
#include "view/ViewState.h"

namespace vorun {

struct RunState {
  std::int32_t StepCount = 0;
  std::uint8_t Stopped = 0;
  std::uint8_t SpiralMode = 0;
  std::int32_t SpiralVariant = 0;
  std::uint8_t ShowStepCount = 0;
};

// The display toggles of the main window and the editor, kept as bytes
// because the menus, the editor and the tests all flip them.
struct DisplayState {
  std::uint8_t ListVelocities = 0;
  std::uint8_t DlgListVelocities = 0;
  std::uint8_t ShowNumbers = 0;
  std::uint8_t SpinOn = 0;
  std::uint8_t CommentChanged = 0;
};

struct Session {
  EnsembleState Ensemble;
  RunState Run;
  ViewState View;
  DisplayState Display;
  // Working name of the current ensemble ("ThetraSpiral" while none is known)
  // and the name last read from or written to the start file.
  std::string FileName;
  std::string LastFileName;
  // Every record between the ensemble and the disk passes through here. Zero
  // at start; its padding keeps the bytes of the last record read.
  EnsembleRecord FileRecord{};
  std::string StartFilePath = DefaultStartFilePath();
  // Empty keeps no window places (tests, unless they choose a file).
  QString WindowPlacesPath;
};

// The start figure the run flags ask for, built into the session's ensemble.
inline void MakeStartFigure(Session& s) {
  MakeStartFigure(s.Ensemble, s.Run.SpiralMode != 0, s.Run.SpiralVariant);
}

}  // namespace vorun
