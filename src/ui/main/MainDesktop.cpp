// What a desktop program is expected to offer beside its own commands: the
// recent files, a file dropped on the window or named on the command line
// (each opened through the one Open path), picture export, fit to view and the
// readouts window, and their menu items.
#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "model/RecentFiles.h"
#include "ui/Session.h"
#include "ui/main/Main.h"

namespace vorun {

namespace {

// The first local ensemble file among the dropped things, or an empty text.
QString DroppedEnsemble(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString name = url.toLocalFile();
    if (QFileInfo(name).suffix().compare("tvx", Qt::CaseInsensitive) == 0) return name;
  }
  return {};
}

// Takes drags of ensemble files over the main window. The file is opened
// after the drop has ended: the Open path may ask a question, and a modal box
// inside the drop would hold the dragging program until it is answered.
class EnsembleDrops final : public QObject {
 public:
  explicit EnsembleDrops(TMainForm* form) : QObject(form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != form_) return false;
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (DroppedEnsemble(drag->mimeData()).isEmpty()) return false;
        drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString name = DroppedEnsemble(drop->mimeData());
        if (name.isEmpty()) return false;
        drop->acceptProposedAction();
        QTimer::singleShot(0, form_, [form = form_, name] { form->OpenEnsemble(name); });
        return true;
      }
      default:
        return false;
    }
  }

 private:
  TMainForm* form_;
};

}  // namespace

void TMainForm::CreateDesktopActions() {
  RecentFiles = new QMenu("Recent Files", this);
  RecentFiles->setObjectName("RecentFiles");
  File1->insertMenu(Save1, RecentFiles);
  // Another instance of the program may have changed the list meanwhile.
  connect(RecentFiles, &QMenu::aboutToShow, this, &TMainForm::RefreshRecentFiles);
  RefreshRecentFiles();

  ExportPicture = new QAction("Export Picture ...", this);
  ExportPicture->setObjectName("ExportPicture");
  connect(ExportPicture, &QAction::triggered, this, &TMainForm::ExportPictureClick);
  // Before the separator that leads to Exit.
  File1->insertAction(File1->actions().at(File1->actions().indexOf(Saveas1) + 1), ExportPicture);

  // Beside Move to center, the other command that places the picture.
  FitToView = new QAction("Fit to View", this);
  FitToView->setObjectName("FitToView");
  const QList<QAction*> viewItems = View1->actions();
  const qsizetype moveAt = viewItems.indexOf(MoveToCenter);
  View1->insertAction(moveAt + 1 < viewItems.size() ? viewItems[moveAt + 1] : nullptr, FitToView);
  FitToView->setShortcut(QKeySequence(Qt::Key_F9));
  connect(FitToView, &QAction::triggered, this, &TMainForm::FitToViewClick);

  View1->addSeparator();
  ShowReadouts = View1->addAction("Readouts");
  ShowReadouts->setObjectName("ShowReadouts");
  connect(ShowReadouts, &QAction::triggered, this, &TMainForm::ReadoutsClick);

  setAcceptDrops(true);
  installEventFilter(new EnsembleDrops(this));
}

void TMainForm::NoteRecentFile(const QString& name) {
  // The list is a convenience: failing to store it must not turn a good
  // open or save into a reported failure.
  try {
    RememberRecentFile(session_.StartFilePath, name.toStdString());
  } catch (const std::exception&) {
  }
  RefreshRecentFiles();
}

void TMainForm::RefreshRecentFiles() {
  RecentFiles->clear();
  const std::vector<std::string> names = ReadRecentFiles(session_.StartFilePath);
  if (names.empty()) {
    RecentFiles->addAction("(none)")->setEnabled(false);
    return;
  }
  int number = 0;
  for (const std::string& entry : names) {
    const QString name = QString::fromStdString(entry);
    // "&1" .. "&8" give the keyboard a way into the list; a name's own "&" is doubled.
    QAction* item =
        RecentFiles->addAction(QString("&%1 %2").arg(++number).arg(QString(name).replace("&", "&&")));
    item->setData(name);
    connect(item, &QAction::triggered, this, [this, name] { OpenEnsemble(name); });
  }
}

void TMainForm::OpenFromCommandLine(const QStringList& files) {
  if (files.isEmpty()) return;
  // The start file and the recent files must name it from any folder.
  OpenEnsemble(QFileInfo(files.first()).absoluteFilePath());
}

}  // namespace vorun
