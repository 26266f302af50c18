#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>
#include <random>

#include "engine/fast_walk.h"
#include "engine/figure_engine.h"
#include "engine/figure_walk.h"
#include "engine/renderer.h"
#include "files/picture_places.h"
#include "platform/bitmap_file.h"
#include "platform/image_canvas.h"
#include "platform/regular_file.h"
#include "platform/system_random.h"
#include "tables.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

// A canvas that keeps the points drawn since the last Clear, and an engine on it that draws the
// scripted random values, then a fixed sequence, and keeps the counters it shows.
struct Rig final : Canvas, CounterDisplay, RandomSource, PlotSink {
  explicit Rig(const FigureModel &start = {}) : engine(*this, *this, *this, start) {}
  void clear() override { ++clears, xs.clear(), ys.clear(); }
  void setPixels(std::span<const float> x, std::span<const float> y, QRgb) override {
    xs << QList<float>(x.begin(), x.end());
    ys << QList<float>(y.begin(), y.end());
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
    return values.isEmpty() ? std::uniform_real_distribution<float>()(sequence)
                            : values.takeFirst();
  }
  int clears = 0;
  QList<float> xs, ys, values;
  QList<double> exact;
  std::mt19937 sequence{1234};
  QList<int> counts, offsets;
  FigureEngine engine;
  const FigureModel &model = engine.model();
  const FigureHistory &ring = engine.history();
};

QList<QList<int>> firstFive(const TermTables &t) {  // terms 0..4 of each table
  QList<QList<int>> lists;
  for (const TermTable *table : {&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq})
    lists << QList<int>(table->begin(), table->begin() + 5);
  return lists;
}

// Every position of a figure's two passes, as the fast walk with `lanes` makes them.
QList<double> walked(const FigureModel &m, int lanes) {
  QList<double> positions;
  FastWalk(m.terms, m.termCount, lanes)
      .advance(2 * kStepsPerPass, [&](std::span<const double> x, std::span<const double> y) {
        positions << QList<double>(x.begin(), x.end()) << QList<double>(y.begin(), y.end());
      });
  return positions;
}

// The pixels the bitmaps in tests/data were made from: two, sixteen or many colours.
QImage madeFrom(int colours) {
  QImage image(7, 5, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QRgb pixel = qRgb((x * 37 + y * 91) % 256, (x * 53 + y * 17) % 256, (x * 11 + y * 71) % 256);
      if (colours == 16) pixel = qRgb((x + y) % 4 * 85, x % 2 * 255, y % 2 * 255);
      if (colours == 2) pixel = (x * 3 + y * 5) % 7 < 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
      image.setPixel(x, y, pixel);
    }
  }
  return image;
}

