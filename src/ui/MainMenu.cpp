// The menu tree of the main window, built in one place: each item with its
// caption, shortcut and handler.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
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

  CreateViewMoveActions();
  CreateHelpActions();
}

namespace {

// The menu's shortcuts come before the keys of the controls: Ctrl+arrow moves
// the picture also from a text field, which would otherwise take it as a word
// move. Only the window's own enabled menu items count.
class MenuShortcutsFirst final : public QObject {
 public:
  explicit MenuShortcutsFirst(QMainWindow* form) : QObject(form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != form_) return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QMenu* menu : form_->findChildren<QMenu*>()) {
      for (const QAction* action : menu->actions()) {
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
          event->ignore();
          return true;
        }
      }
    }
    return false;
  }

 private:
  QMainWindow* form_;
};

QAction* Command(QMenu* menu, TMainForm* form, const char* name, const QString& caption,
                 const QKeySequence& shortcut, void (TMainForm::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  QObject::connect(action, &QAction::triggered, form, handler);
  return action;
}

}  // namespace

void TMainForm::CreateViewMoveActions() {
  MoveToCenter = Command(View1, this, "MoveToCenter", "Move to center", QKeySequence(Qt::Key_F8),
                         &TMainForm::MoveToCenterClick);

  // Never shown, so not in the menu bar: Qt would disable a hidden menu there
  // and its shortcuts with it. The items belong to the window as well, where
  // their shortcuts work while they are enabled.
  Manager1 = new QMenu("Manager", this);
  Manager1->setObjectName("Manager1");
  Left1 =
      Command(Manager1, this, "Left1", "Left", QKeySequence(Qt::CTRL | Qt::Key_Left), &TMainForm::Left1Click);
  Right1 = Command(Manager1, this, "Right1", "Right", QKeySequence(Qt::CTRL | Qt::Key_Right),
                   &TMainForm::Right1Click);
  Up1 = Command(Manager1, this, "Up1", "Up", QKeySequence(Qt::CTRL | Qt::Key_Up), &TMainForm::Up1Click);
  Down1 =
      Command(Manager1, this, "Down1", "Down", QKeySequence(Qt::CTRL | Qt::Key_Down), &TMainForm::Down1Click);
  addActions({Left1, Right1, Up1, Down1});
  qApp->installEventFilter(new MenuShortcutsFirst(this));
}

void TMainForm::CreateHelpActions() {
  Help0 = menuBar()->addMenu("Help");
  Help0->setObjectName("Help0");
  Help1 = Command(Help0, this, "Help1", "English Help", QKeySequence(Qt::Key_F1), &TMainForm::Help1Click);
  RusHelp = Command(Help0, this, "RusHelp", "Russian Help", QKeySequence(Qt::CTRL | Qt::Key_F1),
                    &TMainForm::RusHelpClick);
  PolHelp = Command(Help0, this, "PolHelp", "Poland Help", QKeySequence(Qt::SHIFT | Qt::Key_F1),
                    &TMainForm::PolHelpClick);
  About1 = Command(Help0, this, "About1", "About", QKeySequence(), &TMainForm::About1Click);
}

}  // namespace vorun
