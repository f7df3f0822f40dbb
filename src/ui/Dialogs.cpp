#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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
    if (buttons == MessageButtons::YesNo) {
      const auto answer = QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No);
      return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    if (kind == MessageKind::Error)
      QMessageBox::critical(parent, title, text);
    else
      QMessageBox::information(parent, title, text);
    return MessageAnswer::Ok;
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

DialogSeam& Dialogs() { return *current; }

void SetDialogs(DialogSeam* seam) { current = seam != nullptr ? seam : &qtDialogs; }

void ReportError(QWidget* parent, const QString& message) {
  Dialogs().Message(parent, MessageKind::Error, message, MessageButtons::Ok);
}

}  // namespace vorun
