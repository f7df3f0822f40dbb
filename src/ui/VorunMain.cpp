// The program: one main window, the particle editor and the about box, created
// in that order, then the event loop.
#include <QApplication>

#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Icons.h"
#include "ui/Main.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  vorun::SetUpApplication();
  QApplication::setWindowIcon(vorun::MakeProgramIcon());

  vorun::TMainForm mainForm;
  vorun::TEditDlg editDlg(&mainForm);
  vorun::EditDlg = &editDlg;
  vorun::TAboutBox aboutBox(&mainForm);
  vorun::AboutBox = &aboutBox;
  mainForm.show();
  const int result = QApplication::exec();
  vorun::EditDlg = nullptr;
  vorun::AboutBox = nullptr;
  return result;
}
