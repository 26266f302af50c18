#include <sys/resource.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <bit>
#include <csignal>
#include <random>

#include "engine/figure_engine.h"
#include "engine/renderer.h"
#include "engine/table_walk.h"
#include "files/save_commands.h"
#include "files/window_placement.h"
#include "platform/bitmap_file.h"
#include "platform/image_canvas.h"
#include "platform/palette.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

// A white 7 x 5 bitmap in `format`, with `value` written over the header at byte `at`, if not 0.
QByteArray Bitmap(QImage::Format format, int at = 0, quint32 value = 0) {
  QImage image(7, 5, QImage::Format_RGB32);
  image.fill(Qt::white);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.convertToFormat(format).save(&buffer, "BMP");
  if (at != 0) qToLittleEndian(value, bytes.data() + at);
  return bytes;
}

// Keeps the points drawn since the last Clear, and their colour, and counts the Clear calls.
struct RecordingCanvas final : Canvas {
  void Clear() override { ++cls, points.clear(); }
  void SetPixel(float x, float y, QRgb c) override { points.push_back({x, y}), colour = c; }
  QImage Image() const override { return {}; }
  void SetBackground(const QImage &) override {}

  int cls = 0;
  QList<QPointF> points;
  QRgb colour = 0;
};

// Hands out the scripted values from the `drawn`th on, then those of a fixed sequence.
struct ScriptedRandom final : RandomSource {
  void SeedFromClock() override {}
  float Next() override {
    return drawn < values.size() ? values[drawn++]
                                 : (++drawn, std::uniform_real_distribution<float>()(sequence));
  }

  QList<float> values;
  qsizetype drawn = 0;
  std::mt19937 sequence{1234};
};

// An engine wired to the doubles above, from the model `start`, that keeps the counters it shows.
struct EngineRig final : CounterDisplay {
  explicit EngineRig(const FigureModel &start = {}) : engine(canvas, random, *this, start) {}
  void ShowFigureCount(std::int32_t figureCount) override { counts.push_back(figureCount); }
  void ShowHistoryOffset(std::int16_t offset) override { offsets.push_back(offset); }

  RecordingCanvas canvas;
  ScriptedRandom random;
  std::vector<int> counts, offsets;
  FigureEngine engine;
  const FigureModel &model = engine.model();
  const HistoryRing &ring = engine.history();
};

// With every amplitude 0 each measured t is xPosition; the start values 1000 and 0 take part.
struct Centring {
  const char *name;
  int xPosition, drawMode, drawnSinceStart, refBefore, shift, refAfter;
};
const Centring kCentring[] = {
    {"half rounds down to even: (1000 + 1201) / 2", 1201, 0, 0, 0, 7, 1100},
    {"start value 0 is the maximum", -201, 0, 0, 0, 7, -100},
    {"first New figure: old shift, new reference", 250, 0, 0, 300, 50, 250},
    {"Reserve keeps the reference", 250, 1, 0, 300, 50, 300},
    {"reference 0 stops re-centring", 250, 0, 1, 0, 7, 0},
};

// A tick with five live terms, the last never seeded, entries 0..3 at `amp` and `freq`. An
// iteration draws a sign (+ or -), then an entry (0..4), for each table. `after`: entries 0..5 of
// each table.
struct Tick {
  const char *name;
  int amp, freq;
  const char *draws, *after;
};
const Tick kTicks[] = {
    {"each table moves the entry it drew", 5, 5, "+--+0123",
     "6 5 5 5 0 0|5 4 5 5 0 0|5 5 4 5 1 0|5 5 5 6 1 0"},
    {"amplitude 10 up then down stays 10", 10, 5, "++++0000----0000",
     "10 10 10 10 0 0|10 10 10 10 0 0|5 5 5 5 1 0|5 5 5 5 1 0"},
    {"amplitude 0 down, down, up stays 0", 0, 5, "----0000----0000++++0000",
     "0 0 0 0 0 0|0 0 0 0 0 0|4 5 5 5 1 0|4 5 5 5 1 0"},
    {"phase step 1 down stays 1", 3, 1, "----0000",
     "2 3 3 3 0 0|2 3 3 3 0 0|1 1 1 1 1 0|1 1 1 1 1 0"},
    {"phase step 10 up stays 10", 9, 10, "++++0000",
     "10 9 9 9 0 0|10 9 9 9 0 0|10 10 10 10 1 0|10 10 10 10 1 0"},
};

