// A fresh main window for each test, shown on the offscreen platform, with the
// globals reset before it is created and the dialog seam scripted.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "model/EnsembleFile.h"
#include "model/Global.h"
#include "model/NumberText.h"
#include "model/StartFile.h"
#include "ui/Main.h"
#include "ui/SampleFiles.h"
#include "ui/ScriptedDialogs.h"

namespace vorun::test {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    savedStartFile = StartFilePath;
    StartFilePath = Path("Start.tvx2");
    PrepareFiles();
    test::ResetProgramState();
    DecimalSeparator = '.';
    form = std::make_unique<TMainForm>();
    form->show();
    QApplication::processEvents();
  }

  void TearDown() override {
    form.reset();
    DecimalSeparator = '.';
    StartFilePath = savedStartFile;
  }

  // Runs before the window is created: the files start-up will find.
  virtual void PrepareFiles() {}

  std::string Path(const std::string& name) const { return (folder.path() + "/").toStdString() + name; }

  // The focus leaves the widget for another control of the window.
  static void Leave(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
  }

  QTemporaryDir folder;
  std::string savedStartFile;
  ScriptedDialogs dialogs;
  std::unique_ptr<TMainForm> form;
};

}  // namespace vorun::test
