#pragma once

#include <span>

#include "engine/figure_model.h"
#include "platform/canvas.h"

namespace kurvimo {

// How the walk is computed. Every path gives the same bits; terms outside the fast walk's range
// are always walked the plain way.
enum class RenderPath {
  Plain,   // FigureWalk: two cosines or sines per term and step
  Table,   // FastWalk, portably, a step at a time
  Vector,  // FastWalk at the widest vector width this CPU runs, else as Table
};

// Receives a figure's plotted points in order, a run at a time, before they are narrowed to float.
class PlotSink {
 public:
  virtual ~PlotSink() = default;
  virtual void plot(std::span<const double> x, std::span<const double> y) = 0;
};

// Measures the walk of the live terms, centres it on the reference and plots 10,001 points.
// Updates the model's centring state.
void renderFigure(FigureModel &model, PlotSink &sink, RenderPath path = RenderPath::Vector);

// renderFigure onto a canvas, in runs of points, in the model's colour.
void drawFigure(FigureModel &model, Canvas &canvas, RenderPath path = RenderPath::Vector);

}  // namespace kurvimo