// The ring after `recorded` figures, at `offset`; `move` < 0 is "<" that many times, > 0 is ">".
struct Step {
  const char *name;
  int recorded, offset, move, slot;  // slot -1: refused
};
const Step kSteps[] = {
    {"one figure: < refused", 1, 0, -1, -1},
    {"full: < past the oldest", 1000, -999, -1, 999},
    {"full: > past the newest", 1000, 0, 1, 998},
    {"full: the offset stays 16-bit", 1000, -32768, -1, -1},
    {"full: positive offsets too", 1000, 32767, 1, -1},
    {"full: many steps at once", 1000, 32767, -32767, 999},
};

// The plotted coordinates' bits before they became floats, hashed (FNV-1a); the centring state.
QList<std::uint64_t> Render(FigureModel m, RenderPath path) {
  struct Sink : PlotSink {
    void Plot(std::span<const double> x, std::span<const double> y) override {
      for (std::size_t i = 0; i < 2 * x.size(); ++i)
        hash = (hash ^ std::bit_cast<std::uint64_t>(i % 2 ? y[i / 2] : x[i / 2])) * 0x100000001b3;
    }
    std::uint64_t hash = 0xcbf29ce484222325;
  } sink;
  RenderFigure(m, sink, path);
  return {sink.hash, std::uint64_t(m.xShift), std::uint64_t(m.referenceCenter),
          std::uint64_t(m.drawnSinceStart)};
}

}  // namespace

Q_DECLARE_METATYPE(Centring)
Q_DECLARE_METATYPE(Tick)
Q_DECLARE_METATYPE(Step)

class TestCore : public QObject {
  Q_OBJECT

 private slots:
  // One term of amplitude 10 turning one radian a step; the other three add nothing.
  void walksAndPlotsTheWorkedExample() {
    FigureModel m;
    m.termCount = 4, m.magnification = 5, m.xPosition = 250, m.yPosition = 50;
    m.terms.xAmp[0] = m.terms.yAmp[0] = m.terms.xFreq[0] = m.terms.yFreq[0] = 10;
    FigureWalk walk(m.terms, m.termCount);
    for (double t : {255.0, 257.7015, 255.6208}) {
      walk.Next();
      QCOMPARE(qRound64((5 * walk.posX + 250) * 1e4), qRound64(t * 1e4));
    }
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(canvas.points.size(), kStepsPerPass);
    QCOMPARE(qRound(canvas.points[0].x() * 1e4), 2474346);  // position 10,002
    QCOMPARE(qRound(canvas.points[0].y() * 1e4), 533378);
  }

  void centresOnTheReference_data() {
    QTest::addColumn<Centring>("c");
    for (const Centring &c : kCentring) QTest::newRow(c.name) << c;
  }
  void centresOnTheReference() {
    QFETCH(Centring, c);
    FigureModel m;
    m.termCount = 4, m.magnification = 3, m.xPosition = std::int16_t(c.xPosition), m.yPosition = 40,
    m.colorIndex = 12;
    m.drawMode = DrawMode(c.drawMode), m.drawnSinceStart = std::int16_t(c.drawnSinceStart);
    m.referenceCenter = std::int16_t(c.refBefore), m.xShift = 7;
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(QList<int>({m.xShift, m.referenceCenter, m.drawnSinceStart}),
             QList({c.shift, c.refAfter, 1}));
    const QPointF at(c.xPosition + c.shift, 40);
    QCOMPARE(QList({canvas.points.front(), canvas.points.back()}), QList({at, at}));
    QCOMPARE(canvas.colour, PaletteColor(12));
  }

  // Values 0..10, silent terms, junk past termCount, and sometimes what only a history slot may
  // hold.
  void fastPathsMatchThePlainWalk() {
    std::mt19937 random(7001);
    const auto draw = [&](int low, int high) {
      return static_cast<std::int16_t>(std::uniform_int_distribution(low, high)(random));
    };
    for (int set = 0; set < 1000; ++set) {
      FigureModel m;
      m.termCount = draw(4, 16), m.magnification = draw(0, 20), m.xPosition = draw(0, 500),
      m.yPosition = draw(0, 500);
      m.drawMode = DrawMode(draw(0, 1)), m.xShift = draw(-200, 200), m.drawnSinceStart = draw(0, 1);
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
      const QList<std::uint64_t> plain = Render(m, RenderPath::kPlain);
      for (RenderPath path : {RenderPath::kWideVector, RenderPath::kVector, RenderPath::kTable}) {
        if (PathAvailable(path) && Render(m, path) != plain)
          QFAIL(qPrintable(QString("set %1, path %2").arg(set).arg(int(path))));
      }
    }
  }

