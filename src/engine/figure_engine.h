#pragma once

#include <cstdint>

#include "engine/figure_model.h"
#include "engine/term_tables.h"
#include "history/history_ring.h"
#include "platform/canvas.h"
#include "platform/random_source.h"

namespace kurvimo {

// Where the engine shows its counters; the main window puts them in its labels.
class CounterDisplay {
 public:
  virtual ~CounterDisplay() = default;
  virtual void showFigureCount(int figureCount) = 0;
  virtual void showHistoryOffset(std::int16_t offset) = 0;
};

// The figure state of the main window and everything that changes it, free of widgets. The window
// tells it what the user did through the calls below; nothing else writes its model.
// The term sets of the last 1000 figures drawn.
using FigureHistory = HistoryRing<TermTables>;

class FigureEngine {
 public:
  FigureEngine(Canvas &canvas, RandomSource &random, CounterDisplay &counters,
               const FigureModel &start = {});

  const FigureModel &model() const { return model_; }
  const FigureHistory &history() const { return history_; }

  // The six sliders; a value takes effect when the next figure is evolved or drawn.
  void setMagnification(int value) { model_.magnification = value; }
  void setXPosition(int value) { model_.xPosition = value; }
  void setYPosition(int value) { model_.yPosition = value; }
  void setTermCount(int value) { model_.termCount = value; }
  void setChangeSpeed(int value) { model_.changeSpeed = value; }
  void setColorIndex(int value) { model_.colorIndex = value; }
  // The draw mode, as read at Start and Stop.
  void setDrawMode(DrawMode mode) { model_.drawMode = mode; }
  // No reference centre, as when the window loads.
  void forgetCentring();

  // Fresh live terms, an empty ring and a new count; from then on ticks evolve the figure.
  void start();
  void stop() { model_.running = false; }
  // One timer tick's change: nudge, clamp, draw, record, count.
  void evolveFigure();
  void drawFigure();
  // Show an older or newer recorded figure; false when refused, and then nothing changed.
  bool stepBack(std::int16_t n);
  bool stepForward(std::int16_t n);

 private:
  void seedFigure();
  void nudgeTerms();
  void clampTerms();
  void recordFigure();
  void showRecorded();

  Canvas &canvas_;
  RandomSource &random_;
  CounterDisplay &counters_;
  FigureModel model_;
  FigureHistory history_;
};

}  // namespace kurvimo
