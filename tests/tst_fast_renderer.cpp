#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "engine/phase_table.h"
#include "engine/renderer.h"
#include "engine/table_walk.h"

using namespace kurvimo;

namespace {

constexpr int kCorpusSize = 2000;
constexpr unsigned kCorpusSeed = 7001;
constexpr int kMinTerms = 4;
constexpr int kMaxTerms = 16;
constexpr int kMaxMagnification = 20;
constexpr int kMaxOrigin = 500;
constexpr int kMaxShift = 200;
constexpr int kNotLive = 99;  // table entries past kansuu must be ignored, even out of range
constexpr int kSilentOneIn = 8;
constexpr std::uint64_t kHashStart = 0xcbf29ce484222325;  // FNV-1a
constexpr std::uint64_t kHashPrime = 0x100000001b3;

// What a rendering leaves behind: the bits of every plotted coordinate before it became a float,
// hashed in order, and the centring state.
struct Digest {
  std::uint64_t hash = kHashStart;
  std::int16_t xShift = 0;
  std::int16_t xCenterRef = 0;
  std::int16_t centerSet = 0;

  bool operator==(const Digest &) const = default;
};

// Each step of the hash is a bijection of its state, so one changed coordinate always shows.
Digest Render(FigureModel model, RenderPath path) {
  struct : PlotSink {
    void Plot(std::span<const double> x, std::span<const double> y) override {
      for (std::size_t i = 0; i < x.size(); ++i) {
        for (double v : {x[i], y[i]}) hash = (hash ^ std::bit_cast<std::uint64_t>(v)) * kHashPrime;
      }
    }
    std::uint64_t hash = kHashStart;
  } sink;
  RenderFigure(model, sink, path);
  return {sink.hash, model.xShift, model.xCenterRef, model.centerSet};
}

// Every set on every core: the plain renderer takes milliseconds a set.
std::vector<Digest> RenderAll(const std::vector<FigureModel> &models, RenderPath path) {
  std::vector<Digest> digests(models.size());
  const std::size_t threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::jthread> workers;
  for (std::size_t t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (std::size_t i = t; i < models.size(); i += threads) digests[i] = Render(models[i], path);
    });
  }
  workers.clear();
  return digests;
}

// Terms and parameters across their whole ranges, silent terms (amplitude and step 0) included.
FigureModel CorpusSet(std::mt19937 &random) {
  const auto draw = [&](int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution(low, high)(random));
  };
  FigureModel m;
  m.kansuu = draw(kMinTerms, kMaxTerms);
  for (TermTable *table : {&m.terms.xAmp, &m.terms.yAmp, &m.terms.xFreq, &m.terms.yFreq}) {
    table->fill(kNotLive);
    for (int j = 0; j < m.kansuu; ++j) (*table)[j] = draw(0, TableWalk::kMaxValue);
  }
  for (int j = 0; j < m.kansuu; ++j) {
    if (draw(1, kSilentOneIn) == 1) m.terms.xAmp[j] = m.terms.xFreq[j] = 0;
    if (draw(1, kSilentOneIn) == 1) m.terms.yAmp[j] = m.terms.yFreq[j] = 0;
  }
  m.bairitu = draw(0, kMaxMagnification);
  m.xichi = draw(0, kMaxOrigin);
  m.yichi = draw(0, kMaxOrigin);
  m.xShift = draw(-kMaxShift, kMaxShift);
  m.xCenterRef = draw(0, 1) ? draw(0, kMaxOrigin) : 0;
  m.centerSet = draw(0, 1);
  m.reserveMode = draw(0, 1);
  return m;
}

}  // namespace

Q_DECLARE_METATYPE(RenderPath)

class TestFastRenderer : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    std::mt19937 random(kCorpusSeed);
    for (int i = 0; i < kCorpusSize; ++i) corpus_.push_back(CorpusSet(random));
    plain_ = RenderAll(corpus_, RenderPath::kPlain);
  }

  void matchesThePlainRenderer_data() {
    QTest::addColumn<RenderPath>("path");
    QTest::newRow("AVX-512") << RenderPath::kWideVector;
    QTest::newRow("AVX2") << RenderPath::kVector;
    QTest::newRow("table") << RenderPath::kTable;
  }
  void matchesThePlainRenderer() {
    QFETCH(RenderPath, path);
    if (!PathAvailable(path)) QSKIP("this CPU cannot run that path");
    const std::vector<Digest> digests = RenderAll(corpus_, path);
    for (int i = 0; i < kCorpusSize; ++i) {
      if (digests[i] != plain_[i]) QFAIL(qPrintable(QString("set %1").arg(i)));
    }
  }

  // Values no seeded or nudged term takes, but a restored history slot may hold.
  void fallsBackOutsideTheTable_data() {
    QTest::addColumn<RenderPath>("path");
    QTest::addColumn<int>("table");  // 0 xAmp, 1 yAmp, 2 xFreq, 3 yFreq
    QTest::addColumn<int>("value");
    for (auto [name, path] : {std::pair{"AVX-512", RenderPath::kWideVector},
                              {"AVX2", RenderPath::kVector},
                              {"table", RenderPath::kTable}}) {
      QTest::addRow("%s: negative x step", name) << path << 2 << -1;
      QTest::addRow("%s: y step past the table", name) << path << 3 << 11;
      QTest::addRow("%s: largest y step", name) << path << 3 << 32767;
      QTest::addRow("%s: amplitude past the checked range", name) << path << 0 << 11;
      QTest::addRow("%s: negative amplitude", name) << path << 1 << -3;
    }
  }
  void fallsBackOutsideTheTable() {
    QFETCH(RenderPath, path);
    QFETCH(int, table);
    QFETCH(int, value);
    FigureModel m = corpus_.front();
    TermTable *tables[] = {&m.terms.xAmp, &m.terms.yAmp, &m.terms.xFreq, &m.terms.yFreq};
    (*tables[table])[1] = static_cast<std::int16_t>(value);
    (*tables[table < 2 ? table + 2 : table - 2])[1] = 3;  // its partner must not silence it
    QVERIFY(Render(m, path) == Render(m, RenderPath::kPlain));
  }

  // Every product a term can make; amplitude 0 is left out, as such terms never reach the divide.
  void fusedTenthIsTheQuotient() {
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    const PhaseTable &table = PhaseTable::Shared();
    for (int step = 0; step <= PhaseTable::kMaxStep; ++step) {
      for (const double *row : {table.Cos(step), table.Sin(step)}) {
        for (int amp = 1; amp <= TableWalk::kMaxValue; ++amp) {
          for (int s = 0; s < PhaseTable::kPhases; ++s) {
            const double p = amp * row[s];
            if (bits(FusedTenth(p)) != bits(p / 10)) QFAIL(qPrintable(QString::number(p, 'g', 17)));
          }
        }
      }
    }
  }

 private:
  std::vector<FigureModel> corpus_;
  std::vector<Digest> plain_;
};

QTEST_APPLESS_MAIN(TestFastRenderer)
#include "tst_fast_renderer.moc"
