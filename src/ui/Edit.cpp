#include "ui/Edit.h"

namespace vorun {

TEditDlg* EditDlg = nullptr;

TEditDlg::TEditDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(" Editing of gravon's or taon's values");
}

}  // namespace vorun
