// Where the windows were left, so that the next start opens them there again.
// Kept in an INI file beside the start file; a place on a screen that no
// longer exists is brought back onto one that does.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace vorun {

// Windows.ini in the folder of the start file.
QString DefaultWindowPlacesPath(const std::string& startFile);

// The places are kept in the file named first; an empty name keeps nothing
// (tests, unless they choose a file). False when no place was kept for this
// window.
bool RestoreWindowPlace(const QString& file, QWidget* window, const QString& key);
void SaveWindowPlace(const QString& file, const QWidget* window, const QString& key);

}  // namespace vorun