  void startSeedsTheLiveTermsAndResetsTheRun() {
    FigureModel start;
    start.termCount = 16;
    start.terms.xAmp.fill(77);
    EngineRig rig(start);
    for (int tick = 0; tick < 3; ++tick) rig.engine.EvolveFigure();
    QVERIFY(rig.engine.StepBack(1));
    const std::int16_t xShift = rig.model.xShift;
    const qsizetype drawn = rig.canvas.points.size();
    // Draw k makes entry k come out as k % 9 + 1; the extremes of [0, 1) give 1 and 9.
    for (int k = 0; k < 64; ++k) rig.random.values.push_back(k == 8 ? 0.99999994f : k % 9 / 9.f);
    rig.random.drawn = 0;
    rig.engine.Start();
    QCOMPARE(rig.random.drawn, 64);
    const TermTables &t = rig.model.terms;
    const TermTable *tables[] = {&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq};
    for (int k = 0; k < 64; ++k) QCOMPARE((*tables[k % 4])[k / 4], k % 9 + 1);
    QCOMPARE(
        QList<int>({t.xAmp[16], rig.model.xShift, rig.model.figureCount, rig.model.drawnSinceStart,
                    rig.ring.nextSlot, rig.ring.wrapped, rig.ring.offset, rig.model.running}),
        QList({77, int(xShift), 0, 0, 0, 0, 0, 1}));
    QCOMPARE(rig.counts.back() + rig.offsets.back(), 0);
    QCOMPARE(rig.canvas.points.size(), drawn);  // Start draws nothing
  }

  // Nudge, then clamp once, then clear, draw, record and count.
  void aTickNudgesClampsDrawsRecordsAndCounts_data() {
    QTest::addColumn<Tick>("tick");
    for (const Tick &t : kTicks) QTest::newRow(t.name) << t;
  }
  void aTickNudgesClampsDrawsRecordsAndCounts() {
    QFETCH(Tick, tick);
    FigureModel start;
    start.termCount = 5, start.figureCount = 41,
    start.changeSpeed = std::int16_t(strlen(tick.draws) / 8 - 1);
    for (int i = 0; i < 4; ++i) {
      start.terms.xAmp[i] = start.terms.yAmp[i] = std::int16_t(tick.amp);
      start.terms.xFreq[i] = start.terms.yFreq[i] = std::int16_t(tick.freq);
    }
    EngineRig rig(start);
    // 0.5 is the smallest value that gives +1, and the largest below it gives -1.
    for (const char *d = tick.draws; *d; ++d)
      rig.random.values.push_back(*d == '+' ? 0.5f : *d == '-' ? 0.4999999f : (*d - '0' + .5f) / 5);
    rig.engine.EvolveFigure();
    QStringList after;
    const TermTables &t = rig.model.terms;
    for (const TermTable *table : {&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq}) {
      after << QString();
      for (int i = 0; i < 6; ++i) after.back() += QString::number((*table)[i]) + (i < 5 ? " " : "");
    }
    QCOMPARE(after.join('|'), QLatin1String(tick.after));
    QCOMPARE(QList<int>({int(rig.random.drawn), rig.canvas.cls, int(rig.canvas.points.size()),
                         rig.ring.nextSlot, rig.ring.yFreq[3][0], rig.counts.back()}),
             QList({int(strlen(tick.draws)), 1, kStepsPerPass, 1, int(t.yFreq[3]), 42}));
  }

