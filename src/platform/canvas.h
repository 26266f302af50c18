#pragma once

#include <QImage>
#include <QRgb>
#include <span>

namespace kurvimo {

// The drawing surface the figure logic paints on. Coordinates are pixels of the drawable area,
// x to the right and y downwards from its top-left corner.
class Canvas {
 public:
  virtual ~Canvas() = default;

  // Erases every drawn point; the background picture stays.
  virtual void clear() = 0;
  // Lights the pixel nearest each point of a run, in order. A point outside the drawable area is
  // dropped silently.
  virtual void setPixels(std::span<const float> x, std::span<const float> y, QRgb colour) = 0;
  // The canvas as shown: background picture plus every point drawn since the last Clear.
  virtual QImage image() const = 0;
  // Makes `picture` the background; the canvas then shows it and nothing else.
  virtual void setBackground(const QImage &picture) = 0;
};

}  // namespace kurvimo
