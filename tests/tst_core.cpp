#include <sys/resource.h>
#include <sys/stat.h>

#include <QtTest>
#include <csignal>
#include <random>

#include "engine/figure_engine.h"
#include "engine/renderer.h"
#include "files/save_commands.h"
#include "files/window_placement.h"
#include "platform/bitmap_file.h"
#include "platform/image_canvas.h"
#include "platform/system_random.h"
#include "tables.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

// Keeps the points drawn since the last Clear, and counts the Clear calls.
struct RecordingCanvas final : Canvas {
  void Clear() override { ++clears, xs.clear(), ys.clear(); }
  void SetPixel(float x, float y, QRgb) override { xs << x, ys << y; }
  QImage Image() const override { return {}; }
  void SetBackground(const QImage &) override {}
  int clears = 0;
  QList<float> xs, ys;
};

// An engine on that canvas from the model `start`; its random values are the scripted ones, then
// a fixed sequence. It keeps the counters it shows.
struct EngineRig final : CounterDisplay, RandomSource {
  explicit EngineRig(const FigureModel &start = {}) : engine(canvas, *this, *this, start) {}
  void ShowFigureCount(int count) override { counts << count; }
  void ShowHistoryOffset(std::int16_t offset) override { offsets << offset; }
  void SeedFromClock() override {}
  float Next() override {
    return ++drawn, values.isEmpty() ? std::uniform_real_distribution<float>()(sequence)
                                     : values.takeFirst();
  }
  RecordingCanvas canvas;
  QList<float> values;
  int drawn = 0;
  std::mt19937 sequence{1234};
  QList<int> counts, offsets;
  FigureEngine engine;
  const FigureModel &model = engine.model();
  const HistoryRing &ring = engine.history();
};

QList<int> First6(const TermTable &table) {
  return {table.begin(), table.begin() + 6};
}

}  // namespace

class TestCore : public QObject {
  Q_OBJECT

 private slots:
  // One term of amplitude 10 turning one radian a step; the other three add nothing.
  void walksAndPlotsTheWorkedExample() {
    FigureModel m;
    m.termCount = 4, m.magnification = 5, m.xPosition = 250, m.yPosition = 50;
    m.terms.xAmp[0] = m.terms.yAmp[0] = m.terms.xFreq[0] = m.terms.yFreq[0] = 10;
    FigureWalk walk(m.terms, m.termCount);
    for (double measured : {255.0, 257.7015, 255.6208}) {  // positions 1 to 3
      walk.Next();
      QCOMPARE(qRound64((5 * walk.posX + 250) * 1e4), qRound64(measured * 1e4));
    }
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(canvas.xs.size(), 10001);
    QCOMPARE(qRound(canvas.xs[0] * 1e4), 2474346);  // position 10,002, the first plotted
    QCOMPARE(qRound(canvas.ys[0] * 1e4), 533378);
  }

  // Every amplitude 0, so each measured x is the X position; the extent starts at 1000 and 0. The
  // shift before is 7; every point lands at the X position plus the shift after.
  void centresOnTheReference_data() {
    for (const char *column :
         {"xPosition", "reserve", "drawnBefore", "referenceBefore", "shift", "reference"})
      QTest::addColumn<int>(column);
    Row("a half rounds to even: (1000 + 1201) / 2", 1201, 0, 0, 0, 7, 1100);
    Row("the extent's start 0 is its maximum", -201, 0, 0, 0, 7, -100);
    Row("the first New figure: the old shift, its own reference", 250, 0, 0, 300, 50, 250);
    Row("Reserve keeps the reference", 250, 1, 0, 300, 50, 300);
    Row("a reference of 0 stops the re-centring", 250, 0, 1, 0, 7, 0);
  }
  void centresOnTheReference() {
    QFETCH(int, xPosition);
    QFETCH(int, reserve);
    QFETCH(int, drawnBefore);
    QFETCH(int, referenceBefore);
    QFETCH(int, shift);
    FigureModel m;
    m.termCount = 4, m.magnification = 3, m.xPosition = xPosition, m.yPosition = 40, m.xShift = 7;
    m.drawMode = DrawMode(reserve), m.drawnSinceStart = drawnBefore;
    m.referenceCenter = std::int16_t(referenceBefore);
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QTEST(int(m.xShift), "shift");
    QTEST(int(m.referenceCenter), "reference");
    QVERIFY(m.drawnSinceStart);
    QCOMPARE(canvas.xs, QList<float>(10001, xPosition + shift));
    QCOMPARE(canvas.ys, QList<float>(10001, 40));
  }