  void theRingStepsOnlyWhereAFigureIs_data() {
    QTest::addColumn<Step>("s");
    for (const Step &s : kSteps) QTest::newRow(s.name) << s;
  }
  void theRingStepsOnlyWhereAFigureIs() {
    QFETCH(Step, s);
    HistoryRing ring;
    for (int k = 0; k < s.recorded; ++k) ring.Record({}, 4);
    ring.offset = static_cast<std::int16_t>(s.offset);
    const auto n = static_cast<std::int16_t>(std::abs(s.move));
    QCOMPARE(s.move < 0 ? ring.MoveBack(n) : ring.MoveForward(n), s.slot >= 0);
    QCOMPARE(ring.offset, s.slot >= 0 ? s.offset + s.move : s.offset);
    if (s.slot >= 0) QCOMPARE(ring.SelectedSlot(), s.slot);
  }

  // Only live entries come back, from what the slot holds; drawn afresh, and nothing is recorded.
  void aStepRestoresTheLiveTermsAndRedraws() {
    FigureModel start;
    start.termCount = 3, start.terms.yFreq[3] = 7;
    EngineRig rig(start);
    std::vector<TermTables> drawn;
    for (int k = 0; k < 3; ++k) rig.engine.EvolveFigure(), drawn.push_back(rig.model.terms);
    QVERIFY(rig.engine.StepBack(1));
    QCOMPARE(rig.model.terms.yFreq, drawn[1].yFreq);
    QCOMPARE(QList<int>({rig.canvas.cls, int(rig.canvas.points.size()), rig.offsets.back()}),
             QList({4, kStepsPerPass, -1}));
    rig.engine.SetTermCount(4);
    QVERIFY(rig.engine.StepForward(1) && !rig.engine.StepForward(1));
    QCOMPARE(rig.model.terms.xAmp, drawn[2].xAmp);
    QCOMPARE(QList<int>({rig.model.terms.yFreq[3], rig.canvas.cls, rig.ring.nextSlot}),
             QList({0, 5, 3}));
  }
  // Refused before Qt's reader, which fills a cut file up (whole ones are read at every Start).
  void refusesWhatIsNoWholeBitmapInARegularFile_data() {
    QTest::addColumn<QByteArray>("bytes");  // "fifo": a FIFO instead
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray("") << u"empty"_s;
    QTest::newRow("one byte short") << Bitmap(QImage::Format_RGB32).chopped(1) << u"cut short"_s;
    QTest::newRow("pixels start in the header")
        << Bitmap(QImage::Format_RGB32, 10, 20) << u"damaged"_s;
    QTest::newRow("compressed") << Bitmap(QImage::Format_Indexed8, 30, 1) << u"not supported"_s;
    QTest::newRow("a FIFO") << QByteArray("fifo") << u"not a regular file"_s;
  }
  void refusesWhatIsNoWholeBitmapInARegularFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile file(dir.filePath(u"x.bmp"_s));
    if (bytes == "fifo")
      QCOMPARE(::mkfifo(QFile::encodeName(file.fileName()).constData(), 0600), 0);
    else
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
    const Picture picture = LoadBitmap(file.fileName());
    QVERIFY2(picture.error.contains(reason) && picture.image.isNull(), qPrintable(picture.error));
  }

  // A write that fails part way, as on a full disk, tells why and leaves the old file whole.
  void aFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    QFile old(dir.filePath(u"x.bmp"_s));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);  // else the write kills the process instead of failing
    const rlimit limited{4096, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const QString reason = SaveBitmap(ImageCanvas().Image(), old.fileName());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, u"File too large"_s);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"x.bmp"_s});
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
  }

  // A quarter in, by two truncated quotients of the screen's size in twips; and the path saved to.
  void placesWindowsAndNamesFiles() {
    for (const auto &[width, height, left, top] :
         {std::array{20490.f, 11520.f, 5123.f, 2880.f}, {20489.f, 11523.f, 5122.f, 2880.f}}) {
      const TwipPosition at = PlaceOnScreen(width, height);
      QCOMPARE(QList({at.Left, at.Top}), QList({left, top}));
    }
    QCOMPARE(PlaceOnScreen(QSize(1280, 1024), 120.0), QPoint(320, 256));  // pixels, through dpi
    for (const auto &[folder, name, path] : {std::array{"/home/u", "Star", "/home/u/Star.bmp"},
                                             {"/", "Star", "/Star.bmp"},
                                             {"/tmp", " a.bmp", "/tmp/ a.bmp.bmp"}})
      QCOMPARE(TargetPath(QLatin1String(folder), QLatin1String(name)), QLatin1String(path));
  }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
