#include <sys/resource.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <csignal>

#include "files/save_commands.h"
#include "files/window_placement.h"
#include "platform/bitmap_file.h"
#include "platform/image_canvas.h"
#include "platform/palette.h"
#include "platform/system_random.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

QByteArray Encode(QImage::Format format) {
  QImage image(7, 5, QImage::Format_RGB32);
  image.fill(Qt::white);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.convertToFormat(format).save(&buffer, "BMP");
  return bytes;
}

QByteArray Patched(QByteArray bytes, int at, quint32 value) {
  qToLittleEndian(value, bytes.data() + at);
  return bytes;
}

bool Write(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestPlatform : public QObject {
  Q_OBJECT

 private slots:
  void canvasLightsTheNearestPixel_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("pixel");  // (-1, -1): dropped
    QTest::newRow("halves go to even") << 10.5f << 11.5f << QPoint(10, 12);
    QTest::newRow("nearest") << 3.49f << 3.51f << QPoint(3, 4);
    QTest::newRow("half left of the edge") << -0.5f << 0.0f << QPoint(0, 0);
    QTest::newRow("last column and row") << 516.5f << 484.5f << QPoint(516, 484);
    QTest::newRow("left of the area") << -0.51f << 5.0f << QPoint(-1, -1);
    QTest::newRow("right of the area") << 516.51f << 5.0f << QPoint(-1, -1);
    QTest::newRow("below the area") << 5.0f << 485.0f << QPoint(-1, -1);
    QTest::newRow("far away") << 1e30f << -1e30f << QPoint(-1, -1);
    QTest::newRow("not a number") << float(qQNaN()) << 5.0f << QPoint(-1, -1);
  }
  void canvasLightsTheNearestPixel() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, pixel);
    ImageCanvas canvas;
    QImage expected = canvas.Image();
    canvas.PSet(x, y, QBColor(12));
    if (pixel.x() >= 0) expected.setPixel(pixel, QBColor(12));
    QCOMPARE(canvas.Image(), expected);
  }

  void canvasClsKeepsTheBackground() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ImageCanvas canvas;
    canvas.SetPicture(picture);
    const QImage background = canvas.Image();
    QCOMPARE(background.pixel(39, 29), QColor(Qt::blue).rgb());
    QCOMPARE(background.pixel(40, 29), QColor(Qt::white).rgb());  // the rest stays white
    canvas.TakeDirtyRect();
    canvas.PSet(20, 20, QBColor(12));
    canvas.PSet(300, 200, QBColor(12));
    QCOMPARE(background.pixel(20, 20), QColor(Qt::blue).rgb());  // Image() is a copy, not a view
    canvas.Cls();
    QCOMPARE(canvas.Image(), background);
    QCOMPARE(canvas.TakeDirtyRect(), QRect(QPoint(20, 20), QPoint(300, 200)));
    QVERIFY(canvas.TakeDirtyRect().isEmpty());
  }

  void loadsOnlyWholeBitmapsFromRegularFiles_data() {
    QTest::addColumn<QByteArray>("bytes");  // "folder", "fifo" or "missing": no file but that
    QTest::addColumn<QString>("reason");    // empty: accepted
    const QByteArray good = Encode(QImage::Format_RGB32);
    const QByteArray indexed = Encode(QImage::Format_Indexed8);
    QTest::newRow("8 bits") << indexed << u""_s;
    QTest::newRow("24 bits") << good << u""_s;
    QTest::newRow("32 bits") << Encode(QImage::Format_ARGB32) << u""_s;
    QTest::newRow("empty") << QByteArray("") << u"empty"_s;
    QTest::newRow("one byte short") << good.chopped(1) << u"cut short"_s;
    QTest::newRow("not a bitmap") << QByteArray(50, 'G') << u"not a Windows bitmap"_s;
    QTest::newRow("unknown header size") << Patched(good, 14, 41) << u"unknown kind"_s;
    QTest::newRow("no width") << Patched(good, 18, 0) << u"no size"_s;
    QTest::newRow("absurd width") << Patched(good, 18, 1000000) << u"too large"_s;
    QTest::newRow("pixels past the end") << Patched(good, 10, good.size()) << u"cut short"_s;
    QTest::newRow("offset inside the header") << Patched(good, 10, 20) << u"damaged"_s;
    QTest::newRow("compressed") << Patched(indexed, 30, 1) << u"not supported"_s;
    QTest::newRow("palette too long") << Patched(indexed, 46, 257) << u"damaged"_s;
    QTest::newRow("missing") << QByteArray("missing") << u"No such file"_s;
    QTest::newRow("a folder") << QByteArray("folder") << u"folder"_s;
    QTest::newRow("a FIFO") << QByteArray("fifo") << u"not a regular file"_s;
  }
  void loadsOnlyWholeBitmapsFromRegularFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"x.bmp"_s);
    if (bytes == "folder") QDir().mkdir(path);
    if (bytes == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (bytes != "missing" && bytes != "folder" && bytes != "fifo") QVERIFY(Write(path, bytes));
    const Picture picture = LoadPicture(path);
    QVERIFY2(picture.error.contains(reason), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), reason.isEmpty() ? QSize(7, 5) : QSize(0, 0));
  }

  // A write that fails part way, as on a full disk, tells why and leaves the old file whole.
  void aFailedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"x.bmp"_s);
    QVERIFY(Write(path, "old"));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);  // else the write kills the process instead of failing
    const rlimit limited{4096, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const QString reason = SavePicture(ImageCanvas().Image(), path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, u"File too large"_s);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"x.bmp"_s});
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
  }

  void randomStaysWithinZeroToOneOnAGridAndSpreadsEvenly() {
    SystemRandom random;
    random.Randomize();
    int low = 0;
    for (int i = 0; i < 200000; ++i) {
      const float r = random.Rnd();
      QVERIFY(r >= 0.0f && r < 1.0f && std::floor(r * 0x1p24f) == r * 0x1p24f);
      low += r < 0.5f;
    }
    QVERIFY(std::abs(low - 100000) < 2000);
  }

  void placesAQuarterInByTwips_data() {
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QPointF>("corner");
    QTest::newRow("1024 x 768 at 15 twips") << 15360.f << 11520.f << QPointF(3840, 2880);
    QTest::newRow("two truncated quotients") << 20490.f << 11520.f << QPointF(5123, 2880);
    QTest::newRow("a half goes to even") << 20489.5f << 11520.f << QPointF(5123, 2880);
    QTest::newRow("odd sizes") << 20489.f << 11523.f << QPointF(5122, 2880);
  }
  void placesAQuarterInByTwips() {
    QFETCH(float, width);
    QFETCH(float, height);
    const TwipPosition at = PlaceOnScreen(width, height);
    QTEST(QPointF(at.Left, at.Top), "corner");
    QCOMPARE(PlaceOnScreen(QSize(1280, 1024), 120.0), QPoint(320, 256));  // pixels, through dpi
  }

  void buildsTheTargetPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << u"/home/u"_s << u"Star"_s << u"/home/u/Star.bmp"_s;
    QTest::newRow("root: one separator") << u"/"_s << u"Star"_s << u"/Star.bmp"_s;
    QTest::newRow("typed extension kept") << u"/tmp"_s << u"a.bmp"_s << u"/tmp/a.bmp.bmp"_s;
    QTest::newRow("empty name") << u"/tmp"_s << u""_s << u"/tmp/.bmp"_s;
    QTest::newRow("spaces kept") << u"/tmp"_s << u" a "_s << u"/tmp/ a .bmp"_s;
  }
  void buildsTheTargetPath() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTEST(TargetPath(folder, name), "path");
  }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
