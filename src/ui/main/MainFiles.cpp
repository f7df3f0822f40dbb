// Start-up of the main window and the commands that put an ensemble or a
// built-in figure on show or store the ensemble: Open, Save, Save As, the
// Taons and Spiral images, and the comment memo's prompt.
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
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
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/FileErrors.h"
#include "ui/main/Main.h"
#include "view/Projection.h"

namespace vorun {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void TMainForm::FormCreate() {
  UpdateSceneCentre();
  session_.View.Zoom = 120;
  session_.View.Teta = 0;
  session_.View.Psi = 0;
  session_.View.Phi = 0;
  session_.Run.SpiralMode = 1;
  session_.Ensemble.SlotCount = MaxSlots;
  session_.Run.SpiralVariant = 1;
  BuildStepMatrix(session_.View);

  // A failure here (a start file that cannot be created, a last ensemble file
  // shorter than one record) is reported once the window is up, and the rest
  // of start-up still runs, so the window opens stopped with its steps,
  // listing and fields in place.
  bool loaded = false;
  Attempt([&] { loaded = LoadLastEnsemble(); });
  // The time step in use is the one EditDT shows: a loaded ensemble keeps its
  // own, otherwise the default.
  if (!loaded) session_.Ensemble.TimeStep = DefaultTimeStep();

