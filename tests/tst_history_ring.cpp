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
  // Refusals and labels are covered through the window; here what a step does to the engine.
  void aStepRestoresAndRedrawsWithoutRecording() {
    auto rig = Recorded(10);
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->model.terms.xAmp[0], 8);
    QCOMPARE(rig->canvas.pointsAtLastCls, size_t(0));  // Cls, then the figure
    QCOMPARE(rig->canvas.points.size(), size_t(kStepsPerPass));
    rig->ring.Record(rig->model.terms, rig->model.kansuu);  // a tick while running
    QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.SelectedSlot(), 8);  // counted from the new newest figure
    QCOMPARE(rig->ring.histPos, 11);
  }

  void aThousandStepsBackShowTheNewestAgain() {
    auto rig = Recorded(HistoryRing::kSlots);
    for (int i = 0; i < HistoryRing::kSlots; ++i) QVERIFY(rig->engine.StepBack(1));
    QCOMPARE(rig->ring.modoru, -1000);
    QCOMPARE(rig->model.terms.xAmp[0], 999 % 11);
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