  // Random term sets: values 0..10, silent terms, junk past the live ones, and sometimes values
  // that only a history slot may hold. Every path plots the plain walk's points and centres alike.
  void fastPathsMatchThePlainWalk() {
    std::mt19937 random(7001);
    const auto draw = [&](int low, int high) {
      return static_cast<std::int16_t>(std::uniform_int_distribution(low, high)(random));
    };
    for (int set = 0; set < 1000; ++set) {
      FigureModel m;
      m.termCount = draw(4, 16), m.magnification = draw(0, 20), m.xPosition = draw(0, 500);
      m.yPosition = draw(0, 500), m.drawMode = DrawMode(draw(0, 1)), m.xShift = draw(-200, 200);
      m.drawnSinceStart = draw(0, 1), m.referenceCenter = draw(0, 1) ? draw(0, 500) : 0;
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
      RecordingCanvas plainPoints, points;
      DrawFigure(plain, plainPoints, RenderPath::kPlain);
      for (auto [path, name] : {std::pair{RenderPath::kWideVector, "AVX-512"},
                                {RenderPath::kVector, "AVX2"},
                                {RenderPath::kTable, "table"}}) {
        FigureModel fast = m;
        DrawFigure(fast, points, path);
        if (PathAvailable(path) &&
            (points.xs != plainPoints.xs || points.ys != plainPoints.ys || !(fast == plain)))
          QFAIL(qPrintable(u"term set %1: the %2 path differs"_s.arg(set).arg(name)));
        points.Clear();
      }
    }
  }

  // A point lights the nearest pixel, halves to the even one; what falls outside is dropped, and
  // Clear brings the background back.
  void theCanvasLightsTheNearestPixelAndKeepsItsBackground() {
    ImageCanvas canvas;
    QImage background(517, 485, QImage::Format_RGB32);
    background.fill(0xFF123456);
    canvas.SetBackground(background);
    const float x[] = {2.5f, 3.5f, -0.5f, 516.5f, -0.51f, 516.51f, 10, 10};
    const float y[] = {3.5f, 0.49f, 0, 484.5f, 0, 0, -0.51f, 484.51f};
    canvas.SetPixels(x, y, 0xFF0000FF);
    QList<QPoint> lit;
    for (int i = 0; i < 517 * 485; ++i)
      if (canvas.Image().pixel(i % 517, i / 517) == 0xFF0000FF) lit << QPoint(i % 517, i / 517);
    QCOMPARE(lit, (QList<QPoint>{{0, 0}, {4, 0}, {2, 4}, {516, 484}}));
    canvas.Clear();
    QCOMPARE(canvas.Image(), background);
  }

  // The live terms get fresh values 1..9 and the run starts afresh; the centring and the terms
  // past the live ones stay; nothing is drawn.
  void startSeedsTheLiveTermsAndResetsTheRun() {
    FigureModel start;
    start.termCount = 16, start.terms.xAmp.fill(77);
    EngineRig rig(start);
    for (int tick = 0; tick < 3; ++tick) rig.engine.EvolveFigure();
    QVERIFY(rig.engine.StepBack(1));
    FigureModel expected = rig.model;
    TermTables &t = expected.terms;
    // Value k goes to term k / 4 of table k % 4 as k % 9 + 1; 0 and the float below 1 give 1 and 9.
    for (int k = 0; k < 64; ++k) {
      rig.values << (k == 8 ? 0.99999994f : k % 9 / 9.f);
      (*std::array{&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq}[k % 4])[k / 4] = std::int16_t(k % 9 + 1);
    }
    expected.figureCount = 0, expected.drawnSinceStart = false, expected.running = true;
    rig.drawn = 0;
    rig.engine.Start();
    QCOMPARE(rig.drawn, 64);
    QCOMPARE(rig.model.terms, expected.terms);
    QVERIFY2(rig.model == expected, "more changed than the terms, the count and drawnSinceStart");
    QCOMPARE(QList<int>({rig.ring.nextSlot, rig.ring.wrapped, rig.ring.offset}), QList<int>(3, 0));
    QCOMPARE(QList({rig.counts.back(), rig.offsets.back()}), QList({0, 0}));  // shown
    QCOMPARE(QList({rig.canvas.clears, int(rig.canvas.xs.size())}),
             QList({4, 10001}));  // no more clears or points
  }

