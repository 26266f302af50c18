#include "engine/figure_engine.h"

#include <algorithm>
#include <cmath>

#include "engine/renderer.h"

namespace kurvimo {

namespace {

constexpr int kSeedSpan = 9;  // seeded values are 1..9
constexpr float kSignSplit = 0.5f;
constexpr std::int16_t kAmpMin = 0;
constexpr std::int16_t kFreqMin = 1;
constexpr std::int16_t kTermMax = 10;

// Both products are exact in double for a single-precision r, so floor gives the true value.
std::int16_t seedValue(float r) {
  return static_cast<std::int16_t>(std::floor(kSeedSpan * static_cast<double>(r) + 1));
}

// Clamped as well, so that a random source out of its contract cannot index outside the tables.
int termIndex(float r, int live) {
  return std::clamp(static_cast<int>(std::floor(static_cast<double>(r) * live)), 0, live - 1);
}

void clamp(std::int16_t &value, std::int16_t lowest) {
  if (value <= 0) value = lowest;
  if (value >= kTermMax) value = kTermMax;
}

}  // namespace

FigureEngine::FigureEngine(Canvas &canvas, RandomSource &random, CounterDisplay &counters,
                           const FigureModel &start)
    : canvas_(canvas), random_(random), counters_(counters), model_(start) {}

void FigureEngine::forgetCentring() {
  model_.xShift = 0;
  model_.referenceCenter = 0;
}

void FigureEngine::start() {
  seedFigure();
  model_.running = true;
}

void FigureEngine::seedFigure() {
  TermTables &t = model_.terms;
  for (int i = 0; i < liveTerms(model_.termCount); ++i) {
    t.xAmp[i] = seedValue(random_.next());
    t.yAmp[i] = seedValue(random_.next());
    t.xFreq[i] = seedValue(random_.next());
    t.yFreq[i] = seedValue(random_.next());
  }
  model_.figureCount = 0;
  counters_.showFigureCount(model_.figureCount);
  history_.reset();
  model_.drawnSinceStart = false;
  counters_.showHistoryOffset(history_.offset());
}

void FigureEngine::evolveFigure() {
  canvas_.clear();
  nudgeTerms();
  clampTerms();
  drawFigure();
  recordFigure();
  ++model_.figureCount;
  counters_.showFigureCount(model_.figureCount);
}

void FigureEngine::drawFigure() {
  kurvimo::drawFigure(model_, canvas_);
}

void FigureEngine::nudgeTerms() {
  const int live = liveTerms(model_.termCount);
  if (live == 0) return;
  TermTable *tables[] = {&model_.terms.xAmp, &model_.terms.yAmp, &model_.terms.xFreq,
                         &model_.terms.yFreq};
  for (int iteration = 0; iteration <= model_.changeSpeed; ++iteration) {
    int signs[4];
    for (int &sign : signs) sign = random_.next() < kSignSplit ? -1 : 1;
    for (int table = 0; table < 4; ++table) {
      (*tables[table])[termIndex(random_.next(), live)] += signs[table];
    }
  }
}

void FigureEngine::clampTerms() {
  TermTables &t = model_.terms;
  for (int i = 0; i < liveTerms(model_.termCount); ++i) {
    clamp(t.xAmp[i], kAmpMin);
    clamp(t.yAmp[i], kAmpMin);
    clamp(t.xFreq[i], kFreqMin);
    clamp(t.yFreq[i], kFreqMin);
  }
}

bool FigureEngine::stepBack(std::int16_t n) {
  if (!history_.moveBack(n)) return false;
  showRecorded();
  return true;
}

bool FigureEngine::stepForward(std::int16_t n) {
  if (!history_.moveForward(n)) return false;
  showRecorded();
  return true;
}

void FigureEngine::recordFigure() {
  copyLiveTerms(model_.terms, history_.nextEntry(), model_.termCount);
  history_.advance();
}

void FigureEngine::showRecorded() {
  counters_.showHistoryOffset(history_.offset());
  copyLiveTerms(history_.selectedEntry(), model_.terms, model_.termCount);
  canvas_.clear();
  drawFigure();
}

}  // namespace kurvimo
