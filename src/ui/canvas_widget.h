#pragma once

#include <QFrame>

#include "platform/image_canvas.h"

namespace kurvimo {

// The on-screen canvas: a sunken frame around a persistent image that the figure draws into.
class CanvasWidget final : public QFrame, public Canvas {
  Q_OBJECT

 public:
  static constexpr int kBorder = 2;

  explicit CanvasWidget(QWidget *parent = nullptr);

  void Clear() override;
  void SetPixel(float x, float y, QRgb colour) override;
  void SetPixels(std::span<const float> x, std::span<const float> y, QRgb colour) override;
  QImage Image() const override;
  void SetBackground(const QImage &picture) override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void ScheduleRepaint();
  void RepaintChanged();

  ImageCanvas image_;
  bool repaintPending_ = false;
};

}  // namespace kurvimo
