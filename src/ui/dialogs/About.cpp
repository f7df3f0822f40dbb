#include "ui/dialogs/About.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui/widgets/Icons.h"

namespace vorun {

namespace {

constexpr int IconSize = 33;

QLabel* Picture(QWidget* parent, int x, int y) {
  auto* l = new QLabel(parent);
  l->setGeometry(x, y, IconSize, IconSize);
  l->setScaledContents(true);
  return l;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  setFixedSize(343, 222);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  Panel = new QFrame(this);
  Panel->setGeometry(8, 8, 329, 169);
  Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel->setLineWidth(1);

  AboutIcon = Picture(Panel, 16, 16);
  AboutIcon->setPixmap(MakeAboutIcon());
  ProgramIcon = Picture(Panel, 280, 16);

  ProductName = new QLabel("Vorun", Panel);
  QFont serif;
  serif.setFamilies({"MS Serif", "Times New Roman", "DejaVu Serif"});
  serif.setStyleHint(QFont::Serif);
  serif.setPixelSize(24);
  ProductName->setFont(serif);
  QPalette red = ProductName->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  ProductName->setPalette(red);
  ProductName->move(131, 16);
  ProductName->adjustSize();

  Version = new QLabel("Version " VORUN_VERSION, Panel);
  Version->move(136, 48);
  Version->adjustSize();

  OKButton = new QPushButton("OK", this);
  OKButton->setGeometry(135, 188, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
  // The main window's icon as it is now; the application's when it has none of its own.
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  const QIcon icon = owner != nullptr ? owner->windowIcon() : QApplication::windowIcon();
  ProgramIcon->setPixmap(icon.pixmap(IconSize, IconSize));
  if (const QScreen* s = screen()) {
    // The box with its frame, as the window system draws it, in the middle.
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
  }
  QDialog::showEvent(event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vorun
