#include "ui/main/NavigationPad.h"

#include <QAction>
#include <QKeySequence>
#include <QToolButton>

#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// The pad's corner in the run panel.
constexpr int PadX = 4, PadY = 131;

}  // namespace

TNavigationPad::TNavigationPad(QWidget* panel) : QWidget(panel) {
  setObjectName("NavigationPad");
  setGeometry(PadX, PadY, 87, 70);
  const auto button = [&](const char* name, const QString& glyph, int x, int y, int w) {
    QToolButton* b = MakeFlatButton(this, glyph, x - PadX, y - PadY, w, 22);
    b->setObjectName(name);
    return b;
  };
  DaoBack = button("DaoBack", QString(QChar(0x2B08)), 4, 131, 37);
  DaoTeta = button("DaoTeta", QString(QChar(0x21E7)), 44, 131, 23);
  DaoPsi = button("DaoPsi", QString(QChar(0x2B01)), 68, 131, 23);
  DaoPhi = button("DaoPhi", QString(QChar(0x21E6)), 20, 155, 23);
  DaoStop = button("DaoStop", QString(), 44, 155, 23);
  DaoPhi1 = button("DaoPhi1", QString(QChar(0x21E8)), 68, 155, 23);
  DaoForvard = button("DaoForvard", QString(QChar(0x2B0B)), 4, 179, 37);
  DaoTeta1 = button("DaoTeta1", QString(QChar(0x21E9)), 44, 179, 23);
  DaoPsi1 = button("DaoPsi1", QString(QChar(0x2B03)), 68, 179, 23);
  for (QToolButton* b : {DaoBack, DaoTeta, DaoPsi, DaoPhi, DaoPhi1, DaoForvard, DaoTeta1, DaoPsi1}) {
    QFont f = b->font();
    f.setPixelSize(16);
    b->setFont(f);
  }

  // Keys for the pad, on keys nothing else in the window takes; each
  // button's tooltip says what it does and names its key.
  const struct {
    QToolButton* button;
    void (TNavigationPad::*signal)();
    const char* does;
    QKeySequence key;
  } pad[] = {
      {DaoTeta, &TNavigationPad::TetaClicked, "Turn about the x axis", QKeySequence(Qt::ALT | Qt::Key_Up)},
      {DaoTeta1, &TNavigationPad::Teta1Clicked, "Turn back about the x axis",
       QKeySequence(Qt::ALT | Qt::Key_Down)},
      {DaoPsi, &TNavigationPad::PsiClicked, "Turn about the y axis", QKeySequence(Qt::ALT | Qt::Key_PageUp)},
      {DaoPsi1, &TNavigationPad::Psi1Clicked, "Turn back about the y axis",
       QKeySequence(Qt::ALT | Qt::Key_PageDown)},
      {DaoPhi, &TNavigationPad::PhiClicked, "Turn about the z axis", QKeySequence(Qt::ALT | Qt::Key_Left)},
      {DaoPhi1, &TNavigationPad::Phi1Clicked, "Turn back about the z axis",
       QKeySequence(Qt::ALT | Qt::Key_Right)},
      {DaoStop, &TNavigationPad::StopClicked, "Stop turning", QKeySequence(Qt::ALT | Qt::Key_End)},
      {DaoForvard, &TNavigationPad::ForvardClicked, "Zoom in", QKeySequence(QKeySequence::ZoomIn)},
      {DaoBack, &TNavigationPad::BackClicked, "Zoom out", QKeySequence(QKeySequence::ZoomOut)},
  };
  for (const auto& [b, signal, does, key] : pad) {
    connect(b, &QToolButton::clicked, this, signal);
    auto* action = new QAction(does, this);
    action->setShortcut(key);
    connect(action, &QAction::triggered, b, &QToolButton::click);
    addAction(action);
    b->setToolTip(QString("%1 (%2)").arg(does, key.toString(QKeySequence::NativeText)));
  }
}

}  // namespace vorun
