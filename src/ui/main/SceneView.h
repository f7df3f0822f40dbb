// The scene of the main window and the run indicators beside Go.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "ui/widgets/QtCanvas.h"
#include "ui/widgets/RepaintPacer.h"

namespace vorun {

// A filled circle, the run indicators beside Go.
class TShape : public QWidget {
 public:
  explicit TShape(QWidget* parent, QColor brush);
  QColor BrushColour() const { return brush_; }
  void SetBrushColour(QColor colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor brush_;
};

// The scene: shows the image the renderers paint on and tells the window of
// mouse presses over it. A paint that no drawing asked for (the window was
// shown, resized or uncovered) asks the window to redraw first: the signal
// Unpainted is handled before the image is shown.
class TSceneView : public QWidget {
  Q_OBJECT

 public:
  TSceneView(QWidget* parent, QSize size);
  QImage& Image() { return image_; }
  QtCanvas& Canvas() { return canvas_; }
  // Called after a renderer painted on the image: show it at the next event
  // turn or, while repaints are paced (a run), with the changes that follow it
  // within the interval.
  void ImageChanged();
  void SetPacedRepaints(bool paced) { paced_ = paced; }

 signals:
  // A paint came that no drawing asked for; the image is shown after it.
  void Unpainted();
  // The image has the new size, black where it grew.
  void Resized();
  // In the scene's own pixels.
  void MousePressed(Qt::MouseButton button, int x, int y);
  void MouseReleased(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage image_;
  QtCanvas canvas_{image_};
  bool fresh_ = false;
  bool paced_ = false;
  RepaintPacer pacer_{[this] {
    fresh_ = true;
    update();
  }};
};

}  // namespace vorun
