// The menu tree of the main window, built in one place: each item with its
// caption, shortcut and handler.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "ui/Session.h"
#include "ui/main/Main.h"
#include "ui/main/ThreadMenu.h"

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

// True when an enabled item among these (submenus of enabled menus included)
// has the key as its shortcut.
bool IsMenuShortcut(const QList<QAction*>& actions, const QKeySequence& pressed) {
  for (const QAction* action : actions) {
    if (!action->isEnabled()) continue;
    if (const QMenu* submenu = action->menu()) {
      if (IsMenuShortcut(submenu->actions(), pressed)) return true;
    } else if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
      return true;
    }
  }
  return false;
}

// The menu's shortcuts come before the keys of the controls: Ctrl+arrow moves
// the picture also from a text field, which would otherwise take it as a word
// move. Only the items of the window's menus count, and only where they are
// reachable: a disabled submenu ("Show Images" during a run) leaves the key
// to the control.
class MenuShortcutsFirst final : public QObject {
 public:
  explicit MenuShortcutsFirst(QMainWindow* form) : QObject(form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != form_) return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    // The menu bar's tree, and the hidden menu's items, which belong to the window.
    if (!IsMenuShortcut(form_->menuBar()->actions(), pressed) && !IsMenuShortcut(form_->actions(), pressed))
      return false;
    event->ignore();
    return true;
  }

 private:
  QMainWindow* form_;
};

}  // namespace

void TMainForm::CreateActions() {
  File1 = menuBar()->addMenu("&File");
  File1->setObjectName("File1");
  New1 = Item(File1, this, "New1", "New", QKeySequence(Qt::Key_F2), &TMainForm::New1Click);
  Open1 = Item(File1, this, "Open1", "Open", QKeySequence(Qt::Key_F3), &TMainForm::Open1Click);
  Save1 = Item(File1, this, "Save1", "Save", QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::Save1Click);
  Saveas1 = Item(File1, this, "Saveas1", "Save As ...", QKeySequence(), &TMainForm::Saveas1Click);
  File1->addSeparator()->setObjectName("N1");
  Exit1 = Item(File1, this, "Exit1", "Exit", QKeySequence(Qt::ALT | Qt::Key_X), &TMainForm::Exit1Click);

  View1 = menuBar()->addMenu("&View");
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

  CreateViewMoveActions();
  CreateDesktopActions();
  CreateHelpActions();

  // F10 opens the menu bar from the keyboard, as Alt with a menu's letter does.
  auto* menuKey = new QAction(this);
  menuKey->setObjectName("MenuKey");
  menuKey->setShortcut(QKeySequence(Qt::Key_F10));
  connect(menuKey, &QAction::triggered, this, [this] { menuBar()->setActiveAction(File1->menuAction()); });
  addAction(menuKey);
}

void TMainForm::CreateViewMoveActions() {
  MoveToCenter = Item(View1, this, "MoveToCenter", "Move to center", QKeySequence(Qt::Key_F8),
                      &TMainForm::MoveToCenterClick);
  AddThreadMenu(View1);

  // Never shown, so not in the menu bar: Qt would disable a hidden menu there
  // and its shortcuts with it. The items belong to the window as well, where
  // their shortcuts work while they are enabled.
  Manager1 = new QMenu("Manager", this);
  Manager1->setObjectName("Manager1");
  Left1 =
      Item(Manager1, this, "Left1", "Left", QKeySequence(Qt::CTRL | Qt::Key_Left), &TMainForm::Left1Click);
  Right1 = Item(Manager1, this, "Right1", "Right", QKeySequence(Qt::CTRL | Qt::Key_Right),
                &TMainForm::Right1Click);
  Up1 = Item(Manager1, this, "Up1", "Up", QKeySequence(Qt::CTRL | Qt::Key_Up), &TMainForm::Up1Click);
  Down1 =
      Item(Manager1, this, "Down1", "Down", QKeySequence(Qt::CTRL | Qt::Key_Down), &TMainForm::Down1Click);
  addActions({Left1, Right1, Up1, Down1});
  qApp->installEventFilter(new MenuShortcutsFirst(this));
}

void TMainForm::CreateHelpActions() {
  Help0 = menuBar()->addMenu("&Help");
  Help0->setObjectName("Help0");
  Help1 = Item(Help0, this, "Help1", "English Help", QKeySequence(Qt::Key_F1), &TMainForm::Help1Click);
  RusHelp = Item(Help0, this, "RusHelp", "Russian Help", QKeySequence(Qt::CTRL | Qt::Key_F1),
                 &TMainForm::RusHelpClick);
  PolHelp = Item(Help0, this, "PolHelp", "Poland Help", QKeySequence(Qt::SHIFT | Qt::Key_F1),
                 &TMainForm::PolHelpClick);
  About1 = Item(Help0, this, "About1", "About", QKeySequence(), &TMainForm::About1Click);
}

}  // namespace vorun
