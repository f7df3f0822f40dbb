// A fresh main window for each test, shown on the offscreen platform, with the
// globals reset before it is created and the dialog seam scripted.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <memory>

#include "model/Global.h"
#include "model/NumberText.h"
#include "ui/Main.h"
#include "ui/ScriptedDialogs.h"

namespace vorun::test {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    DecimalSeparator = '.';
    form = std::make_unique<TMainForm>();
    form->show();
    QApplication::processEvents();
  }

  void TearDown() override {
    form.reset();
    DecimalSeparator = '.';
  }

  // The focus leaves the widget for another control of the window.
  static void Leave(QWidget* widget) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
  }

  ScriptedDialogs dialogs;
  std::unique_ptr<TMainForm> form;
};

}  // namespace vorun::test
