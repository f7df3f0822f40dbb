// A fresh main window for each test, shown on the offscreen platform, over a
// session of the test's own, with the dialog seam scripted.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Controls.h"
#include "ui/SampleFiles.h"
#include "ui/ScriptedDialogs.h"
#include "ui/main/Main.h"
#include "ui/widgets/StringGrid.h"

namespace vorun::test {

class MainFormTest : public ::testing::Test, public SessionParts {
 protected:
  // The session's run flags, not the test's own Run().
  using SessionParts::Run;

  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    StartFilePath = Path("Start.tvx2");
    PrepareFiles();
    DecimalSeparator = '.';
    form = std::make_unique<TMainForm>(session);
    form->show();
    QApplication::processEvents();
  }

  void TearDown() override {
    form.reset();
    DecimalSeparator = '.';
  }

  // Runs before the window is created: the files start-up will find.
  virtual void PrepareFiles() {}

  std::string Path(const std::string& name) const { return (folder.path() + "/").toStdString() + name; }

  // The focus leaves the widget for another control of the window.
  static void Leave(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
  }

  // The window's controls by the names they carry.
  QLineEdit* Line(const char* name) const { return FindControl<QLineEdit>(form, name); }
  QPushButton* Push(const char* name) const { return FindControl<QPushButton>(form, name); }
  QAction* Action(const char* name) const { return FindControl<QAction>(form, name); }
  StringGrid* Grid() const { return FindControl<StringGrid>(form, "DaonsTable"); }

  QTemporaryDir folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<TMainForm> form;
};

}  // namespace vorun::test
