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

  void clear() override;
  void setPixels(std::span<const float> x, std::span<const float> y, QRgb colour) override;
  QImage image() const override;
  void setBackground(const QImage &picture) override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void scheduleRepaint();
  void repaintChanged();

  ImageCanvas image_;
  bool repaintPending_ = false;
};

}  // namespace kurvimo
