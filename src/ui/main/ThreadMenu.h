// The View menu's choice of how many threads a step is shared out over:
// "Automatic" (the cores of the machine, or VORUN_THREADS) or a fixed count.
// A choice takes effect from the next step, also during a run; every result
// is the same whatever the count.
#pragma once

#include <QList>

class QMenu;

namespace vorun {

// Adds the submenu "Step Threads" to menu and returns it.
QMenu* AddThreadMenu(QMenu* menu);

// The fixed counts the submenu offers: 1, 2, 4, 8 and the cores.
QList<int> ThreadMenuCounts();

}  // namespace vorun
