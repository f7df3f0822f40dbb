// File > "New": the particle editor, opened on the live ensemble. It does not
// clear anything; the editor starts from what the main window shows.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "model/Global.h"
#include "ui/Dialogs.h"
#include "ui/Edit.h"
#include "ui/Main.h"

namespace vorun {

void TMainForm::New1Click() {
  if (EditDlg == nullptr) return;
  EditDlg->SetScopeButtons(Taoscope, Gravoscope);
  if (EditDlg->exec() != QDialog::Accepted) return;
  // The editor has saved the ensemble under a name the user chose: show it
  // as a freshly opened one.
  savedName_ = FileName;
  Guarded(this, [this] {
    Run.SpiralMode = 0;
    Go->setEnabled(true);
    Null00->setEnabled(true);
    FName->setText(QString::fromStdString(FileName));
    Run.StepCount = 0;
    LTime->setText("0");
    PaintTaons();
    FillListing();
    RefreshParameterFields();
  });
}

}  // namespace vorun
