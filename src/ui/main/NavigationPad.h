// The arrow pad of the run panel: six buttons that turn the view about its
// axes, two that zoom and one that stops a spin, each with its key. The pad
// tells the window which was pressed; what a press does to the view is the
// window's.
#pragma once

#include <QWidget>

class QToolButton;

namespace vorun {

class TNavigationPad : public QWidget {
  Q_OBJECT

 public:
  // At its design place in the run panel; x and y of the buttons are the
  // panel's, less the pad's corner.
  explicit TNavigationPad(QWidget* panel);

 signals:
  void TetaClicked();
  void Teta1Clicked();
  void PsiClicked();
  void Psi1Clicked();
  void PhiClicked();
  void Phi1Clicked();
  void StopClicked();
  void BackClicked();
  void ForvardClicked();

 private:
  QToolButton* DaoBack;
  QToolButton* DaoTeta;
  QToolButton* DaoPsi;
  QToolButton* DaoPhi;
  QToolButton* DaoStop;
  QToolButton* DaoPhi1;
  QToolButton* DaoForvard;
  QToolButton* DaoTeta1;
  QToolButton* DaoPsi1;
};

}  // namespace vorun
