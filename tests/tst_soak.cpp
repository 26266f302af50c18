// Hours of use in one run: the real main window through 100,000 ticks, in both draw modes, with
// every term count and change speed, and the history walked across a wrapped ring. Its invariants
// hold after every tick, and the heap is as large at the end as at the start.
#include <malloc.h>

#include <QScrollBar>
#include <QTest>

#include "support/form_rig.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // gcc ships no header for it
#endif

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

constexpr int kTicks = 100000;
constexpr int kRuns = 13 * 2 * 2;  // term counts 4..16, change speeds 0 and 10, New and Reserve

qint64 HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<qint64>(mallinfo2().uordblks);
#endif
}

// Empty when every invariant holds after `ticks` ticks since Start, else the first one broken.
QString Broken(FormRig &rig, int ticks) {
  const FigureModel &m = rig.model();
  const auto outside = [](int v, int low, int high) { return v < low || v > high; };
  for (int i = 0; i < m.kansuu; ++i) {
    if (outside(m.terms.xAmp[i], 0, 10) || outside(m.terms.yAmp[i], 0, 10) ||
        outside(m.terms.xFreq[i], 1, 10) || outside(m.terms.yFreq[i], 1, 10)) {
      return QString("term %1 out of range").arg(i);
    }
  }
  if (m.drawCount != ticks || rig.text("Labcount") != QString::number(ticks)) return "the count";
  if (outside(m.xShift, -4000, 4000) || outside(m.xCenterRef, -4000, 4000)) return "the centring";
  return {};
}

// Term 0 of all four tables, as drawn.
std::array<int, 4> FirstTerm(const FigureModel &m) {
  return {m.terms.xAmp[0], m.terms.yAmp[0], m.terms.xFreq[0], m.terms.yFreq[0]};
}

}  // namespace

class TestSoak : public QObject {
  Q_OBJECT

 private slots:
  void manyRunsKeepTheirInvariantsAndTheirMemory() {
    FormRig rig;
    const auto set = [&](const char *slider, int value) {
      rig.get<QScrollBar>(slider)->setValue(value);
    };
    qint64 heapAtStart = 0;
    for (int run = 0, done = 0; run < kRuns; ++run) {  // bit 0: mode, bit 1: speed, the rest: terms
      set("HScroll_kansuu", 4 + run / 4);
      set("HScroll_henka", run / 2 % 2 * 10);
      set("HScroll_bairitu", run % 3 * 10);
      set("HScroll_xichi", run % 3 * 250);
      set("HScroll_color", run % 16);
      rig.click(run % 2 ? "Option2" : "Option1");
      rig.click("comstart");
      const int ticks = run == kRuns - 1 ? kTicks - done : kTicks / kRuns;
      std::vector<std::array<int, 4>> drawn;
      for (int tick = 1; tick <= ticks; ++tick) {
        if (tick == ticks / 2) set("HScroll_kansuu", 20 - run / 4);
        rig.form.Timer1_Timer();
        drawn.push_back(FirstTerm(rig.model()));
        const QString broken = Broken(rig, tick);
        QVERIFY2(broken.isEmpty(),
                 qPrintable(QString("run %1, tick %2: %3").arg(run).arg(tick).arg(broken)));
      }
      done += ticks;
      rig.click("comstart");
      // Each step shows the figure drawn that many ticks before the newest, counted round the ring.
      for (const char *button : {"comMl", "comMr"}) {
        for (int i = 0; i < (run % 4 ? 3 : 1005); ++i) {
          rig.click(button);
          QCOMPARE(FirstTerm(rig.model()),
                   drawn[ticks - 1 - std::abs(rig.text("Labmodoru").toInt()) % 1000]);
        }
      }
      QCOMPARE(rig.text("Labmodoru"), "0");
      QCOMPARE(rig.runtime.failures, QStringList());
      QCoreApplication::processEvents();        // let the window paint, as it would between ticks
      if (run == 1) heapAtStart = HeapInUse();  // the canvas's lasting buffers exist by now
    }
    qInfo("heap in use: %lld bytes after the first runs, %lld at the end", heapAtStart,
          HeapInUse());
    QVERIFY(HeapInUse() - heapAtStart < 64 * 1024);
  }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
