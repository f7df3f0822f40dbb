// The about box: product name and version, closed by OK or its close box.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace vorun {

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel;
  QLabel* ProgramIcon;  // the main window's icon, stretched to fit
  QLabel* AboutIcon;
  QLabel* ProductName;
  QLabel* Version;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;
  // The box has no cancel button, so Escape leaves it open.
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vorun
