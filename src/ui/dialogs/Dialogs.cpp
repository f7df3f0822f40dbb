#include "ui/dialogs/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace vorun {

namespace {

// "Taons files (*.tvx)|*.tvx" is the pipe-separated form; Qt wants the text
// before the pipe, which already holds the pattern.
QString QtFilter(const QString& filter) { return filter.section('|', 0, 0); }

QString WithDefaultExtension(const QString& name, const QString& extension) {
  if (name.isEmpty() || extension.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
  return name + "." + extension;
}

class QtDialogs final : public DialogSeam {
 public:
  MessageAnswer Message(QWidget* parent, MessageKind kind, const QString& text,
                        MessageButtons buttons) override {
    const QString title = QApplication::applicationDisplayName();
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (buttons) {
      case MessageButtons::Ok:
        box.setIcon(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case MessageButtons::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
      case MessageButtons::YesNoCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
      case MessageButtons::SaveDiscardCancel:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    // Qt sizes the box by its text and leaves only a little room for the
    // title, which the window manager then cuts to "Vorun - Q...".
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
      grid->addItem(
          new QSpacerItem(MessageBoxMinimumWidth(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
          grid->rowCount(), 0, 1, grid->columnCount());
    switch (box.exec()) {
      case QMessageBox::Yes:
        return MessageAnswer::Yes;
      case QMessageBox::No:
        return MessageAnswer::No;
      case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
      case QMessageBox::Save:
        return MessageAnswer::Save;
      case QMessageBox::Discard:
        return MessageAnswer::Discard;
      default:
        // Closed by its close box: the safe answer of each kind.
        return buttons == MessageButtons::YesNoCancel || buttons == MessageButtons::SaveDiscardCancel
                   ? MessageAnswer::Cancel
               : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                  : MessageAnswer::Ok;
    }
  }

  std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) override {
    QFileDialog dialog(parent, QString(), QString(), QtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The open dialog accepts a name that does not exist; opening it then reports the failure.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return WithDefaultExtension(dialog.selectedFiles().first(), request.defaultExtension);
  }

  std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) override {
    QFileDialog dialog(parent, QString(), QString(), QtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return WithDefaultExtension(dialog.selectedFiles().first(), request.defaultExtension);
  }
};

QtDialogs qtDialogs;
DialogSeam* current = &qtDialogs;

}  // namespace

int MessageBoxMinimumWidth(const QString& title) {
  // Title bars use a bold font, often larger than the dialog's; their icon and
  // three buttons take about as much again as the frame's own margins.
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  if (titleFont.pointSizeF() > 0) titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
  constexpr int IconAndButtons = 140;
  return QFontMetrics(titleFont).horizontalAdvance(title) + IconAndButtons;
}

DialogSeam& Dialogs() { return *current; }

void SetDialogs(DialogSeam* seam) { current = seam != nullptr ? seam : &qtDialogs; }

void ReportError(QWidget* parent, const QString& message) {
  Dialogs().Message(parent, MessageKind::Error, message, MessageButtons::Ok);
}

}  // namespace vorun
