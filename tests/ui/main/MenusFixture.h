// The main window with helpers to activate it and to describe its menu tree in
// display order.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTest>

#include "ui/main/MainFormFixture.h"

namespace vorun::test {

class Menus : public test::MainFormTest {
 protected:
  void Activate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  // The tree in display order, one line per entry: menus by title, items
  // indented with their shortcut, check mark and state, "-" for a separator.
  static void Describe(const QMenu* menu, const QString& indent, QStringList& out) {
    for (const QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        out << indent + "-";
        continue;
      }
      QString line = indent + a->text();
      if (!a->shortcut().isEmpty()) line += " [" + a->shortcut().toString() + "]";
      if (a->isCheckable()) line += a->isChecked() ? " (checked)" : " (unchecked)";
      if (!a->isEnabled()) line += " (disabled)";
      out << line;
      if (a->menu() != nullptr) Describe(a->menu(), indent + "  ", out);
    }
  }

  QStringList Tree() const {
    QStringList out;
    for (const QAction* a : form->menuBar()->actions()) {
      out << a->text() + (a->isVisible() ? "" : " (hidden)") + (a->isEnabled() ? "" : " (disabled)");
      Describe(a->menu(), "  ", out);
    }
    return out;
  }
};

}  // namespace vorun::test