QByteArray testData(const char *name) {
  QFile file(QStringLiteral(KURVIMO_TEST_DATA "/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 field(const QByteArray &bitmap, qsizetype at) {
  return qFromLittleEndian<quint32>(bitmap.constData() + at);
}

// A 4-bit bitmap of 7-pixel rows with its rows run-length coded, each as one literal run.
QByteArray runLengthCoded4(const QByteArray &plain) {
  const qsizetype start = field(plain, 10);
  QByteArray coded = plain.left(start);
  for (qsizetype row = start; row < plain.size(); row += 4)
    coded += QByteArray("\0\7", 2) + plain.mid(row, 4) + QByteArray("\0\0", 2);
  coded += QByteArray("\0\1", 2);
  qToLittleEndian<quint32>(2, coded.data() + 30);
  return coded;
}

// The same picture with its rows from the top down: a negative height, the rows reversed.
QByteArray topDown(const QByteArray &bottomUp, qsizetype rowBytes) {
  const qsizetype start = field(bottomUp, 10);
  QByteArray flipped = bottomUp.left(start);
  for (qsizetype row = bottomUp.size() - rowBytes; row >= start; row -= rowBytes)
    flipped += bottomUp.mid(row, rowBytes);
  qToLittleEndian<qint32>(-qint32(field(bottomUp, 22)), flipped.data() + 22);
  return flipped;
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
    QList<qint64> positions;  // positions 1 to 3, in ten-thousandths of a pixel
    for (int i = 0; i < 3; ++i) walk.next(), positions << qRound64((5 * walk.posX() + 250) * 1e4);
    QCOMPARE(positions, (QList<qint64>{2550000, 2577015, 2556208}));
    Rig canvas;
    drawFigure(m, canvas);
    QCOMPARE(qRound(canvas.xs[0] * 1e4), 2474346);  // position 10,002, the first plotted
    QCOMPARE(qRound(canvas.ys[0] * 1e4), 533378);
  }

  // Every amplitude 0, so each measured x is the X position; the extent starts at 1000 and 0. The
  // shift before is 7; every point lands at the X position plus the shift after.
  void centresOnTheReference_data() {
    for (const char *column :
         {"xPosition", "reserve", "drawnBefore", "referenceBefore", "shift", "reference"})
      QTest::addColumn<int>(column);
    row("a half rounds to even: (1000 + 1201) / 2", 1201, 0, 0, 0, 7, 1100);
    row("the extent's start 0 is its maximum", -201, 0, 0, 0, 7, -100);
    row("the first New figure: the old shift, its own reference", 250, 0, 0, 300, 50, 250);
    row("Reserve keeps the reference", 250, 1, 0, 300, 50, 300);
  }
  void centresOnTheReference() {
    FigureModel m;
    m.termCount = 4, m.magnification = 3, m.xPosition = column<int>("xPosition"), m.yPosition = 40;
    m.xShift = 7, m.drawMode = DrawMode(column<int>("reserve"));
    m.drawnSinceStart = column<int>("drawnBefore");
    m.referenceCenter = std::int16_t(column<int>("referenceBefore"));
    Rig canvas;
    drawFigure(m, canvas);
    QTEST(int(m.xShift), "shift");
    QTEST(int(m.referenceCenter), "reference");
    QVERIFY(m.drawnSinceStart);
    QCOMPARE(canvas.xs, QList<float>(10001, m.xPosition + m.xShift));
    QCOMPARE(canvas.ys, QList<float>(10001, 40));
  }

  // Random term sets: values 0..10, silent terms, junk past the live ones, and sometimes values
  // that only a history slot may hold. Every path plots the plain walk's very bits, centred alike.
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
      Rig plainPoints;
      renderFigure(plain, plainPoints, RenderPath::Plain);
      for (RenderPath path : {RenderPath::Table, RenderPath::Vector}) {
        FigureModel fast = m;
        Rig points;
        renderFigure(fast, points, path);
        if (points.exact != plainPoints.exact || !(fast == plain))
          QFAIL(qPrintable(u"term set %1: path %2 differs"_s.arg(set).arg(int(path))));
      }
      // Every vector width the CPU runs walks as the widest, which plotted the plain walk's bits.
      if (!FastWalk::fits(m.terms, m.termCount)) continue;
      const QList<double> widest = walked(m, FastWalk::widestLanes());
      for (int lanes : {1, 4, 8}) {
        if (FastWalk::runs(lanes) && walked(m, lanes) != widest)
          QFAIL(qPrintable(u"term set %1: %2 lanes differ"_s.arg(set).arg(lanes)));
      }
    }
  }

  // A point lights the nearest pixel, halves to the even one; what falls outside is dropped.
  void theCanvasLightsTheNearestPixel() {
    ImageCanvas canvas;
    const float x[] = {2.5f, 3.5f, -0.5f, 516.5f, -0.51f, 516.51f, 10, 10};
    const float y[] = {3.5f, 0.49f, 0, 484.5f, 0, 0, -0.51f, 484.51f};
    canvas.setPixels(x, y, 0xFF0000FF);
    const QImage image = canvas.image();
    QList<QPoint> lit;
    for (int i = 0; i < 517 * 485; ++i)
      if (image.pixel(i % 517, i / 517) == 0xFF0000FF) lit << QPoint(i % 517, i / 517);
    QCOMPARE(lit, (QList<QPoint>{{0, 0}, {4, 0}, {2, 4}, {516, 484}}));
  }

  // The live terms get fresh values 1..9 and the run starts afresh; nothing else changes.
  void startSeedsTheLiveTermsAndResetsTheRun() {
    FigureModel start;
    start.termCount = 16, start.terms.xAmp.fill(77);
    Rig rig(start);
    for (int tick = 0; tick < 3; ++tick) rig.engine.evolveFigure();
    QVERIFY(rig.engine.stepBack(1));
    FigureModel expected = rig.model;
    TermTables &t = expected.terms;
    // Value k goes to term k / 4 of table k % 4 as k % 9 + 1; 0 and the float below 1 give 1 and 9.
    for (int k = 0; k < 64; ++k) {
      rig.values << (k == 8 ? 0.99999994f : k % 9 / 9.f);
      (*std::array{&t.xAmp, &t.yAmp, &t.xFreq, &t.yFreq}[k % 4])[k / 4] = std::int16_t(k % 9 + 1);
    }
    expected.figureCount = 0, expected.drawnSinceStart = false, expected.running = true;
    rig.engine.start();
    QVERIFY2(rig.model == expected, "more changed than the terms, the count and drawnSinceStart");
    // An empty ring, the counters shown as 0, and no more clears or points.
    QCOMPARE(QList<int>({rig.ring.nextSlot(), rig.ring.isWrapped(), rig.ring.offset(),
                         rig.counts.back(), rig.offsets.back(), rig.clears, int(rig.xs.size())}),
             QList({0, 0, 0, 0, 0, 4, 10001}));
  }

  // Five live terms, the last never seeded; terms 0..3 start at `amplitude` and `phaseStep`. Each
  // iteration draws four signs, for xAmp, yAmp, xFreq and yFreq, then the term each one moves.
  void aTickNudgesClampsOnceDrawsRecordsAndCounts_data() {
    QTest::addColumn<int>("amplitude");
    QTest::addColumn<int>("phaseStep");
    QTest::addColumn<QList<int>>("signs");
    QTest::addColumn<QList<int>>("moved");
    using Tables = QList<QList<int>>;  // xAmp, yAmp, xFreq, yFreq: the five terms afterwards
    QTest::addColumn<Tables>("tables");
    row("each table moves the term it drew", 5, 5, QList{1, -1, -1, 1}, QList{0, 1, 2, 3},
        Tables{{6, 5, 5, 5, 0}, {5, 4, 5, 5, 0}, {5, 5, 4, 5, 1}, {5, 5, 5, 6, 1}});
    row("clamped once: 10 up and down stays 10, 1 down stays 1", 10, 1,
        QList{1, 1, -1, -1, -1, -1, -1, -1}, QList<int>(8, 0),
        Tables{{10, 10, 10, 10, 0}, {10, 10, 10, 10, 0}, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}});
  }
  void aTickNudgesClampsOnceDrawsRecordsAndCounts() {
    const auto signs = column<QList<int>>("signs"), moved = column<QList<int>>("moved");
    FigureModel start;
    start.termCount = 5, start.figureCount = 32767, start.changeSpeed = int(signs.size()) / 4 - 1;
    for (int i = 0; i < 4; ++i) {
      start.terms.xAmp[i] = start.terms.yAmp[i] = std::int16_t(column<int>("amplitude"));
      start.terms.xFreq[i] = start.terms.yFreq[i] = std::int16_t(column<int>("phaseStep"));
    }
    Rig rig(start);
    // 0.5 is the smallest value that gives +1; term k of five lies in [k / 5, (k + 1) / 5).
    for (qsizetype i = 0; i < signs.size(); i += 4) {
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (signs[j] > 0 ? 0.5f : 0.4999999f);
      for (qsizetype j = i; j < i + 4; ++j) rig.values << (moved[j] + 0.5f) / 5;
    }
    rig.engine.evolveFigure();
    const TermTables &t = rig.model.terms;
    QTEST(firstFive(t), "tables");
    QCOMPARE(QList({rig.clears, int(rig.xs.size()), rig.ring.nextSlot()}), QList({1, 10001, 1}));
    QCOMPARE(rig.ring.selectedEntry().yFreq[4], t.yFreq[4]);  // what was drawn is recorded
    QCOMPARE(rig.counts, QList{32768});                       // past what 16 bits hold
  }

  // The ring after `recorded` figures, at `offset`; `move` < 0 is "<" that many times, > 0 ">". A
  // refused move keeps the offset and shows no slot (-1).
  void theRingStepsOnlyWhereAFigureIs_data() {
    for (const char *column : {"recorded", "offset", "move", "offsetAfter", "slot"})
      QTest::addColumn<int>(column);
    row("one figure: < refused", 1, 0, -1, 0, -1);
    row("two figures: < shows the first", 2, 0, -1, -1, 0);
    row("two figures: a second < refused", 2, -1, -1, -1, -1);
    row("> at the newest refused before the ring wraps", 999, 0, 1, 0, -1);
    row("1000 figures: < shows slot 998", 1000, 0, -1, -1, 998);
    row("wrapped: < past the oldest is the newest", 1000, -999, -1, -1000, 999);
    row("wrapped: > past the newest shows +1 as -1", 1000, 0, 1, 1, 998);
    row("wrapped: the offset stays 16-bit", 1000, -32768, -1, -32768, -1);
    row("wrapped: positive offsets too", 1000, 32767, 1, 32767, -1);
  }
  void theRingStepsOnlyWhereAFigureIs() {
    const int move = column<int>("move"), slot = column<int>("slot");
    RingPosition ring;
    for (int k = 0; k < column<int>("recorded"); ++k) ring.advance();
    for (int k = 0; k > column<int>("offset"); --k) ring.moveBack(1);
    for (int k = 0; k < column<int>("offset"); ++k) ring.moveForward(1);
    const auto n = std::int16_t(std::abs(move));
    QCOMPARE(move < 0 ? ring.moveBack(n) : ring.moveForward(n), slot >= 0);
    QTEST(int(ring.offset()), "offsetAfter");
    if (slot >= 0) QCOMPARE(ring.selectedSlot(), slot);
  }

  // Only the live terms come back, from what the slot holds, and are drawn afresh.
  void aStepRestoresTheLiveTermsOfItsSlotAndRedraws() {
    FigureModel start;
    start.termCount = 3, start.terms.yFreq[3] = 7;
    Rig rig(start);
    QList<TermTables> drawn;
    for (int k = 0; k < 10; ++k) rig.engine.evolveFigure(), drawn << rig.model.terms;
    QVERIFY(rig.engine.stepBack(1));
    QVERIFY(rig.model.terms == drawn[8]);  // the slot's fourth term, never recorded, is not taken
    QCOMPARE(QList({rig.clears, int(rig.xs.size()), rig.offsets.back()}), QList({11, 10001, -1}));
  }

  // A 1 would seed a 10 and nudge a term past the live ones.
  void theRandomSourceStaysBelowOne() {
    SystemRandom random;
    float highest = 0;
    for (int i = 0; i < 1 << 22; ++i) highest = std::max(highest, random.next());
    QVERIFY2(highest > 0.999f && highest < 1, qPrintable(QString::number(highest)));
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
    const QString reason = saveBitmap(ImageCanvas().image(), old.fileName());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, "file too large");
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
  }

  // sgz.bmp stays beside the program only in an installation that is the user's own.
  void theReservePictureStaysBesideOnlyTheUsersOwnInstallation_data() {
    QTest::addColumn<bool>("buildTree");
    QTest::addColumn<bool>("inHome");
    QTest::addColumn<bool>("usersFolder");
    QTest::addColumn<QString>("kept");  // what is already at sgz.bmp beside the program
    QTest::addColumn<bool>("beside");
    QTest::newRow("a build tree of the user's") << true << false << true << "nothing" << true;
    QTest::newRow("an install in the user's home") << false << true << true << "nothing" << true;
    QTest::newRow("an installation elsewhere") << false << false << true << "nothing" << false;
    QTest::newRow("a build tree of another user") << true << false << false << "nothing" << false;
    QTest::newRow("an earlier picture of the user's") << true << false << true << "file" << true;
    QTest::newRow("a folder in the picture's place") << true << false << true << "folder" << false;
    QTest::newRow("another user's picture") << true << false << true << "another's" << false;
  }
  void theReservePictureStaysBesideOnlyTheUsersOwnInstallation() {
    QFETCH(bool, buildTree);
    QFETCH(bool, inHome);
    QFETCH(bool, usersFolder);
    QFETCH(QString, kept);
    QFETCH(bool, beside);
    const QTemporaryDir root;
    const QString home = root.filePath("home");
    const QString program = (inHome ? home : root.path()) + "/program";
    QVERIFY(QDir().mkpath(program));
    if (buildTree) QVERIFY(QDir(program).mkdir("CMakeFiles"));
    const QString picture = program + "/sgz.bmp";
    if (kept == "folder") QVERIFY(QDir(program).mkdir("sgz.bmp"));
    if (kept == "file" || kept == "another's") {
      QFile file(picture);
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const uint other = ::getuid() + 1;
    if (kept == "another's" && ::chown(QFile::encodeName(picture).constData(), other, -1) != 0)
      QSKIP("only root can give a file to another user");
    const User user{usersFolder ? ::getuid() : other, home};
    const QString data = root.filePath("data");
    QCOMPARE(reservePicturePath(program, data, user), beside ? picture : data + "/sgz.bmp");
  }

  // The data folder as the XDG base directories mean it: a relative XDG_DATA_HOME is ignored.
  void theDataFolderIsWhereXdgSays_data() {
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("folder");
    QTest::newRow("absolute") << "/data"
                              << "/home/u"
                              << "/data/kurvimo";
    QTest::newRow("relative, ignored") << "rel/data"
                                       << "/home/u"
                                       << "/home/u/.local/share/kurvimo";
    QTest::newRow("unset") << ""
                           << "/home/u"
                           << "/home/u/.local/share/kurvimo";
    QTest::newRow("no home") << ""
                             << ""
                             << "";
  }
  void theDataFolderIsWhereXdgSays() {
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, home);
    QFETCH(QString, folder);
    QCOMPARE(userDataFolder(xdgDataHome, home), folder);
  }

  // Without HOME, the home folder is the password database's.
  void theHomeFolderComesFromThePasswordDatabaseWithoutHome() {
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    const User user = currentUser();
    qputenv("HOME", home);
    QCOMPARE(user.home, QFile::decodeName(::getpwuid(::getuid())->pw_dir));
  }

  // Missing folders are made; the reason of one that cannot be is the system's.
  void makeFoldersSaysWhyAFolderCannotBeMade_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folders are made") << "a/b/c"
                                              << "";
    QTest::newRow("a file in the way") << "file/b"
                                       << "not a directory";
    QTest::newRow("a link to nowhere") << "link"
                                       << "file exists";
  }
  void makeFoldersSaysWhyAFolderCannotBeMade() {
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    const QTemporaryDir root;
    QFile file(root.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(root.filePath("nowhere"), root.filePath("link")));
    QCOMPARE(makeFolders(root.filePath(folder)), reason);
    QCOMPARE(QFileInfo(root.filePath(folder)).isDir(), reason.isEmpty());
  }

  // Bitmaps that another program wrote load with the pixels they were made from, or are refused
  // with the reason.
  void theLoaderReadsWhatAnotherProgramWrote_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("pixels");
    QTest::addColumn<QString>("refused");
    const QByteArray rle = testData("8bit-rle.bmp");
    // Codes that skip every pixel, and a palette entry 0 that no other entry matches.
    QByteArray skipped = rle.left(field(rle, 10)) + QByteArray("\0\1", 2);
    skipped.replace(54, 3, "\x56\x34\x12");
    QImage firstEntry(7, 5, QImage::Format_RGB32);
    firstEntry.fill(qRgb(0x12, 0x34, 0x56));
    QTest::newRow("1-bit") << testData("1bit.bmp") << madeFrom(2) << "";
    QTest::newRow("4-bit") << testData("4bit.bmp") << madeFrom(16) << "";
    QTest::newRow("4-bit, run-length coded")
        << runLengthCoded4(testData("4bit.bmp")) << madeFrom(16) << "";
    QTest::newRow("8-bit") << testData("8bit.bmp") << madeFrom(256) << "";
    QTest::newRow("8-bit, run-length coded") << rle << madeFrom(256) << "";
    QTest::newRow("24-bit") << testData("24bit.bmp") << madeFrom(256) << "";
    QTest::newRow("24-bit, top-down") << topDown(testData("24bit.bmp"), 24) << madeFrom(256) << "";
    QTest::newRow("24-bit, the oldest header") << testData("24bit-core.bmp") << madeFrom(256) << "";
    QTest::newRow("24-bit, V5 header") << testData("24bit-v5.bmp") << madeFrom(256) << "";
    QTest::newRow("32-bit bit fields, V5 header")
        << testData("32bit-v5.bmp") << madeFrom(256) << "";
    QTest::newRow("run-length coded, every pixel skipped: palette entry 0")
        << skipped << firstEntry << "";
    QTest::newRow("run-length coded, cut short")
        << rle.left(rle.size() - 20) << madeFrom(256) << "it is cut short: its pixels end before";
  }
  void theLoaderReadsWhatAnotherProgramWrote() {
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, pixels);
    QFETCH(QString, refused);
    QVERIFY(!bytes.isEmpty());
    const Picture picture = decodeBitmap(bytes);
    QCOMPARE(picture.error.left(refused.size()), refused);
    if (refused.isEmpty()) QCOMPARE(picture.image.convertToFormat(QImage::Format_RGB32), pixels);
  }
};

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
