#include "ui/WindowState.h"

namespace vorun {

ViewState View;
DisplayState Display;

}  // namespace vorun
