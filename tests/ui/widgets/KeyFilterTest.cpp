#include "ui/widgets/KeyFilter.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace vorun {
namespace {

TEST(NumericKeyPress, PassesDigitsSeparatorsMinusAndBackspaceOnly) {
  for (char16_t c = 0; c < 128; ++c) {
    const bool allowed = (c >= u'0' && c <= u'9') || c == 8 || c == u',' || c == u'-' || c == u'.';
    EXPECT_EQ(NumericKeyPress(QChar(c)), allowed ? QChar(c) : QChar(DroppedKey)) << int(c);
  }
  // The exponent letter cannot be typed, although 1E-5 is valid number text.
  EXPECT_EQ(NumericKeyPress(u'E'), QChar(DroppedKey));
  EXPECT_EQ(NumericKeyPress(u'+'), QChar(DroppedKey));
}

TEST(DigitKeyPress, PassesDigitsAndBackspaceOnly) {
  for (char16_t c = 0; c < 128; ++c) {
    const bool allowed = (c >= u'0' && c <= u'9') || c == 8;
    EXPECT_EQ(DigitKeyPress(QChar(c)), allowed ? QChar(c) : QChar(DroppedKey)) << int(c);
  }
}

TEST(KeyFilter, TypingKeepsAllowedCharactersInOrder) {
  QLineEdit field;
  AttachNumericKeyFilter(&field);
  // The filter judges single characters: repeated signs and separators pass.
  QTest::keyClicks(&field, "-a-1x.,2E5 ");
  EXPECT_EQ(field.text(), "--1.,25");
}

TEST(KeyFilter, EditingKeysAndPastedTextAreNotFiltered) {
  QLineEdit field;
  AttachDigitKeyFilter(&field);
  QTest::keyClicks(&field, "12a3");
  QTest::keyClick(&field, Qt::Key_Backspace);
  QTest::keyClick(&field, Qt::Key_Left);
  QTest::keyClick(&field, Qt::Key_Delete);
  EXPECT_EQ(field.text(), "1");
  field.insert("1.5");
  EXPECT_EQ(field.text(), "11.5");
}

TEST(KeyFilter, EnterStillReachesTheField) {
  QLineEdit field;
  AttachNumericKeyFilter(&field);
  QSignalSpy returns(&field, &QLineEdit::returnPressed);
  QTest::keyClick(&field, Qt::Key_Return);
  EXPECT_EQ(returns.count(), 1);
}

}  // namespace
}  // namespace vorun
