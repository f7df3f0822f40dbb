// The program: one session, then the main window, the particle editor and the
// about box over it, created in that order, then the event loop. An ensemble
// file named on the command line is opened once the window is up, as File >
// Open would open it.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "ui/Session.h"
#include "ui/dialogs/About.h"
#include "ui/editor/Edit.h"
#include "ui/main/Main.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/WindowPlaces.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  vorun::SetUpApplication();
  QApplication::setWindowIcon(vorun::MakeProgramIcon());
  QApplication::setApplicationVersion(VORUN_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription("Simulates up to 60 taons under five pair laws in 80-bit precision.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("file", "An ensemble file (.tvx) to open at start.", "[file]");
  parser.process(app);

  vorun::Session session;
  session.WindowPlacesPath = vorun::DefaultWindowPlacesPath(session.StartFilePath);
  vorun::TMainForm mainForm(session);
  vorun::TEditDlg editDlg(session, &mainForm);
  vorun::TAboutBox aboutBox(&mainForm);
  mainForm.AttachDialogs(&editDlg, &aboutBox);
  mainForm.show();
  // After the first event turn, so that a question or an error has a window to stand on.
  QTimer::singleShot(0, &mainForm, [&] { mainForm.OpenFromCommandLine(parser.positionalArguments()); });
  return QApplication::exec();
}
