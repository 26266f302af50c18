#pragma once

#include <span>

#include "engine/figure_model.h"
#include "platform/canvas.h"

namespace kurvimo {

// Steps of each of the renderer's two passes.
constexpr int kStepsPerPass = 10001;

// The walk of the live terms. Every phase starts at 0, so the same terms always walk the same way.
class FigureWalk {
 public:
  FigureWalk(const TermTables &terms, int n);

  // Moves to the next position: one displacement from the current phases, then every phase
  // advances by its step.
  void next();

  double posX = 0.0;
  double posY = 0.0;

 private:
  const TermTables &terms_;
  const int n_;
  std::array<double, kTableSize> phaseX_{};
  std::array<double, kTableSize> phaseY_{};
  std::array<double, kTableSize> cosX_{};
  std::array<double, kTableSize> sinY_{};
};

// How the walk is computed. Every path gives the same bits; terms outside the tables' range
// (amplitudes and phase steps 0..10) are always walked the plain way.
enum class RenderPath {
  Fastest,     // the widest vector path the CPU can run, else Table
  WideVector,  // tabled cosines and sines, eight steps at once with AVX-512F; else as Vector
  Vector,      // tabled cosines and sines, four steps at once with AVX2 and FMA; else as Table
  Table,       // tabled cosines and sines, portable
  Plain,       // FigureWalk: two cosines or sines per term and step
};

// Whether `path` runs as itself on this CPU.
bool pathAvailable(RenderPath path);

// Receives a figure's plotted points in order, a run at a time, before they are narrowed to float.
class PlotSink {
 public:
  virtual ~PlotSink() = default;
  virtual void plot(std::span<const double> x, std::span<const double> y) = 0;
};

// Measures the walk of the live terms, centres it on the reference and plots 10,001 points.
// Updates the model's centring state.
void renderFigure(FigureModel &model, PlotSink &sink, RenderPath path = RenderPath::Fastest);

// RenderFigure onto a canvas: one SetPixel per point, in the model's colour.
void drawFigure(FigureModel &model, Canvas &canvas, RenderPath path = RenderPath::Fastest);

}  // namespace kurvimo
