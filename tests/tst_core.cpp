#include <sys/resource.h>

#include <QtTest>
#include <csignal>
#include <random>

#include "engine/figure_engine.h"
#include "engine/figure_walk.h"
#include "engine/renderer.h"
#include "files/save_commands.h"
#include "platform/bitmap_file.h"
#include "platform/image_canvas.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

using Tables = QList<QList<int>>;  // xAmp, yAmp, xFreq, yFreq, each from term 0 on

namespace {

// A canvas that keeps the points drawn since its last clear, and an engine on it whose random
// values are the scripted ones, then a fixed sequence.
struct Rig final : Canvas, CounterDisplay, RandomSource, PlotSink {
  explicit Rig(const FigureModel &start = {}) : engine(*this, *this, *this, start) {}
  void clear() override {
    ++clears;
    xs.clear();
  }
  void setPixels(std::span<const float> x, std::span<const float> y, QRgb rgb) override {
    xs << QList<float>(x.begin(), x.end());
    ys << QList<float>(y.begin(), y.end());
    colour = rgb;
  }
  void plot(std::span<const double> x, std::span<const double> y) override {  // before float
    exact << QList<double>(x.begin(), x.end()) << QList<double>(y.begin(), y.end());
  }
  QImage image() const override { return {}; }
  void setBackground(const QImage &) override {}
  void showFigureCount(int count) override { counts << count; }
  void showHistoryOffset(std::int16_t offset) override { offsets << offset; }
  void seedFromClock() override {}
  float next() override {
    ++draws;
    return values.isEmpty() ? std::uniform_real_distribution<float>()(sequence)
                            : values.takeFirst();
  }

  int clears = 0;
  int draws = 0;
  QRgb colour = 0;
  QList<float> xs;
  QList<float> ys;
  QList<float> values;
  QList<double> exact;
  QList<int> counts;
  QList<int> offsets;
  std::mt19937 sequence{1234};
  FigureEngine engine;
  const FigureModel &model = engine.model();
  const FigureHistory &ring = engine.history();
};

Tables firstTerms(const TermTables &t, int n) {
  Tables tables;
  for (const TermTable *table : {&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq})
    tables << QList<int>(table->begin(), table->begin() + n);
  return tables;
}

}  // namespace

class TestCore : public QObject {
  Q_OBJECT

 private slots:
  // One term of amplitude 10 turning a radian a step; three of amplitude 0 turn and add nothing.
  void walksAndPlotsTheWorkedExample() {
    FigureModel m;
    m.termCount = 4;
    m.magnification = 5;
    m.xPosition = 250;
    m.yPosition = 50;
    m.terms.xAmp = m.terms.yAmp = m.terms.xFreq = m.terms.yFreq = {10, 0, 0, 0};
    m.terms.xFreq[3] = m.terms.yFreq[2] = 7;
    m.colorIndex = 4;
    Rig canvas;
    drawFigure(m, canvas, RenderPath::Plain);
    QCOMPARE(qRound(canvas.xs[0] * 1e4), 2474346);  // position 10,002, the first plotted
    QCOMPARE(qRound(canvas.ys[0] * 1e4), 533378);
    QCOMPARE(canvas.colour, qRgb(128, 0, 0));  // the palette's red
  }

