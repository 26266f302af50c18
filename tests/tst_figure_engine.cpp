#include <QTest>

#include "support/test_doubles.h"

using namespace kurvimo;
using kurvimo::testing::EngineRig;

namespace {

constexpr float kUp = 0.5f;          // the smallest value that gives +1
constexpr float kDown = 0.4999999f;  // the largest value that gives -1

// Eight draws of one nudge iteration in which every table moves entry `index` by `sign`.
void ScriptIteration(EngineRig &rig, int sign, int index) {
  for (int table = 0; table < 4; ++table) rig.random.values.push_back(sign > 0 ? kUp : kDown);
  const float r = (index + 0.5f) / rig.model.kansuu;
  for (int table = 0; table < 4; ++table) rig.random.values.push_back(r);
}

}  // namespace

class TestFigureEngine : public QObject {
  Q_OBJECT

 private slots:
  void seedsTheLiveTermsInOrder_data() {
    QTest::addColumn<int>("kansuu");
    QTest::newRow("fewest terms") << 4;
    QTest::newRow("most terms") << 16;
  }
  void seedsTheLiveTermsInOrder() {
    QFETCH(int, kansuu);
    EngineRig rig;
    FigureModel &m = rig.model;
    m.kansuu = static_cast<std::int16_t>(kansuu);
    m.terms.xAmp.fill(77);
    m.xShift = -12;
    m.drawCount = m.centerSet = rig.ring.histPos = rig.ring.histFull = 1;
    // Value k makes entry k come out as k % 9 + 1; the extremes of [0, 1) give 1 and 9.
    for (int k = 0; k < 4 * kansuu; ++k) rig.random.values.push_back((k % 9 + 0.5f) / 9);
    rig.random.values[0] = 0.0f;
    rig.random.values[8] = 0.99999994f;
    rig.random.values.push_back(0.0f);  // must be left over

    rig.engine.SeedFigure();

    QCOMPARE(rig.random.values.size(), size_t(1));
    for (int i = 0; i < kansuu; ++i) {
      QCOMPARE(m.terms.xAmp[i], (4 * i) % 9 + 1);
      QCOMPARE(m.terms.yAmp[i], (4 * i + 1) % 9 + 1);
      QCOMPARE(m.terms.xFreq[i], (4 * i + 2) % 9 + 1);
      QCOMPARE(m.terms.yFreq[i], (4 * i + 3) % 9 + 1);
    }
    for (int i = kansuu; i < kTableSize; ++i) QCOMPARE(m.terms.xAmp[i], 77);
    QCOMPARE(m.drawCount + m.centerSet + rig.ring.histPos + rig.ring.histFull, 0);
    QCOMPARE(m.xShift, -12);
    QCOMPARE(rig.captions.counts, std::vector<std::int32_t>{0});
    QCOMPARE(rig.captions.offsets, std::vector<std::int16_t>{0});
    QVERIFY(rig.canvas.points.empty() && rig.canvas.cls == 0);
  }

  void nudgesOneEntryOfEachTablePerIteration() {
    EngineRig rig;
    TermTables &t = rig.model.terms;
    rig.model.kansuu = 4;
    t.xAmp = t.yAmp = t.xFreq = t.yFreq = {5, 5, 5, 5};
    rig.random.values = {kUp, kDown, kDown, kUp, 0.0f, 0.25f, 0.5f, 0.999999f};
    rig.engine.EvolveFigure();
    QVERIFY(rig.random.values.empty());
    QCOMPARE(t.xAmp, (TermTable{6, 5, 5, 5}));
    QCOMPARE(t.yAmp, (TermTable{5, 4, 5, 5}));
    QCOMPARE(t.xFreq, (TermTable{5, 5, 4, 5}));
    QCOMPARE(t.yFreq, (TermTable{5, 5, 5, 6}));
  }

  void clampsOnceAfterAllNudges_data() {
    QTest::addColumn<QList<int>>("signs");  // one iteration each, all on entry 0
    QTest::addColumn<int>("amp");
    QTest::addColumn<int>("freq");
    QTest::addColumn<int>("ampAfter");
    QTest::addColumn<int>("freqAfter");
    QTest::newRow("amplitude 10 up then down") << QList<int>{1, -1} << 10 << 5 << 10 << 5;
    QTest::newRow("amplitude 0 down, down, up") << QList<int>{-1, -1, 1} << 0 << 5 << 0 << 4;
    QTest::newRow("phase step 1 down") << QList<int>{-1} << 3 << 1 << 2 << 1;
    QTest::newRow("phase step 10 up") << QList<int>{1} << 9 << 10 << 10 << 10;
  }
  void clampsOnceAfterAllNudges() {
    QFETCH(QList<int>, signs);
    QFETCH(int, amp);
    QFETCH(int, freq);
    QFETCH(int, ampAfter);
    QFETCH(int, freqAfter);
    EngineRig rig;
    TermTables &t = rig.model.terms;
    rig.model.kansuu = 5;  // entry 4 was never seeded
    rig.model.henka = static_cast<std::int16_t>(signs.size() - 1);
    t.xAmp[0] = t.yAmp[0] = static_cast<std::int16_t>(amp);
    t.xFreq[0] = t.yFreq[0] = static_cast<std::int16_t>(freq);
    for (int sign : signs) ScriptIteration(rig, sign, 0);
    rig.engine.EvolveFigure();
    QCOMPARE(t.xAmp[0] * 100 + t.xFreq[0], ampAfter * 100 + freqAfter);
    QCOMPARE(t.yAmp[0] * 100 + t.yFreq[0], ampAfter * 100 + freqAfter);
    QCOMPARE(t.xAmp[4] * 100 + t.xFreq[4], 1);  // newly live: phase steps become 1
    QCOMPARE(t.yFreq[5], 0);                    // not live: untouched
  }

  void tickClearsDrawsRecordsAndCounts() {
    EngineRig rig;
    rig.model.kansuu = 4;
    rig.model.henka = 2;
    rig.model.drawCount = 41;
    for (int i = 0; i < 3; ++i) ScriptIteration(rig, 1, i);
    rig.engine.EvolveFigure();
    QVERIFY(rig.random.values.empty());
    QCOMPARE(rig.canvas.cls, 1);
    QCOMPARE(rig.canvas.pointsAtLastCls, size_t(0));  // cleared before drawing
    QCOMPARE(rig.canvas.points.size(), size_t(kStepsPerPass));
    QCOMPARE(rig.model.centerSet, 1);
    QCOMPARE(rig.ring.histPos, 1);
    for (int i = 0; i < 4; ++i) QCOMPARE(rig.ring.histXFreq[i][0], rig.model.terms.xFreq[i]);
    QCOMPARE(rig.captions.counts, std::vector<std::int32_t>{42});
  }
};

QTEST_APPLESS_MAIN(TestFigureEngine)
#include "tst_figure_engine.moc"
