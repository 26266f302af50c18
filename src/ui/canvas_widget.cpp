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

void CanvasWidget::Clear() {
  image_.Clear();
  ScheduleRepaint();
}

void CanvasWidget::SetPixel(float x, float y, QRgb colour) {
  image_.SetPixel(x, y, colour);
  ScheduleRepaint();
}

void CanvasWidget::SetPixels(std::span<const float> x, std::span<const float> y, QRgb colour) {
  image_.SetPixels(x, y, colour);
  ScheduleRepaint();
}

QImage CanvasWidget::Image() const {
  return image_.Image();
}

void CanvasWidget::SetBackground(const QImage &picture) {
  image_.SetBackground(picture);
  ScheduleRepaint();
}

// One repaint after a whole figure, not one per point.
void CanvasWidget::ScheduleRepaint() {
  if (repaintPending_) return;
  repaintPending_ = true;
  QMetaObject::invokeMethod(this, &CanvasWidget::RepaintChanged, Qt::QueuedConnection);
}

void CanvasWidget::RepaintChanged() {
  repaintPending_ = false;
  const QRect changed = image_.TakeDirtyRect();
  if (!changed.isEmpty()) update(changed.translated(kBorder, kBorder));
}

void CanvasWidget::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  const QRect area = event->rect() & contentsRect();
  painter.drawImage(area.topLeft(), image_.View(), area.translated(-kBorder, -kBorder));
  painter.end();
  QFrame::paintEvent(event);
}

}  // namespace kurvimo
