#include "ui/main/ListingPage.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "ui/widgets/ChoiceButtons.h"
#include "ui/widgets/Palette.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/Widgets.h"

namespace vorun {

namespace {

// A split's button, on the row of the split fields.
QRadioButton* SplitRadio(QButtonGroup* group, QWidget* parent, ColourSplit value, const char* name, int x,
                         int w) {
  QRadioButton* b = ChoiceButton(group, parent, SplitChoices, value, x, 120, w, 17);
  b->setObjectName(name);
  return b;
}

}  // namespace

TListingPage::TListingPage() {
  setObjectName("TabSheet1");
  DaonsTable = new StringGrid(4, 61, this);
  DaonsTable->setObjectName("DaonsTable");
  DaonsTable->setGeometry(0, 6, 349, 99);
  DaonsTable->SetDefaultColumnWidth(80);
  DaonsTable->SetDefaultRowHeight(18);
  DaonsTable->SetRowHeight(1, 20);
  // A value wider than its column is cut at the edge, not shortened to an ellipsis.
  DaonsTable->setTextElideMode(Qt::ElideNone);
  connect(DaonsTable, &StringGrid::DoubleClicked, this, &TListingPage::GridDoubleClicked);

  Colours = new QGroupBox("Colours", this);
  Colours->setObjectName("Colours");
  // At the page's left edge, not beyond it, so that the caption shows whole.
  Colours->setGeometry(0, 104, 349, 41);
  SplitGroup = new QButtonGroup(this);
  SplitGroup->setObjectName("SplitGroup");
  Ak = SplitRadio(SplitGroup, this, ColourSplit::Ak, "Ak", 8, 17);
  Edit7 = MakeField(this, "1  -:- 30", 24, 120, 49, 21);
  Edit8 = MakeField(this, "31 -:- 60", 72, 120, 49, 21);
  Edit7->setObjectName("Edit7");
  Edit8->setObjectName("Edit8");
  SetBase(Edit7, ColourLime);
  SetBase(Edit8, ColourYellow);
  Bk = SplitRadio(SplitGroup, this, ColourSplit::Bk, "Bk", -103, 104);
  Ck = SplitRadio(SplitGroup, this, ColourSplit::Ck, "Ck", -32, 33);
  Ak->setChecked(true);
}

ColourSplit TListingPage::Split() const { return CheckedChoice<ColourSplit>(SplitGroup); }

void TListingPage::FollowPanelEdge(int panelLeft) {
  DaonsTable->resize(panelLeft - 7, DaonsTable->height());
  DaonsTable->SetDefaultColumnWidth((panelLeft - 35) / 6);
}

void TListingPage::FitIntoPage(int panelLeft) {
  const QSize listing = size();
  int gridWidth = panelLeft - 7;
  if (listing.width() > 1) {
    gridWidth = std::min(gridWidth, listing.width() - DaonsTable->x());
    Colours->setGeometry(Colours->x(), Colours->y(), std::min(349, listing.width() - Colours->x()),
                         std::min(41, listing.height() - Colours->y()));
  }
  DaonsTable->resize(gridWidth, DaonsTable->height());
  const int rest = DaonsTable->viewport()->width() - DaonsTable->columnWidth(0);
  if (rest > 0)
    for (int c = 1; c < DaonsTable->columnCount(); ++c)
      DaonsTable->setColumnWidth(c, std::max(DaonsTable->columnWidth(0), rest / 3));
}

}  // namespace vorun
