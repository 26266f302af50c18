#include "engine/renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/table_walk.h"
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

// FigureWalk with the interface of TableWalk.
class PlainWalk {
 public:
  PlainWalk(const TermTables &terms, int n) : walk_(terms, n) {}

  template <typename Visit>
  void advance(int count, Visit visit) {
    std::array<double, kWalkBlock> x;
    std::array<double, kWalkBlock> y;
    for (int done = 0; done < count; done += kWalkBlock) {
      const int n = std::min(kWalkBlock, count - done);
      for (int i = 0; i < n; ++i) {
        walk_.next();
        x[i] = walk_.posX;
        y[i] = walk_.posY;
      }
      visit(std::span<const double>(x.data(), n), std::span<const double>(y.data(), n));
    }
  }

 private:
  FigureWalk walk_;
};

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

FigureWalk::FigureWalk(const TermTables &terms, int n) : terms_(terms), n_(liveTerms(n)) {}

// The order of every operation is fixed: the plotted pixels depend on the last bit.
void FigureWalk::next() {
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

namespace {

TableWalk::Unit unitFor(RenderPath path) {
  using Unit = TableWalk::Unit;
  switch (path) {
    case RenderPath::Fastest:
    case RenderPath::WideVector:
      if (TableWalk::available(Unit::Avx512)) return Unit::Avx512;
      [[fallthrough]];
    case RenderPath::Vector:
      if (TableWalk::available(Unit::Avx2)) return Unit::Avx2;
      [[fallthrough]];
    default:
      return Unit::Scalar;
  }
}

}  // namespace

bool pathAvailable(RenderPath path) {
  switch (path) {
    case RenderPath::WideVector:
      return TableWalk::available(TableWalk::Unit::Avx512);
    case RenderPath::Vector:
      return TableWalk::available(TableWalk::Unit::Avx2);
    default:
      return true;
  }
}

void renderFigure(FigureModel &model, PlotSink &sink, RenderPath path) {
  clearUpperVectorHalves();
  if (path == RenderPath::Plain || !TableWalk::fits(model.terms, model.termCount)) {
    PlainWalk walk(model.terms, model.termCount);
    trace(model, walk, sink);
    return;
  }
  TableWalk walk(model.terms, model.termCount, unitFor(path));
  trace(model, walk, sink);
}

void drawFigure(FigureModel &model, Canvas &canvas, RenderPath path) {
  CanvasSink sink(canvas, paletteColor(model.colorIndex));
  renderFigure(model, sink, path);
}

}  // namespace kurvimo
