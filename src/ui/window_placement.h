#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace kurvimo {

// Where a secondary window's top-left corner goes, in twips (1/1440 inch).
struct TwipPosition {
  float left;
  float top;
};

// About a quarter of the screen in from its left and top edges; the window's own size plays no
// part. `width` and `height` are the screen's size in twips.
TwipPosition placeOnScreen(float width, float height);

// The same rule for a screen at `screen` in pixels of `dotsPerInch`, wherever it sits among the
// screens; answered in pixels.
QPoint placeOnScreen(const QRect &screen, double dotsPerInch);

// Puts a secondary window about a quarter of the primary screen in from its left and top.
void placeSecondaryWindow(QWidget *window);

}  // namespace kurvimo
