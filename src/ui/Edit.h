// The particle editor.
#pragma once

#include <QDialog>

namespace vorun {

class TEditDlg : public QDialog {
 public:
  explicit TEditDlg(QWidget* parent = nullptr);
};

extern TEditDlg* EditDlg;

}  // namespace vorun
