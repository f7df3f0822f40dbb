// The state of the main window that lies beside the live ensemble: its view
// of the scene and its display toggles and the editor's, kept as bytes
// because the menus, the editor and the tests all flip them.
#pragma once

#include <cstdint>

#include "view/ViewState.h"

namespace vorun {

struct DisplayState {
  std::uint8_t ListVelocities = 0;
  std::uint8_t DlgListVelocities = 0;
  std::uint8_t ShowNumbers = 0;
  std::uint8_t SpinOn = 0;
  std::uint8_t CommentChanged = 0;
};

extern ViewState View;
extern DisplayState Display;

}  // namespace vorun
