// File > "New": the particle editor, opened on the live ensemble. It does not
// clear anything; the editor starts from what the main window shows.
#include <QRadioButton>

#include "model/Global.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/editor/Edit.h"
#include "ui/main/Main.h"

namespace vorun {

void TMainForm::New1Click() {
  if (editor_ == nullptr) return;
  editor_->SetScopeButtons(Taoscope, Gravoscope);
  if (editor_->exec() != QDialog::Accepted) {
    // "Yes" may have stored slots without a save.
    UpdateTitle();
    return;
  }
  // The editor has saved the ensemble under a name the user chose: show it
  // as a freshly opened one, and list it with the files saved under a new name.
  Guarded(this, [this] {
    ShowOpenedEnsemble();
    NoteRecentFile(QString::fromStdString(session_.FileName));
  });
}

}  // namespace vorun
