#pragma once

#include <QTest>
#include <deque>
#include <random>
#include <vector>

#include "engine/figure_engine.h"
#include "engine/renderer.h"

namespace kurvimo::testing {

// Keeps the points drawn since the last Cls, and counts the Cls calls.
struct RecordingCanvas final : Canvas {
  struct Point {
    float x, y;
    QRgb colour;
  };
  void Cls() override { ++cls, points.clear(); }
  void PSet(float x, float y, QRgb colour) override { points.push_back({x, y, colour}); }
  QImage Image() const override { return {}; }
  void SetPicture(const QImage &) override {}

  int cls = 0;
  std::vector<Point> points;
};

// Hands out the scripted values first, then those of a fixed sequence; counts all it handed out.
struct ScriptedRandom final : RandomSource {
  void Randomize() override {}
  float Rnd() override {
    ++drawn;
    if (values.empty()) return std::uniform_real_distribution<float>()(sequence);
    const float r = values.front();
    values.pop_front();
    return r;
  }

  std::deque<float> values;
  int drawn = 0;
  std::mt19937 sequence{1234};
};

struct RecordingCaptions final : FigureCaptions {
  void ShowCount(std::int32_t drawCount) override { counts.push_back(drawCount); }
  void ShowModoru(std::int16_t modoru) override { offsets.push_back(modoru); }

  std::vector<std::int32_t> counts;
  std::vector<std::int16_t> offsets;
};

// An engine wired to the doubles above, from the model `start`.
struct EngineRig {
  explicit EngineRig(const FigureModel &start = {}) : engine(canvas, random, captions, start) {}

  RecordingCanvas canvas;
  ScriptedRandom random;
  RecordingCaptions captions;
  FigureEngine engine;
  const FigureModel &model = engine.model();
  const HistoryRing &ring = engine.history();
};

}  // namespace kurvimo::testing