  // At magnification 0 a figure is one pixel at the X position; the drifting one moves right.
  void centresOnTheReference_data() {
    for (const char *column : {"drifting", "xPosition", "drawnBefore", "referenceBefore", "shift",
                               "reference", "firstX", "onFirstX"})
      QTest::addColumn<int>(column);
    QTest::newRow("(1000 + 1201) / 2 rounds down to even")
        << 0 << 1201 << 0 << 0 << 7 << 1100 << 1208 << kStepsPerPass;
    QTest::newRow("(1000 + 1203) / 2 rounds up to even")
        << 0 << 1203 << 0 << 0 << 7 << 1102 << 1210 << kStepsPerPass;
    QTest::newRow("every x below 0: the maximum stays 0")
        << 0 << -201 << 0 << 0 << 7 << -100 << -194 << kStepsPerPass;
    QTest::newRow("the first New figure: the old reference's shift, its own reference")
        << 0 << 250 << 0 << 300 << 50 << 250 << 300 << kStepsPerPass;
    QTest::newRow("a later figure keeps the reference")
        << 0 << 250 << 1 << 300 << 50 << 300 << 300 << kStepsPerPass;
    QTest::newRow("no reference: the shift stays")
        << 0 << 250 << 1 << 0 << 7 << 0 << 257 << kStepsPerPass;
    QTest::newRow("the start is neither measured nor plotted: 1..10001, then 10002")
        << 1 << 0 << 0 << 0 << 7 << 5001 << 10009 << 1;
  }
  void centresOnTheReference() {
    QFETCH(int, drifting);
    QFETCH(int, xPosition);
    QFETCH(int, drawnBefore);
    QFETCH(int, referenceBefore);
    QFETCH(int, firstX);
    FigureModel m;
    m.termCount = 4;
    m.magnification = drifting;
    m.xPosition = xPosition;
    m.yPosition = 40;
    m.terms.xAmp[0] = 10;
    m.terms.xFreq[0] = drifting ? 0 : 3;
    m.terms.yAmp[0] = drifting ? 0 : 10;
    m.terms.yFreq[0] = 3;
    m.xShift = 7;
    m.drawnSinceStart = drawnBefore;
    m.referenceCenter = std::int16_t(referenceBefore);
    Rig canvas;
    drawFigure(m, canvas);
    QTEST(int(m.xShift), "shift");
    QTEST(int(m.referenceCenter), "reference");
    QVERIFY(m.drawnSinceStart);
    QCOMPARE(canvas.xs.size(), kStepsPerPass);
    QCOMPARE(canvas.xs.first(), float(firstX));
    QTEST(int(canvas.xs.count(float(firstX))), "onFirstX");
    QCOMPARE(canvas.ys.count(40.0f), kStepsPerPass);
  }

  // Random term sets, with silent terms, junk past the live ones and values only a slot may hold.
  void fastPathsMatchThePlainWalk() {
    std::mt19937 random(7001);
    const auto draw = [&](int low, int high) {
      return static_cast<std::int16_t>(std::uniform_int_distribution(low, high)(random));
    };
    for (int set = 0; set < 1000; ++set) {
      FigureModel m;
      m.termCount = draw(4, 16);
      m.magnification = draw(0, 20);
      m.xPosition = draw(0, 500);
      m.yPosition = draw(0, 500);
      m.drawMode = DrawMode(draw(0, 1));
      m.xShift = draw(-200, 200);
      m.drawnSinceStart = draw(0, 1);
      m.referenceCenter = draw(0, 1) ? draw(0, 500) : 0;
      TermTable *tables[] = {&m.terms.xAmp, &m.terms.yAmp, &m.terms.xFreq, &m.terms.yFreq};
      for (int k = 0; k < 4 * kTableSize; ++k)
        (*tables[k % 4])[k / 4] = k / 4 < m.termCount ? draw(0, 10) : 99;
      for (int j = 0; j < m.termCount; ++j) {
        if (draw(1, 8) == 1) m.terms.xAmp[j] = m.terms.xFreq[j] = 0;
        if (draw(1, 8) == 1) m.terms.yAmp[j] = m.terms.yFreq[j] = 0;
      }
      const std::int16_t unusual[] = {-3, -1, 11, 32767};
      if (draw(1, 10) == 1) (*tables[draw(0, 3)])[draw(0, m.termCount - 1)] = unusual[draw(0, 3)];
      FigureModel plain = m;
      Rig plainPoints;
      renderFigure(plain, plainPoints, RenderPath::Plain);
      for (RenderPath path : {RenderPath::Table, RenderPath::Vector}) {
        FigureModel fast = m;
        Rig points;
        renderFigure(fast, points, path);
        if (points.exact != plainPoints.exact || !(fast == plain))
          QFAIL(qPrintable(u"term set %1: path %2 differs"_s.arg(set).arg(int(path))));
      }
    }
  }

