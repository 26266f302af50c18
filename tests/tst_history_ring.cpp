#include <QTest>
#include <memory>

#include "support/test_doubles.h"

using namespace kurvimo;
using kurvimo::testing::EngineRig;

namespace {

// A rig with `count` recorded figures: figure k has x amplitude k % 11 for term 0.
std::unique_ptr<EngineRig> Recorded(int count) {
  auto rig = std::make_unique<EngineRig>();
  rig->model.kansuu = 4;
  for (int k = 0; k < count; ++k) {
    rig->model.terms.xAmp[0] = static_cast<std::int16_t>(k % 11);
    rig->model.terms.yFreq[3] = static_cast<std::int16_t>(k % 7 + 1);
    rig->ring.Record(rig->model.terms, rig->model.kansuu);
  }
  return rig;
}

}  // namespace

class TestHistoryRing : public QObject {
  Q_OBJECT

 private slots:
  void stepsOnlyThroughRecordedFigures() {
    auto rig = Recorded(1);
    QVERIFY(!rig->engine.StepBack(1));
    QVERIFY(!rig->engine.StepForward(1));
    QVERIFY(rig->canvas.points.empty() && rig->canvas.cls == 0);
    QVERIFY(rig->captions.offsets.empty());

    rig = Recorded(10);
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.SelectedSlot(), 8);
    QCOMPARE(rig->model.terms.xAmp[0], 8);
    QCOMPARE(rig->captions.offsets, std::vector<std::int16_t>{-1});
    QCOMPARE(rig->canvas.pointsAtLastCls, size_t(0));  // Cls, then the figure
    QCOMPARE(rig->canvas.points.size(), size_t(kStepsPerPass));
    rig->ring.Record(rig->model.terms, rig->model.kansuu);  // a tick while running
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.modoru, -2);
    QCOMPARE(rig->ring.SelectedSlot(), 8);
    QCOMPARE(rig->ring.histPos, 11);  // stepping records nothing
    QVERIFY(rig->engine.StepForward(1));
    QVERIFY(rig->engine.StepForward(1));
    QVERIFY(!rig->engine.StepForward(1));
    QCOMPARE(rig->ring.modoru, 0);
  }

  void wrapsAfterAThousandFigures() {
    auto rig = Recorded(HistoryRing::kSlots);
    QCOMPARE(rig->ring.histPos, 0);
    QCOMPARE(rig->ring.histFull, 1);
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.SelectedSlot(), 998);
    for (int i = 1; i < HistoryRing::kSlots; ++i) QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.modoru, -1000);
    QCOMPARE(rig->model.terms.xAmp[0], 999 % 11);  // the newest again

    rig->ring.modoru = 0;
    QVERIFY(rig->engine.StepForward(1));
    QCOMPARE(rig->ring.modoru, 1);
    QCOMPARE(rig->ring.SelectedSlot(), 998);  // +1 shows what -1 shows
  }

  // A wrapped ring has no guard, but the 16-bit offset must not overflow.
  void offsetNeverLeavesSixteenBits() {
    auto rig = Recorded(HistoryRing::kSlots);
    rig->ring.modoru = -32767;
    QVERIFY(rig->engine.StepBack(1));
    const int cleared = rig->canvas.cls;
    QVERIFY(!rig->engine.StepBack(1));
    QCOMPARE(rig->ring.modoru, -32768);
    QCOMPARE(rig->canvas.cls, cleared);
    rig->ring.modoru = 32767;
    QVERIFY(!rig->engine.StepForward(1));
    QVERIFY(rig->engine.StepBack(32767));
    QCOMPARE(rig->ring.modoru, 0);
  }

  void restoresOnlyTheLiveEntries() {
    auto rig = Recorded(3);
    rig->model.kansuu = 3;
    rig->model.terms.yFreq[3] = 9;
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->model.terms.xAmp[0], 1);
    QCOMPARE(rig->model.terms.yFreq[3], 9);
    rig->model.kansuu = 5;
    QVERIFY(rig->engine.StepForward(1));
    QCOMPARE(rig->model.terms.yFreq[3], 3);  // recorded with four terms
    QCOMPARE(rig->model.terms.yFreq[4], 0);  // never recorded
  }
};

QTEST_APPLESS_MAIN(TestHistoryRing)
#include "tst_history_ring.moc"
