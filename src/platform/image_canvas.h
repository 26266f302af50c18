#pragma once

#include <QImage>
#include <QRect>

#include "platform/canvas.h"

namespace kurvimo {

// A canvas kept in memory: the persistent image behind the on-screen canvas, also usable alone.
class ImageCanvas final : public Canvas {
 public:
  static constexpr int kWidth = 517;
  static constexpr int kHeight = 485;

  ImageCanvas();

  void clear() override;
  void setPixels(std::span<const float> x, std::span<const float> y, QRgb colour) override;
  QImage image() const override;
  void setBackground(const QImage &picture) override;

  // The image itself, for painting it without a copy.
  const QImage &view() const { return image_; }
  // The area changed since the previous call; empty when nothing changed.
  QRect takeDirtyRect();

 private:
  void resetImage();
  void forgetDrawn();
  QRect drawnRect() const;

  QImage background_;
  QImage image_;
  QRgb *pixels_ = nullptr;  // image_'s memory; image_ is never shared, so this stays valid
  qsizetype stride_ = 0;    // in pixels
  int drawnLeft_ = kWidth;  // bounds of the points drawn since the last Clear
  int drawnTop_ = kHeight;
  int drawnRight_ = -1;
  int drawnBottom_ = -1;
  QRect dirty_;
};

}  // namespace kurvimo