  // Value k of a Start goes to term k / 4 of xAmp, yAmp, xFreq, yFreq in turn, as k % 9 + 1.
  void startSeedsTheLiveTermsAndResetsTheRun_data() {
    QTest::addColumn<int>("termCount");
    QTest::newRow("the fewest terms: 16 values") << 4;
    QTest::newRow("the most terms: 64 values") << 16;
  }
  void startSeedsTheLiveTermsAndResetsTheRun() {
    QFETCH(int, termCount);
    FigureModel start;
    start.termCount = termCount;
    start.terms.xAmp.fill(77);
    start.xShift = 5;
    start.referenceCenter = 260;
    Rig rig(start);
    for (int k = 0; k <= RingPosition::kSlots; ++k) rig.engine.evolveFigure();  // the ring wraps
    QVERIFY(rig.engine.stepBack(1));
    FigureModel expected = rig.model;
    TermTable *tables[] = {&expected.terms.xAmp, &expected.terms.yAmp, &expected.terms.xFreq,
                           &expected.terms.yFreq};
    for (int k = 0; k < 4 * termCount; ++k) {
      rig.values << (k == 8 ? 0.99999994f : float(k % 9) / 9);
      (*tables[k % 4])[k / 4] = std::int16_t(k % 9 + 1);
    }
    expected.figureCount = 0;
    expected.drawnSinceStart = false;
    expected.running = true;
    const int clears = rig.clears;
    rig.draws = 0;
    rig.engine.start();
    QCOMPARE(rig.draws, 4 * termCount);
    QVERIFY2(rig.model == expected, "more changed than the live terms, the count and the centring");
    QCOMPARE(rig.ring.nextSlot(), 0);
    QCOMPARE(rig.ring.isWrapped(), false);
    QCOMPARE(rig.ring.offset(), 0);
    QCOMPARE(rig.counts.last(), 0);
    QCOMPARE(rig.offsets.last(), 0);
    QVERIFY(!rig.engine.stepBack(1));  // no figure yet
    QCOMPARE(rig.clears, clears);      // neither Start nor the refused step draws
  }

