#include "ui/widgets/StringGrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <cstring>

#include "model/Error.h"
#include "model/NumberText.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// The fixed row is the table's own header, so it stays in view; the fixed
// column is an ordinary column whose cells can be neither selected nor made
// current. The grid never scrolls sideways, so that column never leaves view.
QTableWidgetItem* FixedItem(const QPalette& palette) {
  auto* item = new QTableWidgetItem;
  item->setFlags(Qt::NoItemFlags);
  item->setBackground(palette.button());
  item->setForeground(palette.buttonText());
  return item;
}

// A value cell that holds either text or a number; a number is formatted at
// the first reading after it changed, and the text kept until the next change.
class ValueItem final : public QTableWidgetItem {
 public:
  ValueItem() { setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); }

  QVariant data(int role) const override {
    if (!number_ || (role != Qt::DisplayRole && role != Qt::EditRole)) return QTableWidgetItem::data(role);
    // The separator may have changed since (it follows the locale).
    if (stale_ || separator_ != DecimalSeparator) {
      text_ = NumberText(value_);
      stale_ = false;
      separator_ = DecimalSeparator;
    }
    return text_;
  }

  void setData(int role, const QVariant& value) override {
    if (role == Qt::DisplayRole || role == Qt::EditRole) number_ = false;
    QTableWidgetItem::setData(role, value);
  }

  // False when the cell already shows this very value.
  bool SetNumber(Extended80 value) {
    if (number_ && std::memcmp(&value, &value_, 10) == 0) return false;
    value_ = value;
    number_ = true;
    stale_ = true;
    return true;
  }

 private:
  Extended80 value_ = 0;
  bool number_ = false;
  mutable bool stale_ = false;
  mutable char separator_ = 0;
  mutable QString text_;
};

}  // namespace

StringGrid::StringGrid(int columns, int rows, QWidget* parent) : QTableWidget(rows - 1, columns, parent) {
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->installEventFilter(this);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(false);
  setWordWrap(false);
  // Long numbers are cut at the cell's edge, not shortened with an ellipsis.
  setTextElideMode(Qt::ElideNone);

  for (int c = 0; c < columns; ++c) setHorizontalHeaderItem(c, new QTableWidgetItem);
  for (int r = 0; r < rowCount(); ++r) {
    setItem(r, 0, FixedItem(palette()));
    for (int c = 1; c < columns; ++c) setItem(r, c, new ValueItem);
  }
  SetCurrent(1, 1);
}

QString StringGrid::Cell(int column, int row) const {
  if (row < 0) throw Error("List index out of bounds (" + std::to_string(row) + ")");
  if (column < 0) throw Error("List index out of bounds (" + std::to_string(column) + ")");
  if (column >= columnCount() || row >= RowCount()) return {};
  if (row == 0) return horizontalHeaderItem(column)->text();
  return item(row - 1, column)->text();
}

void StringGrid::SetCell(int column, int row, const QString& text) {
  if (column < 0 || row < 0 || column >= columnCount() || row >= RowCount()) return;
  QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
  // Unchanged text is left alone: a grid refilled after every step need not repaint.
  if (cell->text() != text) cell->setText(text);
}

void StringGrid::SetNumber(int column, int row, Extended80 value) {
  if (column < 1 || row < 1 || column >= columnCount() || row >= RowCount()) return;
  if (static_cast<ValueItem*>(item(row - 1, column))->SetNumber(value)) numbersChanged_ = true;
}

void StringGrid::ShowChangedNumbers() {
  if (!numbersChanged_) return;
  numbersChanged_ = false;
  pacer_.Changed(paced_);
}

void StringGrid::SetCurrent(int column, int row) {
  if (column < 1 || row < 1 || column >= columnCount() || row >= RowCount()) return;
  setCurrentCell(row - 1, column);
}

void StringGrid::SetDefaultColumnWidth(int width) {
  horizontalHeader()->setDefaultSectionSize(width);
  for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, width);
}

void StringGrid::SetDefaultRowHeight(int height) {
  horizontalHeader()->setFixedHeight(height);
  verticalHeader()->setDefaultSectionSize(height);
  for (int r = 0; r < rowCount(); ++r) setRowHeight(r, height);
}

void StringGrid::SetRowHeight(int row, int height) {
  if (row == 0)
    horizontalHeader()->setFixedHeight(height);
  else if (row > 0 && row < RowCount())
    setRowHeight(row - 1, height);
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableWidget::currentChanged(current, previous);
  if (!current.isValid()) return;
  const int row = current.row() + 1;
  const int column = current.column();
  if (row == row_ && column == col_) return;
  refused_ = false;
  emit SelectCell(column, row);
  if (refused_) {
    refused_ = false;
    // Back to the old cell; its own change comes here again and stops above.
    const QModelIndex old = model()->index(row_ - 1, col_);
    selectionModel()->setCurrentIndex(old, QItemSelectionModel::ClearAndSelect);
    return;
  }
  row_ = row;
  col_ = column;
  emit Clicked();
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // Not passed on: a double click neither edits a cell nor moves the current one.
  event->accept();
  emit DoubleClicked();
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader() && event->type() == QEvent::MouseButtonDblClick) {
    emit DoubleClicked();
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

bool StringGrid::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableWidget::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = index.isValid() ? index.data().toString() : QString();
  const QRect cell = visualRect(index);
  // The delegate keeps a margin of the focus frame's width plus one on each side.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  if (!text.isEmpty() && viewport()->fontMetrics().horizontalAdvance(text) > cell.width() - 2 * margin)
    QToolTip::showText(help->globalPos(), text, viewport(), cell);
  else
    QToolTip::hideText();
  return true;
}

}  // namespace vorun
