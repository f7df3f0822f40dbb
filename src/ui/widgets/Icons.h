// The program's icons, drawn in code so that the build needs no image files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vorun {

// The program's icon: a few taons and a wire edge on the black scene.
QIcon MakeProgramIcon();
// The about box's own picture: a taon on its orbit.
QPixmap MakeAboutIcon();
// The glyphs of Go: a green tick while it starts a run, a red cross while it stops one.
QIcon MakeOkGlyph();
QIcon MakeCancelGlyph();

}  // namespace vorun