  // Five live terms, the last never seeded; an iteration draws four signs, then four terms.
  void aTickNudgesClampsOnceDrawsRecordsAndCounts_data() {
    QTest::addColumn<int>("amplitude");
    QTest::addColumn<int>("phaseStep");
    QTest::addColumn<QList<int>>("signs");
    QTest::addColumn<QList<int>>("moved");
    QTest::addColumn<Tables>("tables");
    QTest::newRow("change speed 0: each table moves the one term it drew")
        << 5 << 5 << QList{1, -1, -1, 1} << QList{0, 1, 2, 3}
        << Tables{{6, 5, 5, 5, 0}, {5, 4, 5, 5, 0}, {5, 5, 4, 5, 1}, {5, 5, 5, 6, 1}};
    QTest::newRow("clamped once: 10 up and down stays 10, 1 down twice is 1")
        << 10 << 1 << QList{1, 1, -1, -1, -1, -1, -1, -1} << QList<int>(8, 0)
        << Tables{{10, 10, 10, 10, 0}, {10, 10, 10, 10, 0}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}};
    QTest::newRow("clamped once: 0 down, down and up is 0; 10 up, up and down is 10")
        << 0 << 10 << QList{-1, -1, 1, 1, -1, -1, 1, 1, 1, 1, -1, -1} << QList<int>(12, 0)
        << Tables{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {10, 10, 10, 10, 1}, {10, 10, 10, 10, 1}};
  }
  void aTickNudgesClampsOnceDrawsRecordsAndCounts() {
    QFETCH(int, amplitude);
    QFETCH(int, phaseStep);
    QFETCH(QList<int>, signs);
    QFETCH(QList<int>, moved);
    FigureModel start;
    start.termCount = 5;
    start.figureCount = 32767;
    start.changeSpeed = int(signs.size()) / 4 - 1;
    start.magnification = 5;
    start.xPosition = 250;
    start.terms.yFreq[5] = 9;
    for (int i = 0; i < 4; ++i) {
      start.terms.xAmp[i] = start.terms.yAmp[i] = std::int16_t(amplitude);
      start.terms.xFreq[i] = start.terms.yFreq[i] = std::int16_t(phaseStep);
    }
    Rig rig(start);
    // 0.5 is the smallest value that gives +1; term k of five lies in [k / 5, (k + 1) / 5).
    for (qsizetype i = 0; i < signs.size(); i += 4) {
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (signs[j] > 0 ? 0.5f : 0.4999999f);
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (float(moved[j]) + 0.5f) / 5;
    }
    rig.engine.evolveFigure();
    QTEST(firstTerms(rig.model.terms, 5), "tables");
    QCOMPARE(rig.draws, int(signs.size()) * 2);
    QCOMPARE(rig.model.terms.yFreq[5], 9);  // past the live terms
    QCOMPARE(rig.clears, 1);
    FigureModel clamped = start;  // what was drawn is the clamped set
    clamped.terms = rig.model.terms;
    Rig again(clamped);
    drawFigure(clamped, again);
    QCOMPARE(rig.xs, again.xs);
    QTEST(firstTerms(rig.ring.selectedEntry(), 5), "tables");  // recorded as drawn
    QCOMPARE(rig.counts, QList{32768});                        // past what 16 bits hold
  }

  // `move` < 0 is "<" that many times, > 0 ">"; a refused move keeps the offset (slot -1).
  void theRingStepsOnlyWhereAFigureIs_data() {
    for (const char *column : {"recorded", "offset", "move", "offsetAfter", "slot"})
      QTest::addColumn<int>(column);
    QTest::newRow("one figure: < refused") << 1 << 0 << -1 << 0 << -1;
    QTest::newRow("two figures: < shows the first") << 2 << 0 << -1 << -1 << 0;
    QTest::newRow("two figures: a second < refused") << 2 << -1 << -1 << -1 << -1;
    QTest::newRow("> at the newest refused before the ring wraps") << 999 << 0 << 1 << 0 << -1;
    QTest::newRow("> back to the newest") << 5 << -1 << 1 << 0 << 4;
    QTest::newRow("1000 figures: < shows slot 998") << 1000 << 0 << -1 << -1 << 998;
    QTest::newRow("1001 figures: < from slot 0 is slot 999") << 1001 << 0 << -1 << -1 << 999;
    QTest::newRow("wrapped: < past the oldest is the newest") << 1000 << -999 << -1 << -1000 << 999;
    QTest::newRow("wrapped: > past the newest shows +1 as -1") << 1000 << 0 << 1 << 1 << 998;
    QTest::newRow("wrapped: the offset stays 16-bit") << 1000 << -32768 << -1 << -32768 << -1;
  }
  void theRingStepsOnlyWhereAFigureIs() {
    QFETCH(int, recorded);
    QFETCH(int, offset);
    QFETCH(int, move);
    QFETCH(int, slot);
    RingPosition ring;
    for (int k = 0; k < recorded; ++k) ring.advance();
    for (int k = 0; k > offset; --k) ring.moveBack(1);
    for (int k = 0; k < offset; ++k) ring.moveForward(1);
    const auto n = std::int16_t(std::abs(move));
    QCOMPARE(move < 0 ? ring.moveBack(n) : ring.moveForward(n), slot >= 0);
    QTEST(int(ring.offset()), "offsetAfter");
    if (slot >= 0) QCOMPARE(ring.selectedSlot(), slot);
  }

  // A term live now but not when recorded takes the slot's 0; nothing is recorded or counted.
  void aStepRestoresTheLiveTermsOfItsSlotAndRedraws() {
    FigureModel start;
    start.termCount = 3;
    start.terms.xAmp[3] = 7;
    start.terms.yFreq[5] = 9;
    Rig rig(start);
    QList<TermTables> drawn;
    for (int k = 0; k < 10; ++k) {
      rig.engine.evolveFigure();
      drawn << rig.model.terms;
    }
    rig.engine.setTermCount(4);
    QVERIFY(rig.engine.stepBack(1));
    QCOMPARE(firstTerms(rig.model.terms, 3), firstTerms(drawn[8], 3));
    QCOMPARE(rig.model.terms.xAmp[3], 0);
    QCOMPARE(rig.model.terms.yFreq[5], 9);
    QCOMPARE(rig.offsets.last(), -1);
    QCOMPARE(rig.clears, 11);
    QCOMPARE(rig.xs.size(), kStepsPerPass);
    QCOMPARE(rig.ring.nextSlot(), 10);
    QCOMPARE(rig.counts.last(), 10);
    rig.engine.evolveFigure();  // during a run, the next "<" counts from the newest figure
    QCOMPARE(rig.ring.offset(), -1);
  }

  // A write that fails part way, as on a full disk, tells why and leaves the old file whole.
  void aFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    QFile old(dir.filePath("x.bmp"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    QCOMPARE(old.write("old"), 3);
    old.close();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);  // else the write kills the process instead of failing
    const rlimit limited{4096, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const QString reason = saveBitmap(ImageCanvas().image(), old.fileName());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, "file too large");
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), "old");
  }

  // The name exactly as typed, with ".bmp" always added, in the folder.
  void theSaveAsPathIsTheFolderTheNameAndBmp_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("a name") << u"/d"_s << u"Star"_s << u"/d/Star.bmp"_s;
    QTest::newRow("the root folder: one separator") << u"/"_s << u"x"_s << u"/x.bmp"_s;
    QTest::newRow("a typed extension stays") << u"/d"_s << u"a.bmp"_s << u"/d/a.bmp.bmp"_s;
    QTest::newRow("blanks stay") << u"/d"_s << u" a "_s << u"/d/ a .bmp"_s;
    QTest::newRow("no name") << u"/d"_s << u""_s << u"/d/.bmp"_s;
  }
  void theSaveAsPathIsTheFolderTheNameAndBmp() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTEST(targetPath(folder, name), "path");
  }

  // Each file is read as the picture it was made from, which Qt's own PPM reader reads, or refused.
  void theLoaderReadsWhatAnotherProgramWrote_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("cut");  // bytes taken off the end
    QTest::addColumn<QString>("refused");
    QTest::newRow("1-bit") << u"1bit"_s << u"two"_s << 0 << u""_s;
    QTest::newRow("4-bit") << u"4bit"_s << u"sixteen"_s << 0 << u""_s;
    QTest::newRow("4-bit, run-length coded") << u"4bit-rle"_s << u"sixteen"_s << 0 << u""_s;
    QTest::newRow("8-bit") << u"8bit"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("8-bit, run-length coded") << u"8bit-rle"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("24-bit") << u"24bit"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("24-bit, top-down") << u"24bit-top-down"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("24-bit, the oldest header") << u"24bit-core"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("24-bit, V5 header") << u"24bit-v5"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("32-bit bit fields, V5 header") << u"32bit-v5"_s << u"many"_s << 0 << u""_s;
    QTest::newRow("run-length coded, cut short")
        << u"8bit-rle"_s << u""_s << 20 << u"it is cut short: its pixels end before"_s;
    QTest::newRow("uncompressed, cut short")
        << u"24bit"_s << u""_s << 1 << u"it is cut short: its header announces 174 bytes"_s;
  }
  void theLoaderReadsWhatAnotherProgramWrote() {
    QFETCH(QString, file);
    QFETCH(QString, picture);
    QFETCH(int, cut);
    QFETCH(QString, refused);
    QFile bitmap(KURVIMO_TEST_DATA "/" + file + ".bmp");
    QVERIFY(bitmap.open(QIODevice::ReadOnly));
    const Picture loaded = decodeBitmap(bitmap.readAll().chopped(cut));
    QCOMPARE(loaded.error.left(refused.size()), refused);
    const QImage made(picture.isEmpty() ? QString() : KURVIMO_TEST_DATA "/" + picture + ".ppm");
    QCOMPARE(loaded.image.convertToFormat(QImage::Format_RGB32),
             made.convertToFormat(QImage::Format_RGB32));
  }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
