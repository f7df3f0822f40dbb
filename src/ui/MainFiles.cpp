// Start-up of the main window and the commands that put an ensemble or a
// built-in figure on show or store the ensemble: Open, Save, Save As, the
// Taons and Spiral images, and the comment memo's prompt.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "model/CommentFile.h"
#include "model/Ensemble.h"
#include "model/EnsembleFile.h"
#include "model/Figures.h"
#include "model/Global.h"
#include "model/StartFile.h"
#include "ui/Dialogs.h"
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
  // shorter than one record) is reported, and the rest of start-up still runs,
  // so the window opens stopped with its steps, listing and fields in place.
  bool loaded = false;
  Guarded(this, [&] { loaded = LoadLastEnsemble(); });
  // The time step in use is the one EditDT shows: a loaded ensemble keeps its
  // own, otherwise the default.
  if (!loaded) Ensemble.TimeStep = DefaultTimeStep();

  View.PanStep = 5;
  View.ZoomStep = 3;
  View.AngleStep = 0.01L;
  FillListing();
  RefreshParameterFields();
  Run.Stopped = 1;
}

bool TMainForm::LoadLastEnsemble() {
  if (!ReadStartFile()) {
    MakeStartFigure(Ensemble, Run);
    FileName = "ThetraSpiral";
    // Created after the spiral is built, so that a start file that cannot be
    // created still leaves the spiral on show.
    CreateEmptyStartFile();
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
    if (TryReadEnsembleFile(FileName)) {
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
  const std::optional<std::string> comment = LoadComment();
  if (!comment) return;
  QString text = Text(*comment);
  text.replace("\r\n", "\n");
  // The loaded text is the file's, so it is no change to ask about.
  settingComment_ = true;
  if (text != Comment->toPlainText()) Comment->setPlainText(text);
  settingComment_ = false;
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
    // Refused before anything changes: opened, it would be remembered.
    CheckRememberable(name.toStdString());
    // A menu command or F3 does not leave the memo, so its prompt would come
    // only after the new ensemble's comment had replaced the typed text, or
    // would save that text beside the wrong file. Opening counts as leaving.
    CommentExit();
    // Read before anything changes: a file that fails to load must become
    // neither the name on show nor the one Save writes to.
    ReadEnsembleFile(name.toStdString());
    FileName = name.toStdString();
    ApplyRecord();
    ShowOpenedEnsemble();
    LoadCommentIntoMemo();
    RememberFile();
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
    WriteEnsembleFile(FileName);
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
  CheckRememberable(name.toStdString());
  FileName = name.toStdString();
  FName->setText(name);
  WriteEnsembleFile(FileName);
  savedName_ = FileName;
  RememberFile();
  NoteRecentFile(name);
}

void TMainForm::Spiral1Click() {
  Guarded(this, [&] {
    Run.SpiralMode = 1;
    MakeStartFigure(Ensemble, Run);
    Go->setEnabled(false);
    Null00->setEnabled(false);
    PaintSpiral();
  });
}

// Brings back the ensemble the start file names, without touching the step
// counter, the fields or the comment.
void TMainForm::Daons1Click() {
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
      FillListing();
      FName->setText(Text(FileName));
      PaintTaons();
      return;
    }
    FileName = LastFileName;
    FName->setText(Text(FileName));
    savedName_ = FileName;
    // The next paint of the window draws the easy square of a fallback.
    if (!TryReadOrFallBack(false)) return;
    PaintTaons();
    FillListing();
  });
}

void TMainForm::CommentChange() {
  if (!settingComment_) Display.CommentChanged = 1;
}

void TMainForm::CommentExit() {
  if (Display.CommentChanged != 1) return;
  Display.CommentChanged = 0;
  Guarded(this, [&] {
    if (Dialogs().Message(this, MessageKind::Confirmation, "The text was changed. Save now?",
                          MessageButtons::YesNo) == MessageAnswer::Yes)
      SaveComment(Comment->toPlainText().toStdString());
  });
}

bool TMainForm::CommentSavedOrDropped() {
  if (Display.CommentChanged != 1) return true;
  switch (Dialogs().Message(this, MessageKind::Confirmation, "The text was changed. Save now?",
                            MessageButtons::YesNoCancel)) {
    case MessageAnswer::Cancel:
      return false;
    case MessageAnswer::Yes: {
      // A save that fails keeps the program open, with the text still there.
      if (!Guarded(this, [&] { SaveComment(Comment->toPlainText().toStdString()); })) return false;
      break;
    }
    default:
      break;
  }
  Display.CommentChanged = 0;
  return true;
}

}  // namespace vorun
