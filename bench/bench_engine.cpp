#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "engine/figure_engine.h"
#include "engine/renderer.h"
#include "platform/image_canvas.h"
#include "ui/canvas_widget.h"

namespace {

using namespace kurvimo;

constexpr unsigned kSeed = 20261207;
constexpr int kMostTerms = 16;
constexpr int kFastestChange = 10;

class FixedRandom final : public RandomSource {
 public:
  void seedFromClock() override {}
  float next() override { return dist_(engine_); }

 private:
  std::mt19937 engine_{kSeed};
  std::uniform_real_distribution<float> dist_{0.0f, 1.0f};
};

class NoCounters final : public CounterDisplay {
 public:
  void showFigureCount(int) override {}
  void showHistoryOffset(std::int16_t) override {}
};

class NoSink final : public PlotSink {
 public:
  void plot(std::span<const double> x, std::span<const double>) override {
    benchmark::DoNotOptimize(x.data());
  }
};

// A started engine with the start-up magnification and origin.
struct Rig {
  Rig(Canvas &canvas, int terms, int changeSpeed = 0)
      : engine(canvas, random, counters,
               {.terms = {},
                .termCount = terms,
                .magnification = 5,
                .xPosition = 250,
                .yPosition = 50,
                .changeSpeed = changeSpeed}) {
    engine.start();
  }

  FixedRandom random;
  NoCounters counters;
  FigureEngine engine;
};

void BM_DrawFigure(benchmark::State &state, RenderPath path) {
  ImageCanvas canvas;
  Rig rig(canvas, static_cast<int>(state.range(0)));
  FigureModel model = rig.engine.model();
  for (auto _ : state) {
    drawFigure(model, canvas, path);
    benchmark::ClobberMemory();
  }
}
BENCHMARK_CAPTURE(BM_DrawFigure, plain, RenderPath::Plain)
    ->Arg(4)
    ->Arg(9)
    ->Arg(kMostTerms)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DrawFigure, table, RenderPath::Table)
    ->Arg(4)
    ->Arg(9)
    ->Arg(kMostTerms)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DrawFigure, fast, RenderPath::Vector)
    ->Arg(4)
    ->Arg(9)
    ->Arg(kMostTerms)
    ->Unit(benchmark::kMicrosecond);

// The walk, centring and plotted coordinates without the canvas.
void BM_RenderFigureNoCanvas(benchmark::State &state) {
  ImageCanvas canvas;
  Rig rig(canvas, static_cast<int>(state.range(0)));
  NoSink sink;
  FigureModel model = rig.engine.model();
  for (auto _ : state) renderFigure(model, sink);
}
BENCHMARK(BM_RenderFigureNoCanvas)->Arg(0)->Arg(kMostTerms)->Unit(benchmark::kMicrosecond);

// The canvas share of a figure: its 10,001 points alone, in the runs the renderer sends.
void BM_SetPixelsOfOneFigure(benchmark::State &state) {
  ImageCanvas canvas;
  Rig rig(canvas, kMostTerms);
  struct Points final : PlotSink {
    void plot(std::span<const double> x, std::span<const double> y) override {
      runs.push_back(
          {std::vector<float>(x.begin(), x.end()), std::vector<float>(y.begin(), y.end())});
    }
    std::vector<std::pair<std::vector<float>, std::vector<float>>> runs;
  } figure;
  FigureModel model = rig.engine.model();
  renderFigure(model, figure);
  Canvas &target = canvas;
  for (auto _ : state) {
    for (const auto &[x, y] : figure.runs) target.setPixels(x, y, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SetPixelsOfOneFigure)->Unit(benchmark::kMicrosecond);

void BM_EvolveFigure(benchmark::State &state) {
  ImageCanvas canvas;
  Rig rig(canvas, kMostTerms, kFastestChange);
  for (auto _ : state) rig.engine.evolveFigure();
}
BENCHMARK(BM_EvolveFigure)->Unit(benchmark::kMicrosecond);

// A whole timer tick as the window runs it: the change, then the repaint of the canvas widget.
void BM_TickWithRepaint(benchmark::State &state) {
  CanvasWidget widget;
  QImage screen(widget.size(), QImage::Format_RGB32);
  Rig rig(widget, kMostTerms, kFastestChange);
  for (auto _ : state) {
    rig.engine.evolveFigure();
    QCoreApplication::processEvents();
    widget.render(&screen);
  }
}
BENCHMARK(BM_TickWithRepaint)->Unit(benchmark::kMicrosecond);

// From process start until the main window is shown, timed from outside the process.
void BM_StartUpToShownWindow(benchmark::State &state) {
  char probe[] = KURVIMO_STARTUP_PROBE;
  char *const args[] = {probe, nullptr};
  for (auto _ : state) {
    int out[2];
    if (pipe(out) != 0) return state.SkipWithError("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, probe, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char said = 0;
    const bool shown = spawned == 0 && read(out[0], &said, 1) == 1;
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    close(out[0]);
    if (spawned == 0) waitpid(pid, nullptr, 0);
    if (!shown) return state.SkipWithError("the window was not shown");
  }
}
BENCHMARK(BM_StartUpToShownWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

// The console report, followed by how many times faster each path draws than the plain one,
// from the medians when the runs are repeated.
class SpeedUpReporter final : public benchmark::ConsoleReporter {
 public:
  SpeedUpReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Iteration || median) {
        cpuTimes_[run.run_name.function_name][run.run_name.args] = run.GetAdjustedCPUTime();
      }
    }
  }

  void Finalize() override {
    const auto &plain = cpuTimes_["BM_DrawFigure/plain"];
    for (const char *path : {"BM_DrawFigure/table", "BM_DrawFigure/fast"}) {
      for (const auto &[terms, time] : cpuTimes_[path]) {
        if (plain.contains(terms) && time > 0) {
          std::printf("%s/%s: %.1f times faster than plain\n", path, terms.c_str(),
                      plain.at(terms) / time);
        }
      }
    }
    ConsoleReporter::Finalize();
  }

 private:
  std::map<std::string, std::map<std::string, double>> cpuTimes_;
};

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SpeedUpReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
