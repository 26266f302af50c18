#pragma once

#include <QPoint>
#include <QSize>

namespace kurvimo {

// Where a secondary window's top-left corner goes, in twips (1/1440 inch).
struct TwipPosition {
  float left;
  float top;
};

// About a quarter of the screen in from its left and top edges; the window's own size plays no
// part. `width` and `height` are the screen's size in twips.
TwipPosition PlaceOnScreen(float width, float height);

// The same rule for a screen measured in pixels at `dotsPerInch`, answered in pixels.
QPoint PlaceOnScreen(QSize screenPixels, double dotsPerInch);

}  // namespace kurvimo