  // Five live terms, the last never seeded; terms 0..3 start at `amplitude` and `phaseStep`. Each
  // iteration draws four signs, for xAmp, yAmp, xFreq and yFreq, then the term each one moves.
  void aTickNudgesClampsOnceDrawsRecordsAndCounts_data() {
    QTest::addColumn<int>("amplitude");
    QTest::addColumn<int>("phaseStep");
    for (const char *column : {"signs", "moved", "xAmp", "yAmp", "xFreq", "yFreq"})
      QTest::addColumn<QList<int>>(column);  // the tables: terms 0..5 afterwards
    Row("each table moves the term it drew", 5, 5, QList{1, -1, -1, 1}, QList{0, 1, 2, 3},
        QList{6, 5, 5, 5, 0, 0}, QList{5, 4, 5, 5, 0, 0}, QList{5, 5, 4, 5, 1, 0},
        QList{5, 5, 5, 6, 1, 0});
    Row("clamped once: 10 up and down stays 10, 1 down stays 1", 10, 1,
        QList{1, 1, -1, -1, -1, -1, -1, -1}, QList<int>(8, 0), QList{10, 10, 10, 10, 0, 0},
        QList{10, 10, 10, 10, 0, 0}, QList{1, 1, 1, 1, 1, 0}, QList{1, 1, 1, 1, 1, 0});
    Row("clamped once: 0 down, down, up stays 0, 10 up stays 10", 0, 10,
        QList{-1, -1, 1, 1, -1, -1, 1, 1, 1, 1, -1, -1}, QList<int>(12, 0), QList<int>(6, 0),
        QList<int>(6, 0), QList{10, 10, 10, 10, 1, 0}, QList{10, 10, 10, 10, 1, 0});
  }
  void aTickNudgesClampsOnceDrawsRecordsAndCounts() {
    QFETCH(QList<int>, signs);
    QFETCH(QList<int>, moved);
    QFETCH(int, amplitude);
    QFETCH(int, phaseStep);
    FigureModel start;
    start.termCount = 5, start.figureCount = 32767, start.changeSpeed = int(signs.size()) / 4 - 1;
    for (int i = 0; i < 4; ++i) {
      start.terms.xAmp[i] = start.terms.yAmp[i] = std::int16_t(amplitude);
      start.terms.xFreq[i] = start.terms.yFreq[i] = std::int16_t(phaseStep);
    }
    EngineRig rig(start);
    // 0.5 is the smallest value that gives +1; term k of five lies in [k / 5, (k + 1) / 5).
    for (qsizetype i = 0; i < signs.size(); i += 4) {
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (signs[j] > 0 ? 0.5f : 0.4999999f);
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (moved[j] + 0.5f) / 5;
    }
    rig.engine.EvolveFigure();
    QTEST(First6(rig.model.terms.xAmp), "xAmp");
    QTEST(First6(rig.model.terms.yAmp), "yAmp");
    QTEST(First6(rig.model.terms.xFreq), "xFreq");
    QTEST(First6(rig.model.terms.yFreq), "yFreq");
    QCOMPARE(rig.drawn, 2 * signs.size());
    QCOMPARE(QList({rig.canvas.clears, int(rig.canvas.xs.size())}), QList({1, 10001}));
    QCOMPARE(rig.ring.nextSlot, 1);
    QCOMPARE(rig.ring.yFreq[4][0], rig.model.terms.yFreq[4]);  // what was drawn is recorded
    QCOMPARE(rig.counts, QList{32768});                        // past what 16 bits hold
  }

  // The ring after `recorded` figures, at `offset`; `move` < 0 is "<" that many times, > 0 ">". A
  // refused move keeps the offset and shows no slot (-1).
  void theRingStepsOnlyWhereAFigureIs_data() {
    for (const char *column : {"recorded", "offset", "move", "offsetAfter", "slot"})
      QTest::addColumn<int>(column);
    Row("one figure: < refused", 1, 0, -1, 0, -1);
    Row("two figures: < shows the first", 2, 0, -1, -1, 0);
    Row("two figures: a second < refused", 2, -1, -1, -1, -1);
    Row("> at the newest refused before the ring wraps", 999, 0, 1, 0, -1);
    Row("1000 figures: < shows slot 998", 1000, 0, -1, -1, 998);
    Row("wrapped: < past the oldest is the newest", 1000, -999, -1, -1000, 999);
    Row("wrapped: > past the newest shows +1 as -1", 1000, 0, 1, 1, 998);
    Row("wrapped: the offset stays 16-bit", 1000, -32768, -1, -32768, -1);
    Row("wrapped: positive offsets too", 1000, 32767, 1, 32767, -1);
    Row("wrapped: many steps at once", 1000, 32767, -32767, 0, 999);
  }
  void theRingStepsOnlyWhereAFigureIs() {
    QFETCH(int, recorded);
    QFETCH(int, offset);
    QFETCH(int, move);
    QFETCH(int, slot);
    HistoryRing ring;
    for (int k = 0; k < recorded; ++k) ring.Record({}, 4);
    ring.offset = std::int16_t(offset);
    const auto n = std::int16_t(std::abs(move));
    QCOMPARE(move < 0 ? ring.MoveBack(n) : ring.MoveForward(n), slot >= 0);
    QTEST(int(ring.offset), "offsetAfter");
    if (slot >= 0) QCOMPARE(ring.SelectedSlot(), slot);
  }

