// The menu tree of the main window, built in one place: each item with its
// caption, shortcut and handler.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/Main.h"

namespace vorun {

void TMainForm::CreateActions() {
  View1 = menuBar()->addMenu("View");

  ShowSpin = View1->addAction("ShowSpin");
  ShowSpin->setObjectName("ShowSpin");
  ShowSpin->setShortcut(Qt::Key_F6);
  ShowSpin->setCheckable(true);
  connect(ShowSpin, &QAction::triggered, this, &TMainForm::ShowSpinClick);

  ShowNumbersOfPoints = View1->addAction("Show Numbers of Points");
  ShowNumbersOfPoints->setObjectName("ShowNumbersOfPoints");
  ShowNumbersOfPoints->setShortcut(Qt::Key_F7);
  ShowNumbersOfPoints->setCheckable(true);
  connect(ShowNumbersOfPoints, &QAction::triggered, this, &TMainForm::ShowNumbersOfPointsClick);
}

}  // namespace vorun
