// File > Export Picture and View > Fit to View: the scene as a PNG image of
// what the window shows, or as SVG drawn by the same renderers on a vector
// canvas; and the zoom and pan that bring every taon into sight.
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QSvgGenerator>

#include "model/Error.h"
#include "model/FileAccess.h"
#include "model/Global.h"
#include "ui/Session.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/FileErrors.h"
#include "ui/main/Main.h"
#include "ui/widgets/PainterCanvas.h"
#include "view/FitToView.h"

namespace vorun {

namespace {

const FileDialogRequest PictureFiles{"Pictures (*.png *.svg)|*.png;*.svg", "png"};

QByteArray PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw Error("The picture could not be encoded as PNG");
  return bytes;
}

// The scene drawn again on copies of the ensemble and view, so that exporting
// changes nothing: the spiral is drawn as it stands, not turned once more by a
// pending spin.
QByteArray SvgBytes(const Scene& shown, const QString& title) {
  EnsembleState ensemble = shown.ensemble;
  ViewState view = shown.view;
  view.Teta = view.Psi = view.Phi = 0;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(shown.width, shown.panTop));
  generator.setViewBox(QRect(0, 0, shown.width, shown.panTop));
  generator.setTitle(title);
  QPainter painter(&generator);
  PainterCanvas canvas(painter);
  Redraw(Scene{canvas, shown.width, shown.panTop, shown.scope, shown.split, ensemble, view, shown.spiralMode,
               shown.showNumbers});
  painter.end();
  return bytes;
}

}  // namespace

QImage TMainForm::ScenePicture() {
  scenePacer_.Flush();
  const Scene scene = MakeScene();
  const QImage& image = SceneView->Image();
  return image.copy(0, 0, std::min(scene.width, image.width()), std::min(scene.panTop, image.height()));
}

void TMainForm::ExportPictureClick() {
  Guarded(this, [&] {
    const std::optional<QString> name = Dialogs().SaveFileName(this, PictureFiles);
    if (!name) return;
    const QString type = QFileInfo(*name).suffix().toLower();
    QByteArray bytes;
    if (type == "png")
      bytes = PngBytes(ScenePicture());
    else if (type == "svg")
      bytes = SvgBytes(MakeScene(), QFileInfo(*name).completeBaseName());
    else
      throw Error("'" + name->toStdString() + "': a picture is saved as .png or .svg");
    const std::string file = name->toStdString();
    OnFile("save", file, [&] { ReplaceFile(file, bytes.toStdString()); });
  });
}

void TMainForm::FitToViewClick() {
  // Nothing lies over the scene: the whole of it above the panel is the room.
  Guarded(this, [&] { vorun::FitToViewClick(MakeScene(), 0); });
  SceneView->ImageChanged();
}

}  // namespace vorun
