#include "engine/renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/fast_walk.h"
#include "engine/figure_walk.h"
#include "platform/palette.h"
#include "platform/rounding.h"

namespace kurvimo {

namespace {

constexpr double kMinXStart = 1000.0;
constexpr double kMaxXStart = 0.0;
constexpr int kExtentWays = 4;

// The nearest 16-bit value, exact halves to the even neighbour; saturates outside the range.
std::int16_t roundToInt16(double value) {
  return static_cast<std::int16_t>(
      std::clamp<std::int64_t>(roundHalfEven(value), INT16_MIN, INT16_MAX));
}

class CanvasSink final : public PlotSink {
 public:
  CanvasSink(Canvas &canvas, QRgb colour) : canvas_(canvas), colour_(colour) {}

  void plot(std::span<const double> x, std::span<const double> y) override {
    std::array<float, kWalkBlock> column;
    std::array<float, kWalkBlock> row;
    for (std::size_t start = 0; start < x.size(); start += kWalkBlock) {
      const std::size_t n = std::min<std::size_t>(kWalkBlock, x.size() - start);
      for (std::size_t i = 0; i < n; ++i) {
        column[i] = static_cast<float>(x[start + i]);
        row[i] = static_cast<float>(y[start + i]);
      }
      canvas_.setPixels({column.data(), n}, {row.data(), n}, colour_);
    }
  }

 private:
  Canvas &canvas_;
  const QRgb colour_;
};

// Where the walk's origin lands on the canvas and how far one unit of it reaches.
struct Frame {
  double scale;
  double originX;
  double originY;
};

// The lowest and highest canvas x of the points taken, from the renderer's start values.
struct Extent {
  double minX = kMinXStart;
  double maxX = kMaxXStart;

  void take(double t) {
    minX = t < minX ? t : minX;
    maxX = t > maxX ? t : maxX;
  }
};

// The centre of the canvas x range that the first pass covers. Interleaved extents keep the
// comparisons from forming one long chain; as no t is NaN or -0, their order cannot matter.
template <typename Walk>
std::int16_t measurePass(Walk &walk, const Frame &frame) {
  std::array<Extent, kExtentWays> ways;
  walk.advance(kStepsPerPass, [&](std::span<const double> x, std::span<const double>) {
    std::size_t i = 0;
    for (; i + kExtentWays <= x.size(); i += kExtentWays) {
#pragma GCC unroll 4
      for (int w = 0; w < kExtentWays; ++w) ways[w].take(frame.scale * x[i + w] + frame.originX);
    }
    for (; i < x.size(); ++i) ways[0].take(frame.scale * x[i] + frame.originX);
  });
  for (const Extent &way : ways) {
    ways[0].take(way.minX);
    ways[0].take(way.maxX);
  }
  return roundToInt16(ways[0].minX + (ways[0].maxX - ways[0].minX) / 2);
}

template <typename Walk>
void plotPass(Walk &walk, const Frame &frame, double shift, PlotSink &sink) {
  std::array<double, kWalkBlock> canvasX;
  std::array<double, kWalkBlock> canvasY;
  walk.advance(kStepsPerPass, [&](std::span<const double> x, std::span<const double> y) {
    for (std::size_t i = 0; i < x.size(); ++i) {
      canvasX[i] = (frame.scale * x[i] + frame.originX) + shift;
      canvasY[i] = frame.scale * y[i] + frame.originY;
    }
    sink.plot({canvasX.data(), x.size()}, {canvasY.data(), x.size()});
  });
}

template <typename Walk>
void trace(FigureModel &model, Walk &walk, PlotSink &sink) {
  const Frame frame{double(model.magnification), double(model.xPosition), double(model.yPosition)};
  const std::int16_t xCenter = measurePass(walk, frame);
  if (model.referenceCenter != 0) model.xShift = roundToInt16(model.referenceCenter - xCenter);
  plotPass(walk, frame, model.xShift, sink);
  if (!model.drawnSinceStart && model.drawMode == DrawMode::New) model.referenceCenter = xCenter;
  model.drawnSinceStart = true;
}

}  // namespace

void renderFigure(FigureModel &model, PlotSink &sink, RenderPath path) {
  clearUpperVectorHalves();
  if (path == RenderPath::Plain || !FastWalk::fits(model.terms, model.termCount)) {
    FigureWalk walk(model.terms, model.termCount);
    trace(model, walk, sink);
    return;
  }
  FastWalk walk(model.terms, model.termCount,
                path == RenderPath::Vector ? FastWalk::widestLanes() : 1);
  trace(model, walk, sink);
}

void drawFigure(FigureModel &model, Canvas &canvas, RenderPath path) {
  CanvasSink sink(canvas, paletteColor(model.colorIndex));
  renderFigure(model, sink, path);
}

}  // namespace kurvimo
