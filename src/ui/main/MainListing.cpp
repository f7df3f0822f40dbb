// The listing on the "Listing" page: one row per slot with its positions or,
// after a double click, its velocities. A read-only view of the ensemble.
#include "model/Global.h"
#include "ui/Session.h"
#include "ui/main/ListingPage.h"
#include "ui/main/Main.h"
#include "ui/widgets/SlotListing.h"
#include "ui/widgets/StringGrid.h"

namespace vorun {

// Refilled after every step of a run, so it must stay cheap (FillSlotGrid).
void TMainForm::FillListing() {
  FillSlotGrid(*TabSheet1->Grid(), session_.Ensemble, session_.Display.ListVelocities != 0);
}

void TMainForm::DaonsTableDblClick() {
  session_.Display.ListVelocities ^= 1;
  FillListing();
}

}  // namespace vorun
