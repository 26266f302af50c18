#include <benchmark/benchmark.h>

#include <random>

#include "engine/figure_engine.h"
#include "engine/renderer.h"
#include "platform/image_canvas.h"

namespace {

using namespace kurvimo;

constexpr unsigned kSeed = 20261207;

class FixedRandom final : public RandomSource {
 public:
  void Randomize() override {}
  float Rnd() override { return dist_(engine_); }

 private:
  std::mt19937 engine_{kSeed};
  std::uniform_real_distribution<float> dist_{0.0f, 1.0f};
};

class NoCaptions final : public FigureCaptions {
 public:
  void ShowCount(std::int32_t) override {}
  void ShowModoru(std::int16_t) override {}
};

void StartUpParameters(FigureModel &model, int terms) {
  model.kansuu = static_cast<std::int16_t>(terms);
  model.bairitu = 5;
  model.xichi = 250;
  model.yichi = 50;
}

void BM_DrawFigure(benchmark::State &state) {
  ImageCanvas canvas;
  FixedRandom random;
  NoCaptions captions;
  FigureEngine engine(canvas, random, captions);
  StartUpParameters(engine.model(), static_cast<int>(state.range(0)));
  engine.SeedFigure();
  for (auto _ : state) {
    DrawFigure(engine.model(), canvas);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawFigure)->Arg(4)->Arg(9)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_EvolveFigure(benchmark::State &state) {
  ImageCanvas canvas;
  FixedRandom random;
  NoCaptions captions;
  FigureEngine engine(canvas, random, captions);
  StartUpParameters(engine.model(), 16);
  engine.model().henka = 10;
  engine.SeedFigure();
  for (auto _ : state) engine.EvolveFigure();
}
BENCHMARK(BM_EvolveFigure)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
