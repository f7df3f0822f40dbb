// The menu tree of the main window, built in one place: each item with its
// caption, shortcut and handler.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/Main.h"

namespace vorun {

namespace {

template <class Handler>
QAction* Item(QMenu* menu, TMainForm* form, const char* name, const QString& caption,
              const QKeySequence& shortcut, Handler handler) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  QObject::connect(action, &QAction::triggered, form, handler);
  return action;
}

}  // namespace

void TMainForm::CreateActions() {
  File1 = menuBar()->addMenu("File");
  File1->setObjectName("File1");
  New1 = Item(File1, this, "New1", "New", QKeySequence(Qt::Key_F2), &TMainForm::New1Click);
  Open1 = Item(File1, this, "Open1", "Open", QKeySequence(Qt::Key_F3), &TMainForm::Open1Click);
  Save1 = Item(File1, this, "Save1", "Save", QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::Save1Click);
  Saveas1 = Item(File1, this, "Saveas1", "Save As ...", QKeySequence(), &TMainForm::Saveas1Click);
  File1->addSeparator()->setObjectName("N1");
  Exit1 = Item(File1, this, "Exit1", "Exit", QKeySequence(Qt::ALT | Qt::Key_X), &TMainForm::Exit1Click);

  View1 = menuBar()->addMenu("View");
  View1->setObjectName("View1");
  Images = View1->addMenu("Show Images");
  Images->setObjectName("Images");
  Daons1 = Item(Images, this, "Daons1", "Taons", QKeySequence(Qt::Key_F5), &TMainForm::Daons1Click);
  Spiral1 = Item(Images, this, "Spiral1", "Spiral", QKeySequence(), &TMainForm::Spiral1Click);

  ShowSpin = Item(View1, this, "ShowSpin", "ShowSpin", QKeySequence(Qt::Key_F6), &TMainForm::ShowSpinClick);
  ShowSpin->setCheckable(true);
  ShowNumbersOfPoints = Item(View1, this, "ShowNumbersOfPoints", "Show Numbers of Points",
                             QKeySequence(Qt::Key_F7), &TMainForm::ShowNumbersOfPointsClick);
  ShowNumbersOfPoints->setCheckable(true);
}

}  // namespace vorun
