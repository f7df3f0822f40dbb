#include "ui/main/ThreadMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QList>
#include <QMenu>
#include <algorithm>

#include "engine/WorkerPool.h"

namespace vorun {

QList<int> ThreadMenuCounts() {
  QList<int> counts = {1, 2, 4, 8};
  const int cores = std::min(AvailableCores(), MaxStepThreads);
  if (!counts.contains(cores)) counts.append(cores);
  std::sort(counts.begin(), counts.end());
  return counts;
}

QMenu* AddThreadMenu(QMenu* menu) {
  QMenu* threads = menu->addMenu("Step Threads");
  threads->setObjectName("StepThreads");
  auto* group = new QActionGroup(threads);
  group->setExclusive(true);
  auto add = [&](const QString& caption, int count) {
    QAction* item = threads->addAction(caption);
    item->setObjectName(QString("Threads%1").arg(count));
    item->setCheckable(true);
    item->setChecked(StepThreadsSetting() == count);
    group->addAction(item);
    QObject::connect(item, &QAction::triggered, item, [count] { SetStepThreads(count); });
  };
  add(QString("Automatic (%1)").arg(DefaultStepThreads()), 0);
  for (int count : ThreadMenuCounts()) add(QString::number(count), count);
  return threads;
}

}  // namespace vorun
