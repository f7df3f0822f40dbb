// What a tooltip shows when the mouse rests on a point of a widget: the help
// event the platform sends then, and the text of the tip it raises.
#pragma once

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWidget>

namespace vorun::test {

// Qt raises tooltips in the active window only.
inline QString ToolTipOf(QWidget* widget, QPoint at = QPoint(-1, -1)) {
  widget->window()->activateWindow();
  if (!QTest::qWaitForWindowActive(widget->window())) return "(window not active)";
  // A hidden tip lingers for a moment; a stale one would read as an answer.
  QToolTip::hideText();
  if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) return "(old tip still shown)";
  if (at == QPoint(-1, -1)) at = widget->rect().center();
  QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
  QApplication::sendEvent(widget, &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace vorun::test
