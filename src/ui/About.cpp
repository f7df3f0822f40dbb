#include "ui/About.h"

namespace vorun {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) { setWindowTitle("About"); }

}  // namespace vorun
