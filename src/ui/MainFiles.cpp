// Start-up of the main window and the commands that put an ensemble or a
// built-in figure on show or store the ensemble: Open, Save, Save As, the
// Taons and Spiral images, and the comment memo's prompt.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <utility>

#include "model/CommentFile.h"
#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Figures.h"
#include "model/FileAccess.h"
#include "model/Global.h"
#include "model/StartFile.h"
#include "ui/Dialogs.h"
#include "ui/FileErrors.h"
#include "ui/Main.h"
#include "ui/WindowState.h"
#include "view/Projection.h"

namespace vorun {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void TMainForm::FormCreate() {
  UpdateSceneCentre();
  View.Zoom = 120;
  View.Teta = 0;
  View.Psi = 0;
  View.Phi = 0;
  Run.SpiralMode = 1;
  Ensemble.SlotCount = MaxSlots;
  Run.SpiralVariant = 1;
  BuildStepMatrix(View);

  // A failure here (a start file that cannot be created, a last ensemble file
  // shorter than one record) is reported once the window is up, and the rest
  // of start-up still runs, so the window opens stopped with its steps,
  // listing and fields in place.
  bool loaded = false;
  Attempt([&] { loaded = LoadLastEnsemble(); });
  // The time step in use is the one EditDT shows: a loaded ensemble keeps its
  // own, otherwise the default.
  if (!loaded) Ensemble.TimeStep = DefaultTimeStep();