  // Only the live terms come back, from what the slot holds, and are drawn afresh. During a run the
  // next tick evolves them, and the offset counts from the new newest figure.
  void aStepRestoresTheLiveTermsOfItsSlotAndRedraws() {
    FigureModel start;
    start.termCount = 3, start.terms.yFreq[3] = 7;
    EngineRig rig(start);
    QList<TermTables> drawn;
    for (int k = 0; k < 10; ++k) rig.engine.EvolveFigure(), drawn << rig.model.terms;
    QVERIFY(rig.engine.StepBack(1));
    QCOMPARE(rig.model.terms.xAmp, drawn[8].xAmp);
    QCOMPARE(rig.model.terms.yFreq[3], 7);
    QCOMPARE(QList({rig.canvas.clears, int(rig.canvas.xs.size()), rig.offsets.back()}),
             QList({11, 10001, -1}));
    rig.engine.EvolveFigure();
    QVERIFY(rig.engine.StepBack(1));
    QCOMPARE(rig.ring.offset, -2);
    QCOMPARE(rig.model.terms.xFreq, drawn[8].xFreq);
    rig.engine.SetTermCount(4);
    QVERIFY(rig.engine.StepForward(1));
    QCOMPARE(rig.model.terms.yFreq[3], 0);  // slot 9 never held a fourth term
    QCOMPARE(QList({rig.ring.nextSlot, rig.model.figureCount}), QList({11, 11}));
  }

  void theRandomSourceStaysBelowOne() {
    SystemRandom random;
    random.SeedFromClock();
    float lowest = 1, highest = 0;
    for (int i = 0; i < 1 << 22; ++i) {
      const float r = random.Next();
      lowest = std::min(lowest, r), highest = std::max(highest, r);
    }
    QVERIFY2(lowest >= 0 && lowest < 0.001f && highest < 1 && highest > 0.999f,
             qPrintable(u"from %1 to %2"_s.arg(lowest).arg(highest)));
  }

  // Refused before Qt's reader, which fills a cut file up without a word.
  void aBackgroundIsReadOnlyWholeAndFromARegularFile_data() {
    QTest::addColumn<QString>("file");    // a seed of the fuzzer; "empty" and "fifo" are made
    QTest::addColumn<QString>("reason");  // none: the picture loads, 6 x 3 pixels
    Row("a whole bitmap", "24bit.bmp", "");
    Row("empty", "empty", "the file is empty");
    Row("one byte short", "cut-one-short.bmp", "it is cut short");
    Row("pixels start in the header", "offset-in-header.bmp", "its header is damaged");
    Row("compressed", "rle8.bmp", "not supported");
    Row("a FIFO", "fifo", "it is not a regular file");
  }
  void aBackgroundIsReadOnlyWholeAndFromARegularFile() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = file.endsWith(".bmp") ? KURVIMO_SEEDS "/" + file : dir.filePath(file);
    if (file == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (file == "empty") QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    const Picture picture = LoadBitmap(path);
    QVERIFY2(picture.error.contains(reason) && picture.ok() == reason.isEmpty(),
             qPrintable(picture.error));
    QCOMPARE(picture.image.size(), reason.isEmpty() ? QSize(6, 3) : QSize(0, 0));
  }

  // A write that fails part way, as on a full disk, tells why and leaves the old file whole.
  void aFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    QFile old(dir.filePath("x.bmp"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);  // else the write kills the process instead of failing
    const rlimit limited{4096, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const QString reason = SaveBitmap(ImageCanvas().Image(), old.fileName());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, "File too large");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"x.bmp"});
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
  }

  // A quarter of the screen in, by two truncated quotients of its size in twips rounded to even.
  void secondaryWindowsOpenAQuarterIn() {
    const auto at = [](float width, float height) {
      const TwipPosition twips = PlaceOnScreen(width, height);
      return QPointF(twips.left, twips.top);
    };
    QCOMPARE(at(15360, 11520), QPointF(3840, 2880));  // 1024 x 768 pixels
    QCOMPARE(at(20490, 11520), QPointF(5123, 2880));  // not a quarter of the width
    QCOMPARE(at(20489.5, 11523.5), QPointF(5123, 2881));
    // A screen in pixels at 120 dpi, right of another.
    QCOMPARE(PlaceOnScreen(QRect(1920, 0, 1280, 1024), 120.0), QPoint(2240, 256));
  }

  // The name exactly as typed, ".bmp" always added, one separator after the folder.
  void saveAsNamesTheFileInTheFolder() {
    QCOMPARE(TargetPath("/home/u", "Star"), "/home/u/Star.bmp");
    QCOMPARE(TargetPath("/", "Star"), "/Star.bmp");
    QCOMPARE(TargetPath("/tmp", " a.bmp"), "/tmp/ a.bmp.bmp");
    QCOMPARE(TargetPath("/tmp", ""), "/tmp/.bmp");
  }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
