// Where the windows were left, so that the next start opens them there again.
// Kept in an INI file beside the start file; a place on a screen that no
// longer exists is brought back onto one that does.
#pragma once

#include <QString>

class QWidget;

namespace vorun {

// The file the places are kept in; empty keeps nothing (tests, unless they
// choose a file). The program sets it to DefaultWindowPlacesPath() at start.
extern QString WindowPlacesPath;
// Windows.ini in the folder of the start file.
QString DefaultWindowPlacesPath();

// False when no place was kept for this window.
bool RestoreWindowPlace(QWidget* window, const QString& key);
void SaveWindowPlace(const QWidget* window, const QString& key);

}  // namespace vorun
