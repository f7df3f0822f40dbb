#include "ui/widgets/ToolTips.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

namespace vorun {

namespace {

// The room a line edit gives its text: the contents rectangle of its style
// less the two-pixel margin the field keeps on each side.
bool TextFits(const QLineEdit* field) {
  QStyleOptionFrame option;
  option.initFrom(field);
  option.rect = field->contentsRect();
  option.lineWidth =
      field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field) : 0;
  const QRect room = field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
  return field->fontMetrics().horizontalAdvance(field->text()) <= room.width() - 4;
}

class WholeTextTip final : public QObject {
 public:
  explicit WholeTextTip(QLineEdit* field) : QObject(field) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    auto* field = static_cast<QLineEdit*>(watched);
    const auto* help = static_cast<QHelpEvent*>(event);
    if (TextFits(field))
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), field->text(), field);
    return true;
  }
};

}  // namespace

void ShowWholeTextWhenCut(QLineEdit* field) { field->installEventFilter(new WholeTextTip(field)); }

}  // namespace vorun
