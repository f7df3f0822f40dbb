// The one seam through which the windows ask the user something: message
// boxes and file dialogs. The program uses the real Qt dialogs; tests install
// a scripted seam that answers them without showing anything.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace vorun {

enum class MessageKind { Information, Confirmation, Error };
enum class MessageButtons { Ok, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel, Save, Discard };

struct FileDialogRequest {
  QString filter;            // "Taons files (*.tvx)|*.tvx"
  QString defaultExtension;  // "tvx", added when the user typed none
};

// The ensemble files, which every open and save dialog of the program offers.
inline const FileDialogRequest TaonsFiles{"Taons files (*.tvx)|*.tvx", "tvx"};

class DialogSeam {
 public:
  virtual ~DialogSeam() = default;
  virtual MessageAnswer Message(QWidget* parent, MessageKind kind, const QString& text,
                                MessageButtons buttons) = 0;
  // The chosen file name, or nothing when the user cancelled.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The narrowest a message box may be so that the window manager can show its
// whole title beside its own buttons.
int MessageBoxMinimumWidth(const QString& title);

// The seam in force; the Qt one unless a test installed another.
DialogSeam& Dialogs();
// Installs a seam (nullptr restores the Qt one). The caller keeps ownership.
void SetDialogs(DialogSeam* seam);

// The one place that reports an error to the user: a modal message box with
// the error's text. The handler that failed has stopped; the program goes on.
void ReportError(QWidget* parent, const QString& message);

// Runs a handler body and reports any error that escapes it. Qt event
// handlers must not throw, so every handler that can fail goes through here.
// False when the body failed and its error was reported.
template <class Body>
bool Guarded(QWidget* parent, Body&& body) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    ReportError(parent, QString::fromUtf8(e.what()));
    return false;
  }
}

}  // namespace vorun
