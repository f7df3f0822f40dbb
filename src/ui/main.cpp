// The program: one main window, the particle editor and the about box, created
// in that order, then the event loop.
#include <QApplication>
#include <QLocale>

#include "model/NumberText.h"
#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/Main.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Vorun - Quarvel");

  // Numbers are shown and read with the separator of the user's locale.
  const QString separator = QLocale().decimalPoint();
  if (separator.size() == 1 && separator.at(0).unicode() < 128)
    vorun::DecimalSeparator = separator.at(0).toLatin1();

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
