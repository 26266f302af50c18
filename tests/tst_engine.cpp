#include <QTest>

#include "support/test_doubles.h"

using namespace kurvimo;
using kurvimo::testing::EngineRig;

namespace {

constexpr float kUp = 0.5f;          // the smallest value that gives +1
constexpr float kDown = 0.4999999f;  // the largest value that gives -1

// Nudges on entry 0: one iteration of signs each, the same sign for all four tables.
struct Clamping {
  const char *name;
  QList<int> signs;
  int amp, freq, ampAfter, freqAfter;
};
const Clamping kClamping[] = {
    {"amplitude 10 up then down", {1, -1}, 10, 5, 10, 5},
    {"amplitude 0 down, down, up", {-1, -1, 1}, 0, 5, 0, 4},
    {"phase step 1 down", {-1}, 3, 1, 2, 1},
    {"phase step 10 up", {1}, 9, 10, 10, 10},
};

// The ring after `recorded` figures, at `offset`; `move` < 0 is "<" that many times, > 0 is ">".
struct Stepping {
  const char *name;
  int recorded, offset, move, slot;  // slot -1: refused
};
const Stepping kStepping[] = {
    {"one figure: < refused", 1, 0, -1, -1},
    {"two figures: < shows the first", 2, 0, -1, 0},
    {"oldest reached: < refused", 3, -2, -1, -1},
    {"newest: > refused", 3, 0, 1, -1},
    {"> towards the newest", 3, -2, 1, 1},
    {"full: < past the oldest", 1000, -999, -1, 999},
    {"full: > past the newest", 1000, 0, 1, 998},
    {"wrapped: from histPos 5", 1005, 0, -1, 3},
    {"full: the offset stays 16-bit", 1000, -32768, -1, -1},
    {"full: positive offsets too", 1000, 32767, 1, -1},
    {"full: many steps at once", 1000, 32767, -32767, 999},
};

}  // namespace

Q_DECLARE_METATYPE(Clamping)
Q_DECLARE_METATYPE(Stepping)

class TestEngine : public QObject {
  Q_OBJECT

 private slots:
  void startSeedsTheLiveTermsAndResetsTheRun_data() {
    QTest::addColumn<int>("kansuu");
    QTest::newRow("fewest terms") << 4;
    QTest::newRow("most terms") << 16;
  }
  void startSeedsTheLiveTermsAndResetsTheRun() {
    QFETCH(int, kansuu);
    FigureModel start{.terms = {}, .kansuu = std::int16_t(kansuu)};
    start.terms.xAmp.fill(77);
    EngineRig rig(start);
    for (int tick = 0; tick < 3; ++tick) rig.engine.EvolveFigure();
    QVERIFY(rig.engine.StepBack(1));
    const FigureModel before = rig.model;
    const std::size_t shown = rig.canvas.points.size();
    // Draw k makes entry k come out as k % 9 + 1; the extremes of [0, 1) give 1 and 9.
    for (int k = 0; k < 4 * kansuu; ++k) rig.random.values.push_back((k % 9 + 0.5f) / 9);
    rig.random.values[0] = 0.0f;
    rig.random.values[8] = 0.99999994f;
    rig.random.drawn = 0;
    rig.engine.Start();
    QCOMPARE(rig.random.drawn, 4 * kansuu);
    const TermTables &t = rig.model.terms;
    const TermTable *tables[] = {&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq};
    for (int k = 0; k < 4 * kansuu; ++k) QCOMPARE((*tables[k % 4])[k / 4], k % 9 + 1);
    QCOMPARE(t.xAmp[kansuu], 77);
    QCOMPARE(QList<int>({rig.model.drawCount, rig.model.centerSet, rig.ring.histPos,
                         rig.ring.histFull, rig.ring.modoru, rig.model.running}),
             QList({0, 0, 0, 0, 0, 1}));
    QCOMPARE(rig.model.xShift, before.xShift);
    QCOMPARE(rig.captions.counts.back() + rig.captions.offsets.back(), 0);
    QCOMPARE(rig.canvas.points.size(), shown);  // Start draws nothing
  }

