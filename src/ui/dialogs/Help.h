// Help: the built-in English help window, and the Russian and Polish help
// files, which are not part of the program and are opened with whatever the
// desktop uses for them.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QTextBrowser;
class QUrl;

namespace vorun {

// The built-in help text in a browser of its own; links inside it work.
class THelpWindow : public QWidget {
 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  QTextBrowser* Browser;
};

// Where the built-in text lives.
QUrl HelpTextUrl();

// Hands a file to the desktop's default program. Tests install their own so
// that nothing is launched; an empty one restores the desktop's.
using DesktopOpener = std::function<bool(const QUrl&)>;
void SetDesktopOpener(DesktopOpener opener);
bool OpenWithDesktop(const QUrl& url);

// A help file named without a folder: the working folder first, then the
// program's folder. The name is matched without regard to case, as the help
// files come from a system where case does not count.
std::optional<QString> FindHelpFile(const QString& name);
// The same search over the given folders, in their order.
std::optional<QString> FindHelpFileIn(const QString& name, const QStringList& folders);

// Finds the help file and opens it once; a file that is not there, or that no
// program will open, is reported in an information box that names it.
void ShowHelpFile(QWidget* parent, const QString& name);

}  // namespace vorun
