#pragma once

#include <QTest>
#include <deque>
#include <vector>

#include "engine/figure_engine.h"
#include "engine/renderer.h"

namespace kurvimo::testing {

// Remembers what was drawn and when it was cleared; draws nothing.
class RecordingCanvas final : public Canvas {
 public:
  struct Point {
    float x, y;
    QRgb colour;
  };

  void Cls() override {
    ++cls;
    pointsAtLastCls = points.size();
  }
  void PSet(float x, float y, QRgb colour) override { points.push_back({x, y, colour}); }
  QImage Image() const override { return {}; }
  void SetPicture(const QImage &) override {}

  int cls = 0;
  size_t pointsAtLastCls = 0;
  std::vector<Point> points;
};

// Returns the values it was given, in order; running dry fails the test.
class ScriptedRandom final : public RandomSource {
 public:
  void Randomize() override {}
  float Rnd() override {
    if (values.empty()) return QTest::qFail("random source ran dry", __FILE__, __LINE__), 0.0f;
    const float r = values.front();
    values.pop_front();
    return r;
  }

  std::deque<float> values;
};

class RecordingCaptions final : public FigureCaptions {
 public:
  void ShowCount(std::int32_t drawCount) override { counts.push_back(drawCount); }
  void ShowModoru(std::int16_t modoru) override { offsets.push_back(modoru); }

  std::vector<std::int32_t> counts;
  std::vector<std::int16_t> offsets;
};

// An engine wired to the doubles above.
struct EngineRig {
  RecordingCanvas canvas;
  ScriptedRandom random;
  RecordingCaptions captions;
  FigureEngine engine{canvas, random, captions};
  FigureModel &model = engine.model();
  HistoryRing &ring = engine.history();
};

}  // namespace kurvimo::testing