  void aTickNudgesClearsDrawsRecordsAndCounts() {
    FigureModel start{.terms = {}, .kansuu = 4, .drawCount = 41};
    start.terms.xAmp = start.terms.yAmp = start.terms.xFreq = start.terms.yFreq = {5, 5, 5, 5};
    EngineRig rig(start);
    rig.random.values = {kUp, kDown, kDown, kUp, 0.0f, 0.25f, 0.5f, 0.999999f};
    rig.engine.EvolveFigure();
    const TermTables &t = rig.model.terms;
    QCOMPARE(rig.random.drawn, 8);
    QCOMPARE(t.xAmp, (TermTable{6, 5, 5, 5}));
    QCOMPARE(t.yAmp, (TermTable{5, 4, 5, 5}));
    QCOMPARE(t.xFreq, (TermTable{5, 5, 4, 5}));
    QCOMPARE(t.yFreq, (TermTable{5, 5, 5, 6}));
    QCOMPARE(rig.canvas.cls, 1);
    QCOMPARE(rig.canvas.points.size(), size_t(kStepsPerPass));  // drawn after the Cls
    QCOMPARE(rig.ring.histPos, 1);
    for (int i = 0; i < 4; ++i) QCOMPARE(rig.ring.histYAmp[i][0], t.yAmp[i]);
    QCOMPARE(rig.captions.counts, std::vector<std::int32_t>{42});
  }

  void clampsOnceAfterAllNudges_data() {
    QTest::addColumn<Clamping>("c");
    for (const Clamping &c : kClamping) QTest::newRow(c.name) << c;
  }
  void clampsOnceAfterAllNudges() {
    QFETCH(Clamping, c);
    // Entry 4 was never seeded.
    FigureModel start{.terms = {}, .kansuu = 5, .henka = std::int16_t(c.signs.size() - 1)};
    start.terms.xAmp[0] = start.terms.yAmp[0] = static_cast<std::int16_t>(c.amp);
    start.terms.xFreq[0] = start.terms.yFreq[0] = static_cast<std::int16_t>(c.freq);
    EngineRig rig(start);
    for (int sign : c.signs) {
      for (int k = 0; k < 8; ++k)
        rig.random.values.push_back(k >= 4 ? 0.0f : sign > 0 ? kUp : kDown);
    }
    rig.engine.EvolveFigure();
    const TermTables &t = rig.model.terms;
    QCOMPARE(rig.random.drawn, 8 * c.signs.size());
    QCOMPARE(QList<int>({t.xAmp[0], t.yAmp[0], t.xFreq[0], t.yFreq[0]}),
             QList({c.ampAfter, c.ampAfter, c.freqAfter, c.freqAfter}));
    QCOMPARE(QList<int>({t.xAmp[4], t.yAmp[4], t.xFreq[4], t.yFreq[4]}), QList({0, 0, 1, 1}));
    QCOMPARE(t.yFreq[5], 0);  // not live: untouched
  }

  void ringStepsOnlyWhereAFigureIs_data() {
    QTest::addColumn<Stepping>("s");
    for (const Stepping &s : kStepping) QTest::newRow(s.name) << s;
  }
  void ringStepsOnlyWhereAFigureIs() {
    QFETCH(Stepping, s);
    HistoryRing ring;
    for (int k = 0; k < s.recorded; ++k) ring.Record({}, 4);
    ring.modoru = static_cast<std::int16_t>(s.offset);
    const auto n = static_cast<std::int16_t>(std::abs(s.move));
    QCOMPARE(s.move < 0 ? ring.MoveBack(n) : ring.MoveForward(n), s.slot >= 0);
    QCOMPARE(ring.modoru, s.slot >= 0 ? s.offset + s.move : s.offset);
    if (s.slot >= 0) QCOMPARE(ring.SelectedSlot(), s.slot);
  }

  // Dormant entries keep their values; a wider term count takes what the slot holds.
  void aStepRestoresTheLiveTermsAndRedraws() {
    FigureModel start{.terms = {}, .kansuu = 3};
    start.terms.yFreq[3] = 7;
    EngineRig rig(start);
    std::vector<TermTables> drawn;
    for (int k = 0; k < 3; ++k) rig.engine.EvolveFigure(), drawn.push_back(rig.model.terms);
    QVERIFY(rig.engine.StepBack(1));
    QCOMPARE(rig.model.terms.yFreq, drawn[1].yFreq);
    QCOMPARE(rig.canvas.cls, 4);
    QCOMPARE(rig.canvas.points.size(), size_t(kStepsPerPass));
    QCOMPARE(rig.captions.offsets.back(), -1);
    rig.engine.SetKansuu(4);
    QVERIFY(rig.engine.StepForward(1));
    QCOMPARE(rig.model.terms.xAmp, drawn[2].xAmp);
    QCOMPARE(rig.model.terms.yFreq[3], 0);
    QVERIFY(!rig.engine.StepForward(1));
    QCOMPARE(rig.canvas.cls, 5);
    QCOMPARE(rig.ring.histPos, 3);
  }
};

QTEST_APPLESS_MAIN(TestEngine)
#include "tst_engine.moc"
