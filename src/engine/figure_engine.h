#pragma once

#include <cstdint>

#include "engine/figure_model.h"
#include "history/history_ring.h"
#include "platform/canvas.h"
#include "platform/random_source.h"

namespace kurvimo {

// Where the engine shows its counters; the main window puts them in its labels.
class FigureCaptions {
 public:
  virtual ~FigureCaptions() = default;
  virtual void ShowCount(std::int32_t drawCount) = 0;
  virtual void ShowModoru(std::int16_t modoru) = 0;
};

// The figure state of the main window and everything that changes it, free of widgets.
class FigureEngine {
 public:
  FigureEngine(Canvas &canvas, RandomSource &random, FigureCaptions &captions);

  FigureModel &model() { return model_; }
  const FigureModel &model() const { return model_; }
  HistoryRing &history() { return history_; }
  const HistoryRing &history() const { return history_; }

  // Start's share of the figure: fresh live terms, an empty ring and a new count.
  void SeedFigure();
  // One timer tick's change: nudge, clamp, draw, record, count.
  void EvolveFigure();
  void DrawFigure();
  // Show an older or newer recorded figure; false when refused, and then nothing changed.
  bool StepBack(std::int16_t n);
  bool StepForward(std::int16_t n);

 private:
  void NudgeTerms();
  void ClampTerms();
  void ShowRecorded();

  Canvas &canvas_;
  RandomSource &random_;
  FigureCaptions &captions_;
  FigureModel model_;
  HistoryRing history_;
};

}  // namespace kurvimo
