// Hours of use in one run: the real main window through 100,000 direct ticks, with every mode,
// term count and change speed, and the history stepped across a wrapped ring. The invariants are
// checked after every tick, and the heap must be as large at the end as at the start.
#include <malloc.h>

#include <QFile>
#include <QScrollBar>
#include <QTest>

#include "support/form_rig.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count; gcc ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
constexpr const char *kQuarantineNote = ", freed memory held for checking included";
#else
constexpr const char *kQuarantineNote = "";
#endif

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

constexpr int kTicks = 100000;
constexpr int kLowestTerms = 4;
constexpr int kHighestTerms = 16;
constexpr int kSpeeds[] = {0, 10};
constexpr const char *kModes[] = {"Option1", "Option2"};
constexpr int kRuns = (kHighestTerms - kLowestTerms + 1) * std::size(kSpeeds) * std::size(kModes);
constexpr int kMagnifications[] = {0, 5, 20};
constexpr int kOrigins[] = {0, 250, 500};
constexpr int kLongWalkEvery = 4;  // runs whose history is walked all the way round
constexpr int kLongWalk = 1005;    // past the oldest figure of a full ring
constexpr int kShiftLimit = 4000;
// The first run of each mode makes the canvas's lasting buffers; memory counts from there.
constexpr int kWarmUpRuns = 2;
constexpr qint64 kHeapSlack = 64 * 1024;
constexpr qint64 kPeakSlackKb = 1024;

// Bytes the allocator has handed out and not yet had back.
qint64 HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<qint64>(mallinfo2().uordblks);
#endif
}

// The process's peak resident size so far, in kB.
qint64 PeakKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  }
  return -1;
}

bool Within(int value, int low, int high) {
  return value >= low && value <= high;
}

// Empty when every invariant holds, else the first one broken.
QString Broken(FormRig &rig, int sinceStart) {
  const FigureModel &m = rig.model();
  for (int i = 0; i < m.kansuu; ++i) {
    const TermTables &t = m.terms;
    if (!Within(t.xAmp[i], 0, 10) || !Within(t.yAmp[i], 0, 10))
      return QStringLiteral("amplitude of term %1 out of 0..10").arg(i);
    if (!Within(t.xFreq[i], 1, 10) || !Within(t.yFreq[i], 1, 10))
      return QStringLiteral("phase step of term %1 out of 1..10").arg(i);
  }
  if (!Within(rig.form.engine().history().histPos, 0, HistoryRing::kSlots - 1))
    return QStringLiteral("histPos %1").arg(rig.form.engine().history().histPos);
  if (m.drawCount != sinceStart || rig.text("Labcount") != QString::number(sinceStart))
    return QStringLiteral("drawCount %1 after %2 ticks").arg(m.drawCount).arg(sinceStart);
  if (!Within(m.xShift, -kShiftLimit, kShiftLimit) ||
      !Within(m.xCenterRef, -kShiftLimit, kShiftLimit))
    return QStringLiteral("xShift %1, xCenterRef %2").arg(m.xShift).arg(m.xCenterRef);
  return {};
}

// Steps `n` figures one way then back, checking that each shows its slot of the ring.
void WalkHistory(FormRig &rig, int n) {
  const HistoryRing &ring = rig.form.engine().history();
  for (const char *button : {"comMl", "comMr"}) {
    for (int i = 0; i < n; ++i) {
      rig.click(button);
      const int slot = ring.SelectedSlot();
      QVERIFY(Within(slot, 0, HistoryRing::kSlots - 1));
      QCOMPARE(rig.model().terms.yFreq[0], ring.histYFreq[0][slot]);
      QCOMPARE(rig.text("Labmodoru"), QString::number(ring.modoru));
    }
  }
  QCOMPARE(ring.modoru, std::int16_t{0});
}

void Set(FormRig &rig, const char *slider, int value) {
  rig.get<QScrollBar>(slider)->setValue(value);
}

}  // namespace

class TestSoak : public QObject {
  Q_OBJECT

 private slots:
  void manyRunsKeepTheirInvariantsAndTheirMemory() {
    FormRig rig;
    qint64 heapAtStart = 0;
    qint64 peakAtStart = 0;
    int done = 0;
    for (int run = 0; run < kRuns; ++run) {  // bit 0: mode, bit 1: speed, the rest: terms
      Set(rig, "HScroll_kansuu", kLowestTerms + run / 4);
      Set(rig, "HScroll_henka", kSpeeds[run / 2 % 2]);
      Set(rig, "HScroll_bairitu", kMagnifications[run % 3]);
      Set(rig, "HScroll_xichi", kOrigins[run % 3]);
      Set(rig, "HScroll_color", run % 16);
      rig.click(kModes[run % 2]);
      rig.click("comstart");
      QCOMPARE(rig.runtime.failures, QStringList());
      const int ticks = run == kRuns - 1 ? kTicks - done : kTicks / kRuns;
      for (int tick = 1; tick <= ticks; ++tick) {
        if (tick == ticks / 2) Set(rig, "HScroll_kansuu", kHighestTerms + kLowestTerms - run / 4);
        rig.form.Timer1_Timer();
        const QString broken = Broken(rig, tick);
        QVERIFY2(broken.isEmpty(),
                 qPrintable(QStringLiteral("run %1, tick %2: %3").arg(run).arg(tick).arg(broken)));
      }
      done += ticks;
      rig.click("comstart");
      WalkHistory(rig, run % kLongWalkEvery == 0 ? kLongWalk : 3);
      QCoreApplication::processEvents();  // let the window paint, as it would between ticks
      if (run == kWarmUpRuns - 1) heapAtStart = HeapInUse(), peakAtStart = PeakKb();
    }
    QCOMPARE(done, kTicks);
    qInfo("peak resident size: %lld kB at the start, %lld kB at the end%s", peakAtStart, PeakKb(),
          kQuarantineNote);
    qInfo("heap in use: %lld bytes at the start, %lld bytes at the end", heapAtStart, HeapInUse());
    QVERIFY(HeapInUse() - heapAtStart < kHeapSlack);
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's quarantine holds freed memory on purpose
    QVERIFY(PeakKb() - peakAtStart < kPeakSlackKb);
#endif
  }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
