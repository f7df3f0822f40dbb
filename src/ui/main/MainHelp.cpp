// The help commands and the about box of the main window.

#include "ui/dialogs/About.h"
#include "ui/dialogs/Help.h"
#include "ui/main/Main.h"

namespace vorun {

void TMainForm::Help1Click() {
  if (HelpWindow == nullptr) {
    HelpWindow = new THelpWindow(this);
    HelpWindow->setObjectName("HelpWindow");
  }
  HelpWindow->show();
  HelpWindow->raise();
  HelpWindow->activateWindow();
}

void TMainForm::RusHelpClick() { ShowHelpFile(this, "ZazARUZiv.HLP"); }

void TMainForm::PolHelpClick() { ShowHelpFile(this, "DavARIRev.HLP"); }

void TMainForm::About1Click() {
  // The program creates the box at start; a window made without it makes its own.
  if (aboutBox_ == nullptr) aboutBox_ = new TAboutBox(this);
  aboutBox_->exec();
}

}  // namespace vorun
