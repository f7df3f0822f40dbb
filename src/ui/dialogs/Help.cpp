#include "ui/dialogs/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/dialogs/Dialogs.h"

// The help text is a resource of this static library; the linker keeps it
// only when something refers to it, and this is that reference.
static void InitHelpResource() { Q_INIT_RESOURCE(help); }

namespace vorun {

namespace {

DesktopOpener& Opener() {
  static DesktopOpener opener;
  return opener;
}

std::optional<QString> FindIn(const QDir& dir, const QString& name) {
  const QFileInfo exact(dir.filePath(name));
  if (exact.isFile()) return exact.absoluteFilePath();
  const QStringList found = dir.entryList({name}, QDir::Files | QDir::Readable, QDir::Name);
  if (found.isEmpty()) return std::nullopt;
  return dir.absoluteFilePath(found.first());
}

}  // namespace

QUrl HelpTextUrl() { return QUrl("qrc:/help/index.html"); }

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  InitHelpResource();
  setWindowTitle("Vorun Help");
  Browser = new QTextBrowser(this);
  Browser->setOpenExternalLinks(false);
  Browser->setSource(HelpTextUrl());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Browser);
  resize(640, 560);
  // A window that only shows text closes as a dialog does.
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  close->setContext(Qt::WindowShortcut);
  connect(close, &QShortcut::activated, this, &QWidget::close);
}

void SetDesktopOpener(DesktopOpener opener) { Opener() = std::move(opener); }

bool OpenWithDesktop(const QUrl& url) {
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(url);
}

std::optional<QString> FindHelpFile(const QString& name) {
  return FindHelpFileIn(name, {QDir::currentPath(), QCoreApplication::applicationDirPath()});
}

std::optional<QString> FindHelpFileIn(const QString& name, const QStringList& folders) {
  // A name with a folder or a wildcard in it would search elsewhere.
  if (name.isEmpty() || name.contains('/') || name.contains('\\') || name.contains('*') ||
      name.contains('?') || name.contains('['))
    return std::nullopt;
  for (const QString& folder : folders)
    if (auto found = FindIn(QDir(folder), name)) return found;
  return std::nullopt;
}

void ShowHelpFile(QWidget* parent, const QString& name) {
  const std::optional<QString> file = FindHelpFile(name);
  if (!file) {
    Dialogs().Message(
        parent, MessageKind::Information,
        QString("The help file \"%1\" was not found in the working folder or in the program's folder.")
            .arg(name),
        MessageButtons::Ok);
    return;
  }
  if (!OpenWithDesktop(QUrl::fromLocalFile(*file)))
    Dialogs().Message(parent, MessageKind::Information,
                      QString("No program on this computer opens the help file \"%1\".").arg(*file),
                      MessageButtons::Ok);
}

}  // namespace vorun
