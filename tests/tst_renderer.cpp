#include <QTest>
#include <bit>
#include <random>

#include "engine/phase_table.h"
#include "engine/table_walk.h"
#include "platform/palette.h"
#include "support/test_doubles.h"

using namespace kurvimo;

namespace {

// What a rendering leaves behind: the bits of every plotted coordinate before it became a float,
// hashed in order (FNV-1a), and the centring state.
struct Digest {
  std::uint64_t hash = 0xcbf29ce484222325;
  std::int16_t xShift = 0, xCenterRef = 0, centerSet = 0;
  bool operator==(const Digest &) const = default;
};

Digest Render(FigureModel model, RenderPath path) {
  struct Sink : PlotSink {
    void Plot(std::span<const double> x, std::span<const double> y) override {
      for (std::size_t i = 0; i < x.size(); ++i) {
        for (double v : {x[i], y[i]})
          hash = (hash ^ std::bit_cast<std::uint64_t>(v)) * 0x100000001b3;
      }
    }
    std::uint64_t hash = Digest{}.hash;
  } sink;
  RenderFigure(model, sink, path);
  return {sink.hash, model.xShift, model.xCenterRef, model.centerSet};
}

// Terms and parameters across their whole ranges, silent terms (amplitude and step 0) included,
// and out-of-range values past kansuu, which must be ignored.
FigureModel CorpusSet(std::mt19937 &random) {
  const auto draw = [&](int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution(low, high)(random));
  };
  FigureModel m{.terms = {},
                .kansuu = draw(4, 16),
                .bairitu = draw(0, 20),
                .xichi = draw(0, 500),
                .yichi = draw(0, 500),
                .reserveMode = draw(0, 1),
                .xShift = draw(-200, 200),
                .xCenterRef = draw(0, 1) ? draw(0, 500) : std::int16_t{0},
                .centerSet = draw(0, 1)};
  for (TermTable *table : {&m.terms.xAmp, &m.terms.yAmp, &m.terms.xFreq, &m.terms.yFreq}) {
    table->fill(99);
    for (int j = 0; j < m.kansuu; ++j) (*table)[j] = draw(0, TableWalk::kMaxValue);
  }
  for (int j = 0; j < m.kansuu; ++j) {
    if (draw(1, 8) == 1) m.terms.xAmp[j] = m.terms.xFreq[j] = 0;
    if (draw(1, 8) == 1) m.terms.yAmp[j] = m.terms.yFreq[j] = 0;
  }
  return m;
}

// With every amplitude 0 each measured t is xichi; the start values 1000 and 0 take part.
struct Centring {
  const char *name;
  int xichi, reserveMode, centerSet, refBefore, shift, refAfter;
};
const Centring kCentring[] = {
    {"half rounds down to even: (1000 + 1201) / 2", 1201, 0, 0, 0, 7, 1100},
    {"half rounds up to even: (1000 + 1203) / 2", 1203, 0, 0, 0, 7, 1102},
    {"start value 0 is the maximum", -201, 0, 0, 0, 7, -100},
    {"first New figure: old shift, new reference", 250, 0, 0, 300, 50, 250},
    {"later New figure", 250, 0, 1, 300, 50, 300},
    {"Reserve keeps the reference", 250, 1, 0, 300, 50, 300},
    {"reference 0 stops re-centring", 250, 0, 1, 0, 7, 0},
};

}  // namespace

Q_DECLARE_METATYPE(RenderPath)

class TestRenderer : public QObject {
  Q_OBJECT

 private slots:
  // One term of amplitude 10 turning one radian a step; the other three add nothing.
  void walksAndPlotsTheWorkedExample() {
    FigureModel m{.terms = {}, .kansuu = 4, .bairitu = 5, .xichi = 250, .yichi = 50};
    m.terms.xAmp[0] = m.terms.yAmp[0] = m.terms.xFreq[0] = m.terms.yFreq[0] = 10;
    FigureWalk walk(m.terms, m.kansuu);
    for (double t : {255.0, 257.7015, 255.6208}) {
      walk.Next();
      QCOMPARE(qRound64((5 * walk.posX + 250) * 1e4), qRound64(t * 1e4));
    }
    testing::RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(canvas.points.size(), size_t(kStepsPerPass));
    QCOMPARE(qRound(canvas.points.front().x * 1e4f), 2474346);  // position 10,002
    QCOMPARE(qRound(canvas.points.front().y * 1e4f), 533378);
  }

  void centresOnTheReference_data() {
    QTest::addColumn<Centring>("c");
    for (const Centring &c : kCentring) QTest::newRow(c.name) << c;
  }
  void centresOnTheReference() {
    QFETCH(Centring, c);
    FigureModel m{.terms = {},
                  .kansuu = 4,
                  .bairitu = 3,
                  .xichi = std::int16_t(c.xichi),
                  .yichi = 40,
                  .colorIndex = 12,
                  .reserveMode = std::int16_t(c.reserveMode),
                  .xShift = 7,
                  .xCenterRef = std::int16_t(c.refBefore),
                  .centerSet = std::int16_t(c.centerSet)};
    testing::RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(QList<int>({m.xShift, m.xCenterRef, m.centerSet}), QList({c.shift, c.refAfter, 1}));
    for (const auto &p : {canvas.points.front(), canvas.points.back()}) {
      QCOMPARE(QList({p.x, p.y}), QList({float(c.xichi + c.shift), 40.0f}));
      QCOMPARE(p.colour, QBColor(12));
    }
  }

  void fastPathsMatchThePlainWalk_data() {
    QTest::addColumn<RenderPath>("path");
    QTest::newRow("AVX-512") << RenderPath::kWideVector;
    QTest::newRow("AVX2") << RenderPath::kVector;
    QTest::newRow("table") << RenderPath::kTable;
  }
  void fastPathsMatchThePlainWalk() {
    QFETCH(RenderPath, path);
    if (!PathAvailable(path)) QSKIP("this CPU cannot run that path");
    std::mt19937 random(7001);
    for (int i = 0; i < 1000; ++i) {
      FigureModel m = CorpusSet(random);
      if (plain_.size() == size_t(i)) plain_.push_back(Render(m, RenderPath::kPlain));
      if (!(Render(m, path) == plain_[i])) QFAIL(qPrintable(QString("set %1").arg(i)));
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
    std::mt19937 random(7001);
    FigureModel m = CorpusSet(random);
    TermTable *tables[] = {&m.terms.xAmp, &m.terms.yAmp, &m.terms.xFreq, &m.terms.yFreq};
    (*tables[table])[1] = static_cast<std::int16_t>(value);
    (*tables[table ^ 2])[1] = 3;  // its partner must not silence it
    QVERIFY(Render(m, path) == Render(m, RenderPath::kPlain));
  }

  // Every product a term can make; amplitude 0 is left out, as such terms never reach the divide.
  void fusedTenthIsTheQuotient() {
    const PhaseTable &table = PhaseTable::Shared();
    for (int step = 0; step <= PhaseTable::kMaxStep; ++step) {
      for (const double *row : {table.Cos(step), table.Sin(step)}) {
        for (int amp = 1; amp <= TableWalk::kMaxValue; ++amp) {
          for (int s = 0; s < PhaseTable::kPhases; ++s) {
            const double p = amp * row[s];
            if (std::bit_cast<std::uint64_t>(FusedTenth(p)) != std::bit_cast<std::uint64_t>(p / 10))
              QFAIL(qPrintable(QString::number(p, 'g', 17)));
          }
        }
      }
    }
  }

 private:
  std::vector<Digest> plain_;
};

QTEST_APPLESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
