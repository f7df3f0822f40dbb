#include "ui/main/SceneView.h"

#include <QMouseEvent>
#include <QPainter>

namespace vorun {

TShape::TShape(QWidget* parent, QColor brush) : QWidget(parent), brush_(brush) {}

void TShape::SetBrushColour(QColor colour) {
  brush_ = colour;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::black);
  painter.setBrush(brush_);
  painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

TSceneView::TSceneView(QWidget* parent, QSize size) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_ = QImage(size, QImage::Format_RGB32);
  image_.fill(Qt::black);
}

void TSceneView::ImageChanged() {
  fresh_ = true;
  pacer_.Changed(paced_);
}

void TSceneView::paintEvent(QPaintEvent*) {
  if (!fresh_) emit Unpainted();
  fresh_ = false;
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void TSceneView::resizeEvent(QResizeEvent*) {
  if (image_.size() != size() && !size().isEmpty()) {
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Qt::black);
    QPainter painter(&resized);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = resized;
  }
  emit Resized();
}

void TSceneView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MousePressed(event->button(), p.x(), p.y());
}

void TSceneView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  emit MouseReleased(event->button(), p.x(), p.y());
}

}  // namespace vorun
