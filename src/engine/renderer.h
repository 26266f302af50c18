#pragma once

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
  void Next();

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

// Measures the walk of the live terms, centres it on the reference and plots 10,001 pixels.
// Updates the model's centring state.
void DrawFigure(FigureModel &model, Canvas &canvas);

// Nearest 16-bit integer, exact halves to the even neighbour; saturates outside the range.
std::int16_t RoundToInt16(double value);

}  // namespace kurvimo
