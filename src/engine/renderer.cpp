#include "engine/renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/palette.h"

namespace kurvimo {

namespace {

constexpr double kMinXStart = 1000.0;
constexpr double kMaxXStart = 0.0;
constexpr double kTenths = 10.0;

}  // namespace

FigureWalk::FigureWalk(const TermTables &terms, int n) : terms_(terms), n_(LiveTerms(n)) {}

// The order of every operation is fixed: the plotted pixels depend on the last bit.
void FigureWalk::Next() {
  for (int j = 0; j < n_; ++j) {
    cosX_[j] = std::cos(phaseX_[j]);
    sinY_[j] = std::sin(phaseY_[j]);
  }
  double stepX = 0.0;
  double stepY = 0.0;
  for (int j = 0; j < n_; ++j) {
    stepX = stepX + (terms_.xAmp[j] * cosX_[j]) / kTenths;
    stepY = stepY + (terms_.yAmp[j] * sinY_[j]) / kTenths;
  }
  posX = posX + stepX;
  posY = posY + stepY;
  for (int j = 0; j < n_; ++j) {
    phaseX_[j] = phaseX_[j] + terms_.xFreq[j] / kTenths;
    phaseY_[j] = phaseY_[j] + terms_.yFreq[j] / kTenths;
  }
}

std::int16_t RoundToInt16(double value) {
  constexpr double kLow = std::numeric_limits<std::int16_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(std::clamp(std::nearbyint(value), kLow, kHigh));
}

void DrawFigure(FigureModel &model, Canvas &canvas) {
  const double scale = model.bairitu;
  const double originX = model.xichi;
  const double originY = model.yichi;
  FigureWalk walk(model.terms, model.kansuu);

  double minX = kMinXStart;
  double maxX = kMaxXStart;
  for (int i = 0; i < kStepsPerPass; ++i) {
    walk.Next();
    const double t = scale * walk.posX + originX;
    if (t < minX) minX = t;
    if (t > maxX) maxX = t;
  }

  const std::int16_t xCenter = RoundToInt16(minX + (maxX - minX) / 2);
  if (model.xCenterRef != 0) model.xShift = RoundToInt16(model.xCenterRef - xCenter);

  const double shift = model.xShift;
  const QRgb colour = QBColor(model.colorIndex);
  for (int i = 0; i < kStepsPerPass; ++i) {
    walk.Next();
    const double x = (scale * walk.posX + originX) + shift;
    const double y = scale * walk.posY + originY;
    canvas.PSet(static_cast<float>(x), static_cast<float>(y), colour);
  }

  if (model.centerSet == 0 && model.reserveMode == 0) model.xCenterRef = xCenter;
  model.centerSet = 1;
}

}  // namespace kurvimo