  View.PanStep = 5;
  View.ZoomStep = 3;
  View.AngleStep = 0.01L;
  FillListing();
  RefreshParameterFields();
  Run.Stopped = 1;
  MarkEnsembleSaved();
}

bool TMainForm::LoadLastEnsemble() {
  if (!ReadStartFile()) {
    MakeStartFigure(Ensemble, Run);
    FileName = "ThetraSpiral";
    // Created after the spiral is built, so that a start file that cannot be
    // created still leaves the spiral on show.
    OnFile("create the start file", StartFilePath, [] { CreateEmptyStartFile(); });
    return false;
  }
  if (LastFileName.empty()) {
    MakeStartFigure(Ensemble, Run);
    FileName = "ThetraSpiral";
    return false;
  }
  Run.SpiralMode = 0;
  Go->setEnabled(true);
  FileName = LastFileName;
  FName->setText(Text(FileName));
  // A missing file is simply created by the next Save; a file that is there but
  // does not load must never be overwritten by it.
  savedName_ = FileName;
  if (!TryReadOrFallBack(true)) return false;
  LoadCommentIntoMemo();
  return true;
}

bool TMainForm::TryReadOrFallBack(bool nameTheSquare) {
  const auto fallBack = [&] {
    MakeStartFigure(Ensemble, Run);
    if (nameTheSquare) FName->setText("The easy square");
  };
  try {
    if (OnFile("open", FileName, [&] { return TryReadEnsembleFile(FileName); })) {
      ApplyRecord();
      return true;
    }
  } catch (...) {
    // Reported by the caller; the window falls back as for a missing file.
    savedName_.clear();
    fallBack();
    throw;
  }
  fallBack();
  return false;
}

void TMainForm::LoadCommentIntoMemo() {
  const std::string name = CommentFileName();
  std::optional<std::string> comment;
  const bool read = Attempt([&] {
    OnFile("read", name, [&] {
      comment = LoadComment();
      if (comment) return;
      // Missing is the usual case and says nothing; a comment file that is
      // there but gives nothing (a folder, a FIFO, no permission) is reported.
      const int fd = OpenForReading(name);
      if (fd >= 0) {
        Descriptor opened(fd);
      } else if (fd != -ENOENT && fd != -ENOTDIR) {
        ThrowFileError(-fd);
      }
    });
  });
  QString text = read && comment ? Text(*comment) : QString();
  text.replace("\r\n", "\n");
  ShowComment(text);
}

void TMainForm::ShowComment(const QString& text) {
  // The loaded text is the file's, so it is no change to ask about.
  settingComment_ = true;
  if (text != Comment->toPlainText()) Comment->setPlainText(text);
  settingComment_ = false;
  Display.CommentChanged = 0;
}

void TMainForm::Open1Click() {
  std::optional<QString> name;
  Guarded(this, [&] { name = Dialogs().OpenFileName(this, TaonsFiles); });
  if (name) OpenEnsemble(*name);
}

// The one way an ensemble file is opened: the menu, the command line, a drop
// and the recent files all come here.
void TMainForm::OpenEnsemble(const QString& name) {
  Guarded(this, [&] {
    const std::string file = name.toStdString();
    // Refused before anything changes: opened, it would be remembered.
    OnFile("open", file, [&] { CheckRememberable(file); });
    // Typed comment text and a changed ensemble are asked about before the
    // new file replaces them; Cancel leaves everything as it is.
    if (!MaybeSave()) return;
    // Read before anything changes: a file that fails to load must become
    // neither the name on show nor the one Save writes to.
    OnFile("open", file, [&] { ReadEnsembleFile(file); });
    FileName = file;
    ApplyRecord();
    ShowOpenedEnsemble();
    LoadCommentIntoMemo();
    OnFile("update the start file", StartFilePath, [] { RememberFile(); });
    NoteRecentFile(name);
  });
}

void TMainForm::ShowOpenedEnsemble() {
  Run.SpiralMode = 0;
  Go->setEnabled(true);
  Null00->setEnabled(true);
  savedName_ = FileName;
  FName->setText(QString::fromStdString(FileName));
  Run.StepCount = 0;
  LTime->setText("0");
  PaintTaons();
  FillListing();
  RefreshParameterFields();
  MarkEnsembleSaved();
}

void TMainForm::Save1Click() {
  Guarded(this, [&] {
    if (Run.SpiralMode != 0) return;
    // A built-in figure's caption or a file that failed to load is no file to
    // write over.
    if (FileName.empty() || FileName != savedName_) {
      Saveas1Click();
      return;
    }
    OnFile("save", FileName, [&] { WriteEnsembleFile(FileName); });
    MarkEnsembleSaved();
  });
}

void TMainForm::Saveas1Click() {
  Guarded(this, [&] {
    if (Run.SpiralMode != 0) return;
    const std::optional<QString> name = Dialogs().SaveFileName(this, TaonsFiles);
    if (!name) return;
    SaveUnderChosenName(*name);
  });
}

void TMainForm::SaveUnderChosenName(const QString& name) {
  const std::string file = name.toStdString();
  OnFile("save", file, [&] { CheckRememberable(file); });
  FileName = file;
  FName->setText(name);
  OnFile("save", file, [&] { WriteEnsembleFile(file); });
  savedName_ = FileName;
  MarkEnsembleSaved();
  OnFile("update the start file", StartFilePath, [] { RememberFile(); });
  NoteRecentFile(name);
}

void TMainForm::Spiral1Click() {
  // The spiral takes the ensemble's place.
  if (!MaybeSaveEnsemble()) return;
  Guarded(this, [&] {
    Run.SpiralMode = 1;
    MakeStartFigure(Ensemble, Run);
    Go->setEnabled(false);
    Null00->setEnabled(false);
    PaintSpiral();
  });
  UpdateTitle();
}

// Brings back the ensemble the start file names, without touching the step
// counter, the fields or the comment.
void TMainForm::Daons1Click() {
  // The file is read again over the ensemble on show.
  if (!MaybeSaveEnsemble()) return;
  Guarded(this, [&] {
    Run.SpiralMode = 0;
    Go->setEnabled(true);
    Null00->setEnabled(true);
    if (!ReadStartFile()) {
      Dialogs().Message(this, MessageKind::Information, "The start File not found.", MessageButtons::Ok);
      return;
    }
    if (LastFileName.empty()) {
      MakeStartFigure(Ensemble, Run);
      FileName = "This is a stabil structur of taons";
      // A figure, not the file of the ensemble shown before.
      savedName_.clear();
      FillListing();
      FName->setText(Text(FileName));
      PaintTaons();
      MarkEnsembleSaved();
      return;
    }
    FileName = LastFileName;
    FName->setText(Text(FileName));
    savedName_ = FileName;
    const bool read = TryReadOrFallBack(false);
    MarkEnsembleSaved();
    // The next paint of the window draws the easy square of a fallback.
    if (!read) return;
    PaintTaons();
    FillListing();
  });
  UpdateTitle();
}

void TMainForm::CommentChange() {
  if (!settingComment_) Display.CommentChanged = 1;
}

void TMainForm::CommentExit() {
  if (Display.CommentChanged != 1) return;
  switch (Dialogs().Message(this, MessageKind::Confirmation, "The text was changed. Save now?",
                            MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
      if (SaveCommentOrReport()) Display.CommentChanged = 0;
      break;
    case MessageAnswer::Cancel:
      // Back to the memo, as if it had not been left.
      PageControl->setCurrentWidget(TabSheet2);
      QTimer::singleShot(0, Comment, [memo = Comment] { memo->setFocus(Qt::OtherFocusReason); });
      break;
    default:
      Display.CommentChanged = 0;
      break;
  }
}

bool TMainForm::SaveCommentOrReport() {
  const std::string name = CommentFileName();
  return Attempt([&] { OnFile("save", name, [&] { SaveComment(Comment->toPlainText().toStdString()); }); });
}

bool TMainForm::MaybeSave() {
  if (Display.CommentChanged == 1) {
    switch (Dialogs().Message(this, MessageKind::Confirmation, "The text was changed. Save now?",
                              MessageButtons::YesNoCancel)) {
      case MessageAnswer::Cancel:
        return false;
      case MessageAnswer::Yes:
        // A save that fails keeps the text, and the program, as they are.
        if (!SaveCommentOrReport()) return false;
        break;
      default:
        break;
    }
    Display.CommentChanged = 0;
  }
  return MaybeSaveEnsemble();
}

bool TMainForm::MaybeSaveEnsemble() {
  // The spiral is a figure with no file: nothing of it is lost.
  if (Run.SpiralMode != 0 || !EnsembleDiffersFromFile()) return true;
  const QString text = savedName_.empty()
                           ? QString("The ensemble on show has not been saved. Save it?")
                           : QString("The ensemble was changed since it was saved in %1. Save the changes?")
                                 .arg(Text(savedName_));
  switch (Dialogs().Message(this, MessageKind::Confirmation, text, MessageButtons::SaveDiscardCancel)) {
    case MessageAnswer::Save:
      Save1Click();
      // A failed or cancelled save leaves the changes unsaved: nothing goes.
      return !EnsembleDiffersFromFile();
    case MessageAnswer::Discard:
      return true;
    default:
      return false;
  }
}

void TMainForm::MarkEnsembleSaved() {
  savedRecord_ = FileRecord;
  CopyToRecord(Ensemble, savedRecord_);
  UpdateTitle();
}

bool TMainForm::EnsembleDiffersFromFile() const {
  EnsembleRecord now = savedRecord_;
  CopyToRecord(Ensemble, now);
  return std::memcmp(&now, &savedRecord_, sizeof now) != 0;
}

void TMainForm::UpdateTitle() {
  if (Run.SpiralMode != 0) {
    if (windowTitle() != "Vorun - Quarvel") setWindowTitle("Vorun - Quarvel");
    setWindowModified(false);
    return;
  }
  const QString file = savedName_.empty() ? QString("Untitled") : QFileInfo(Text(savedName_)).fileName();
  // "[*]" is where Qt shows the mark while the window is modified.
  const QString title =
      QString(file).replace("[*]", "[[*]]") + QString::fromUtf8("[*] \u2013 Vorun - Quarvel");
  if (windowTitle() != title) setWindowTitle(title);
  setWindowModified(EnsembleDiffersFromFile());
}

void TMainForm::Report(const QString& message) {
  if (!shown_) {
    pendingReports_ << message;
    return;
  }
  ReportError(this, message);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // After the first event turn, so that the box stands over a window that is drawn.
  QTimer::singleShot(0, this, [this] {
    const QStringList reports = std::exchange(pendingReports_, {});
    for (const QString& message : reports) ReportError(this, message);
  });
}

}  // namespace vorun
