#include "ui/WindowPlaces.h"

#include <QFileInfo>
#include <QSettings>
#include <QWidget>

#include "model/StartFile.h"

namespace vorun {

QString WindowPlacesPath;

QString DefaultWindowPlacesPath() {
  return QFileInfo(QString::fromStdString(StartFilePath)).absolutePath() + "/Windows.ini";
}

bool RestoreWindowPlace(QWidget* window, const QString& key) {
  if (WindowPlacesPath.isEmpty()) return false;
  const QByteArray place = QSettings(WindowPlacesPath, QSettings::IniFormat).value(key).toByteArray();
  // restoreGeometry moves a window whose screen has gone onto one that exists.
  return !place.isEmpty() && window->restoreGeometry(place);
}

void SaveWindowPlace(const QWidget* window, const QString& key) {
  if (WindowPlacesPath.isEmpty()) return;
  QSettings(WindowPlacesPath, QSettings::IniFormat).setValue(key, window->saveGeometry());
}

}  // namespace vorun
