// The scene of the main window and the run indicators beside Go.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "ui/widgets/QtCanvas.h"
#include "ui/widgets/RepaintPacer.h"

namespace vorun {

class TMainForm;

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

// The scene: shows the image the renderers paint on and passes mouse presses
// over the scene to the form. A paint that no drawing asked for (the window was
// shown, resized or uncovered) is the form's paint event and redraws first.
class TSceneView : public QWidget {
 public:
  TSceneView(TMainForm* form, QSize size);
  QImage& Image() { return image_; }
  QtCanvas& Canvas() { return canvas_; }
  // Called after a renderer painted on the image: show it at the next event
  // turn or, while repaints are paced (a run), with the changes that follow it
  // within the interval.
  void ImageChanged();
  void SetPacedRepaints(bool paced) { paced_ = paced; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TMainForm* form_;
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
