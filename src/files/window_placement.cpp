#include "files/window_placement.h"

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

}  // namespace kurvimo
