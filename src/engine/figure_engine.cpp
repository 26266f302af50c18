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
std::int16_t SeedValue(float r) {
  return static_cast<std::int16_t>(std::floor(kSeedSpan * static_cast<double>(r) + 1));
}

// Clamped as well, so that a random source out of its contract cannot index outside the tables.
int TermIndex(float r, int live) {
  return std::clamp(static_cast<int>(std::floor(static_cast<double>(r) * live)), 0, live - 1);
}

void Clamp(std::int16_t &value, std::int16_t lowest) {
  if (value <= 0) value = lowest;
  if (value >= kTermMax) value = kTermMax;
}

}  // namespace

FigureEngine::FigureEngine(Canvas &canvas, RandomSource &random, CounterDisplay &counters,
                           const FigureModel &start)
    : canvas_(canvas), random_(random), counters_(counters), model_(start) {}

void FigureEngine::ForgetCentring() {
  model_.xShift = 0;
  model_.referenceCenter = 0;
}

void FigureEngine::Start() {
  SeedFigure();
  model_.running = true;
}

void FigureEngine::SeedFigure() {
  TermTables &t = model_.terms;
  for (int i = 0; i < LiveTerms(model_.termCount); ++i) {
    t.xAmp[i] = SeedValue(random_.Next());
    t.yAmp[i] = SeedValue(random_.Next());
    t.xFreq[i] = SeedValue(random_.Next());
    t.yFreq[i] = SeedValue(random_.Next());
  }
  model_.figureCount = 0;
  counters_.ShowFigureCount(model_.figureCount);
  history_.Reset();
  model_.drawnSinceStart = false;
  counters_.ShowHistoryOffset(history_.offset);
}

void FigureEngine::EvolveFigure() {
  canvas_.Clear();
  NudgeTerms();
  ClampTerms();
  DrawFigure();
  history_.Record(model_.terms, model_.termCount);
  ++model_.figureCount;
  counters_.ShowFigureCount(model_.figureCount);
}

void FigureEngine::DrawFigure() {
  kurvimo::DrawFigure(model_, canvas_);
}

void FigureEngine::NudgeTerms() {
  const int live = LiveTerms(model_.termCount);
  if (live == 0) return;
  TermTable *tables[] = {&model_.terms.xAmp, &model_.terms.yAmp, &model_.terms.xFreq,
                         &model_.terms.yFreq};
  for (int iteration = 0; iteration <= model_.changeSpeed; ++iteration) {
    int signs[4];
    for (int &sign : signs) sign = random_.Next() < kSignSplit ? -1 : 1;
    for (int table = 0; table < 4; ++table) {
      (*tables[table])[TermIndex(random_.Next(), live)] += signs[table];
    }
  }
}

void FigureEngine::ClampTerms() {
  TermTables &t = model_.terms;
  for (int i = 0; i < LiveTerms(model_.termCount); ++i) {
    Clamp(t.xAmp[i], kAmpMin);
    Clamp(t.yAmp[i], kAmpMin);
    Clamp(t.xFreq[i], kFreqMin);
    Clamp(t.yFreq[i], kFreqMin);
  }
}

bool FigureEngine::StepBack(std::int16_t n) {
  if (!history_.MoveBack(n)) return false;
  ShowRecorded();
  return true;
}

bool FigureEngine::StepForward(std::int16_t n) {
  if (!history_.MoveForward(n)) return false;
  ShowRecorded();
  return true;
}

void FigureEngine::ShowRecorded() {
  counters_.ShowHistoryOffset(history_.offset);
  history_.Restore(model_.terms, model_.termCount);
  canvas_.Clear();
  DrawFigure();
}

}  // namespace kurvimo
