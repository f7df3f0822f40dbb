#include "ui/widgets/KeyFilter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>

namespace vorun {

namespace {

constexpr char16_t Backspace = 8;

bool IsDigit(QChar key) { return key >= u'0' && key <= u'9'; }

class KeyPressFilter final : public QObject {
 public:
  using Filter = QChar (*)(QChar);
  KeyPressFilter(QObject* parent, Filter filter) : QObject(parent), filter_(filter) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Only a key that would insert a character is judged; control codes are
    // the field's and the dialog's business (editing, Enter, Escape).
    if (text.size() != 1 || !text[0].isPrint()) return false;
    return filter_(text[0]) == QChar(DroppedKey);
  }

 private:
  Filter filter_;
};

}  // namespace

QChar NumericKeyPress(QChar key) {
  if (IsDigit(key) || key == QChar(Backspace) || key == u',' || key == u'-' || key == u'.') return key;
  return QChar(DroppedKey);
}

QChar DigitKeyPress(QChar key) {
  if (IsDigit(key) || key == QChar(Backspace)) return key;
  return QChar(DroppedKey);
}

void AttachNumericKeyFilter(QLineEdit* field) {
  field->installEventFilter(new KeyPressFilter(field, &NumericKeyPress));
}

void AttachDigitKeyFilter(QLineEdit* field) {
  field->installEventFilter(new KeyPressFilter(field, &DigitKeyPress));
}

}  // namespace vorun
