#include "ui/canvas_widget.h"

#include <QPaintEvent>
#include <QPainter>

namespace kurvimo {

CanvasWidget::CanvasWidget(QWidget *parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kBorder);
  setFixedSize(ImageCanvas::kWidth + 2 * kBorder, ImageCanvas::kHeight + 2 * kBorder);
  setAttribute(Qt::WA_StaticContents);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
}

void CanvasWidget::clear() {
  image_.clear();
  scheduleRepaint();
}

void CanvasWidget::setPixels(std::span<const float> x, std::span<const float> y, QRgb colour) {
  image_.setPixels(x, y, colour);
  scheduleRepaint();
}

QImage CanvasWidget::image() const {
  return image_.image();
}

void CanvasWidget::setBackground(const QImage &picture) {
  image_.setBackground(picture);
  scheduleRepaint();
}

// One repaint after a whole figure, not one per point.
void CanvasWidget::scheduleRepaint() {
  if (repaintPending_) return;
  repaintPending_ = true;
  QMetaObject::invokeMethod(this, &CanvasWidget::repaintChanged, Qt::QueuedConnection);
}

void CanvasWidget::repaintChanged() {
  repaintPending_ = false;
  const QRect changed = image_.takeDirtyRect();
  if (!changed.isEmpty()) update(changed.translated(kBorder, kBorder));
}

void CanvasWidget::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  const QRect area = event->rect() & contentsRect();
  painter.drawImage(area.topLeft(), image_.view(), area.translated(-kBorder, -kBorder));
  painter.end();
  QFrame::paintEvent(event);
}

}  // namespace kurvimo
