#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <cstdint>

#include "platform/rounding.h"

namespace kurvimo {

namespace {

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

TwipPosition placeOnScreen(float width, float height) {
  const std::int64_t w = roundHalfEven(width);
  const std::int64_t h = roundHalfEven(height);
  // Two truncated quotients, not w / 4: 20490 gives 10245 - 5122 = 5123.
  return {static_cast<float>(w / 2 - w / 4), static_cast<float>(h / 4)};
}

QPoint placeOnScreen(const QRect &screen, double dotsPerInch) {
  const double twipsPerPixel = kTwipsPerInch / dotsPerInch;
  const TwipPosition at = placeOnScreen(static_cast<float>(screen.width() * twipsPerPixel),
                                        static_cast<float>(screen.height() * twipsPerPixel));
  return screen.topLeft() + QPoint(static_cast<int>(std::lround(at.left / twipsPerPixel)),
                                   static_cast<int>(std::lround(at.top / twipsPerPixel)));
}

void placeSecondaryWindow(QWidget *window) {
  const QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  window->move(placeOnScreen(screen->geometry(), screen->logicalDotsPerInchX()));
}

}  // namespace kurvimo