  session_.View.PanStep = 5;
  session_.View.ZoomStep = 3;
  session_.View.AngleStep = 0.01L;
  FillListing();
  RefreshParameterFields();
  session_.Run.Stopped = 1;
  MarkEnsembleSaved();
}

bool TMainForm::LoadLastEnsemble() {
  if (!ReadStartFile(session_.StartFilePath, session_.LastFileName)) {
    MakeStartFigure(session_);
    session_.FileName = "ThetraSpiral";
    // Created after the spiral is built, so that a start file that cannot be
    // created still leaves the spiral on show.
    OnFile("create the start file", session_.StartFilePath,
           [&] { CreateEmptyStartFile(session_.StartFilePath); });
    return false;
  }
  if (session_.LastFileName.empty()) {
    MakeStartFigure(session_);
    session_.FileName = "ThetraSpiral";
    return false;
  }
  session_.Run.SpiralMode = 0;
  Panel1->SetRunnable(true);
  session_.FileName = session_.LastFileName;
  FName->setText(Text(session_.FileName));
  // A missing file is simply created by the next Save; a file that is there but
  // does not load must never be overwritten by it.
  savedName_ = session_.FileName;
  if (!TryReadOrFallBack(true)) return false;
  LoadCommentIntoMemo();
  return true;
}

bool TMainForm::TryReadOrFallBack(bool nameTheSquare) {
  const auto fallBack = [&] {
    MakeStartFigure(session_);
    if (nameTheSquare) FName->setText("The easy square");
  };
  try {
    if (OnFile("open", session_.FileName,
               [&] { return TryReadEnsembleFile(session_.FileName, session_.FileRecord); })) {
      ApplyRecord(session_.FileRecord, session_.Ensemble);
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
  const std::string name = CommentFileName(session_.FileName);
  std::optional<std::string> comment;
  const bool read = Attempt([&] {
    OnFile("read", name, [&] {
      comment = LoadComment(session_.FileName);
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
  session_.Display.CommentChanged = 0;
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
    OnFile("open", file, [&] { ReadEnsembleFile(file, session_.FileRecord); });
    session_.FileName = file;
    ApplyRecord(session_.FileRecord, session_.Ensemble);
    ShowOpenedEnsemble();
    LoadCommentIntoMemo();
    OnFile("update the start file", session_.StartFilePath,
           [&] { RememberFile(session_.StartFilePath, session_.FileName, session_.LastFileName); });
    NoteRecentFile(name);
  });
}

void TMainForm::ShowOpenedEnsemble() {
  session_.Run.SpiralMode = 0;
  Panel1->SetRunnable(true);
  savedName_ = session_.FileName;
  FName->setText(QString::fromStdString(session_.FileName));
  session_.Run.StepCount = 0;
  Panel1->ShowStepCount(0);
  PaintTaons();
  FillListing();
  RefreshParameterFields();
  MarkEnsembleSaved();
}

void TMainForm::Save1Click() {
  Guarded(this, [&] {
    if (session_.Run.SpiralMode != 0) return;
    // A built-in figure's caption or a file that failed to load is no file to
    // write over.
    if (session_.FileName.empty() || session_.FileName != savedName_) {
      Saveas1Click();
      return;
    }
    OnFile("save", session_.FileName,
           [&] { WriteEnsembleFile(session_.FileName, session_.Ensemble, session_.FileRecord); });
    MarkEnsembleSaved();
  });
}

void TMainForm::Saveas1Click() {
  Guarded(this, [&] {
    if (session_.Run.SpiralMode != 0) return;
    const std::optional<QString> name = Dialogs().SaveFileName(this, TaonsFiles);
    if (!name) return;
    SaveUnderChosenName(*name);
  });
}

void TMainForm::SaveUnderChosenName(const QString& name) {
  const std::string file = name.toStdString();
  OnFile("save", file, [&] { CheckRememberable(file); });
  session_.FileName = file;
  FName->setText(name);
  OnFile("save", file, [&] { WriteEnsembleFile(file, session_.Ensemble, session_.FileRecord); });
  savedName_ = session_.FileName;
  MarkEnsembleSaved();
  OnFile("update the start file", session_.StartFilePath,
         [&] { RememberFile(session_.StartFilePath, session_.FileName, session_.LastFileName); });
  NoteRecentFile(name);
}

void TMainForm::Spiral1Click() {
  // The spiral takes the ensemble's place.
  if (!MaybeSaveEnsemble()) return;
  Guarded(this, [&] {
    session_.Run.SpiralMode = 1;
    MakeStartFigure(session_);
    Panel1->SetRunnable(false);
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
    session_.Run.SpiralMode = 0;
    Panel1->SetRunnable(true);
    if (!ReadStartFile(session_.StartFilePath, session_.LastFileName)) {
      Dialogs().Message(this, MessageKind::Information, "The start File not found.", MessageButtons::Ok);
      return;
    }
    if (session_.LastFileName.empty()) {
      MakeStartFigure(session_);
      session_.FileName = "This is a stabil structur of taons";
      // A figure, not the file of the ensemble shown before.
      savedName_.clear();
      FillListing();
      FName->setText(Text(session_.FileName));
      PaintTaons();
      MarkEnsembleSaved();
      return;
    }
    session_.FileName = session_.LastFileName;
    FName->setText(Text(session_.FileName));
    savedName_ = session_.FileName;
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
  if (!settingComment_) session_.Display.CommentChanged = 1;
}

void TMainForm::CommentExit() {
  if (session_.Display.CommentChanged != 1) return;
  switch (Dialogs().Message(this, MessageKind::Confirmation, "The text was changed. Save now?",
                            MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
      if (SaveCommentOrReport()) session_.Display.CommentChanged = 0;
      break;
    case MessageAnswer::Cancel:
      // Back to the memo, as if it had not been left.
      PageControl->setCurrentWidget(TabSheet2);
      QTimer::singleShot(0, Comment, [memo = Comment] { memo->setFocus(Qt::OtherFocusReason); });
      break;
    default:
      session_.Display.CommentChanged = 0;
      break;
  }
}

bool TMainForm::SaveCommentOrReport() {
  const std::string name = CommentFileName(session_.FileName);
  return Attempt([&] {
    OnFile("save", name, [&] { SaveComment(session_.FileName, Comment->toPlainText().toStdString()); });
  });
}

bool TMainForm::MaybeSave() {
  if (session_.Display.CommentChanged == 1) {
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
    session_.Display.CommentChanged = 0;
  }
  return MaybeSaveEnsemble();
}

bool TMainForm::MaybeSaveEnsemble() {
  // The spiral is a figure with no file: nothing of it is lost.
  if (session_.Run.SpiralMode != 0 || !EnsembleDiffersFromFile()) return true;
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
  savedRecord_ = session_.FileRecord;
  CopyToRecord(session_.Ensemble, savedRecord_);
  UpdateTitle();
}

bool TMainForm::EnsembleDiffersFromFile() const {
  EnsembleRecord now = savedRecord_;
  CopyToRecord(session_.Ensemble, now);
  return std::memcmp(&now, &savedRecord_, sizeof now) != 0;
}

void TMainForm::UpdateTitle() {
  if (session_.Run.SpiralMode != 0) {
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
