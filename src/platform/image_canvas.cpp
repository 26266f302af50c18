#include "platform/image_canvas.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "platform/rounding.h"

namespace kurvimo {

namespace {
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kOpaque = 0xFF000000;
}  // namespace

ImageCanvas::ImageCanvas() : background_(kWidth, kHeight, QImage::Format_RGB32) {
  background_.fill(kWhite);
  resetImage();
}

void ImageCanvas::resetImage() {
  image_ = background_.copy();
  pixels_ = reinterpret_cast<QRgb *>(image_.bits());
  stride_ = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
  forgetDrawn();
  dirty_ = image_.rect();
}

void ImageCanvas::forgetDrawn() {
  drawnLeft_ = kWidth;
  drawnTop_ = kHeight;
  drawnRight_ = drawnBottom_ = -1;
}

QRect ImageCanvas::drawnRect() const {
  if (drawnRight_ < 0) return {};
  return QRect(QPoint(drawnLeft_, drawnTop_), QPoint(drawnRight_, drawnBottom_));
}

void ImageCanvas::clear() {
  if (drawnRight_ < 0) return;
  // Only the points drawn since the last Clear differ from the background.
  const size_t rowBytes = sizeof(QRgb) * static_cast<size_t>(drawnRight_ - drawnLeft_ + 1);
  for (int row = drawnTop_; row <= drawnBottom_; ++row) {
    const auto *from = reinterpret_cast<const QRgb *>(background_.constScanLine(row));
    std::memcpy(pixels_ + row * stride_ + drawnLeft_, from + drawnLeft_, rowBytes);
  }
  dirty_ |= drawnRect();
  forgetDrawn();
}

void ImageCanvas::setPixels(std::span<const float> x, std::span<const float> y, QRgb colour) {
  // The bounds live in locals for the run: the pixel writes could otherwise alias them.
  int left = drawnLeft_, right = drawnRight_, top = drawnTop_, bottom = drawnBottom_;
  const QRgb pixel = colour | kOpaque;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const std::int64_t column = roundHalfEven(x[i]);
    const std::int64_t row = roundHalfEven(y[i]);
    // Below 0, beyond the edge and NaN alike fall outside as unsigned values.
    if (static_cast<std::uint64_t>(column) >= kWidth || static_cast<std::uint64_t>(row) >= kHeight)
      continue;
    const int c = static_cast<int>(column);
    const int r = static_cast<int>(row);
    pixels_[r * stride_ + c] = pixel;
    left = std::min(left, c);
    right = std::max(right, c);
    top = std::min(top, r);
    bottom = std::max(bottom, r);
  }
  drawnLeft_ = left;
  drawnRight_ = right;
  drawnTop_ = top;
  drawnBottom_ = bottom;
}

// A deep copy: image_ must never be shared, or setPixels would write into the copy too.
QImage ImageCanvas::image() const {
  return image_.copy();
}

void ImageCanvas::setBackground(const QImage &picture) {
  background_.fill(kWhite);
  QPainter painter(&background_);
  painter.drawImage(0, 0, picture);
  painter.end();
  resetImage();
}

// The points drawn since the last Clear count as changed until the next Clear; tracking them twice
// would cost setPixels more than repainting their bounds costs the screen.
QRect ImageCanvas::takeDirtyRect() {
  const QRect changed = dirty_ | drawnRect();
  dirty_ = QRect();
  return changed;
}

}  // namespace kurvimo
