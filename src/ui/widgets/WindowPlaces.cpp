#include "ui/widgets/WindowPlaces.h"

#include <QFileInfo>
#include <QSettings>
#include <QWidget>

namespace vorun {

QString DefaultWindowPlacesPath(const std::string& startFile) {
  return QFileInfo(QString::fromStdString(startFile)).absolutePath() + "/Windows.ini";
}

bool RestoreWindowPlace(const QString& file, QWidget* window, const QString& key) {
  if (file.isEmpty()) return false;
  const QByteArray place = QSettings(file, QSettings::IniFormat).value(key).toByteArray();
  // restoreGeometry moves a window whose screen has gone onto one that exists.
  return !place.isEmpty() && window->restoreGeometry(place);
}

void SaveWindowPlace(const QString& file, const QWidget* window, const QString& key) {
  if (file.isEmpty()) return;
  QSettings(file, QSettings::IniFormat).setValue(key, window->saveGeometry());
}

}  // namespace vorun
