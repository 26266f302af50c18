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

}  // namespace

class TestPlatform : public QObject {
  Q_OBJECT

 private slots:
  void canvasLightsTheNearestPixel_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("pixel");  // (-1, -1): dropped
    QTest::newRow("halves go to even") << 10.5f << 11.5f << QPoint(10, 12);
    QTest::newRow("half left of the edge") << -0.5f << 0.0f << QPoint(0, 0);
    QTest::newRow("last column and row") << 516.5f << 484.5f << QPoint(516, 484);
    QTest::newRow("left of the area") << -0.51f << 5.0f << QPoint(-1, -1);
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

  // Damaged files, and what is no regular file, are refused before Qt's reader sees them: it would
  // take a cut file and fill it up. (Whole files are read at every Start; the fuzzer tries the
  // rest.)
  void refusesWhatIsNoWholeBitmapInARegularFile_data() {
    QTest::addColumn<QByteArray>("bytes");  // "fifo" or "missing": no file but that
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray("") << u"empty"_s;
    QTest::newRow("one byte short") << Bitmap(QImage::Format_RGB32).chopped(1) << u"cut short"_s;
    QTest::newRow("pixels start in the header")
        << Bitmap(QImage::Format_RGB32, 10, 20) << u"damaged"_s;
    QTest::newRow("compressed") << Bitmap(QImage::Format_Indexed8, 30, 1) << u"not supported"_s;
    QTest::newRow("missing") << QByteArray("missing") << u"No such file"_s;
    QTest::newRow("a FIFO") << QByteArray("fifo") << u"not a regular file"_s;
  }
  void refusesWhatIsNoWholeBitmapInARegularFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile file(dir.filePath(u"x.bmp"_s));
    if (bytes == "fifo")
      QCOMPARE(::mkfifo(QFile::encodeName(file.fileName()).constData(), 0600), 0);
    if (bytes != "missing" && bytes != "fifo")
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
    const Picture picture = LoadPicture(file.fileName());
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
    const QString reason = SavePicture(ImageCanvas().Image(), old.fileName());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(reason, u"File too large"_s);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"x.bmp"_s});
    QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old");
  }

  // A quarter in, by two truncated quotients of the screen's size in twips; and the path saved to.
  void placesWindowsAndNamesFiles() {
    for (const auto &[width, height, left, top] : {std::array{15360.f, 11520.f, 3840.f, 2880.f},
                                                   {20490.f, 11520.f, 5123.f, 2880.f},
                                                   {20489.5f, 11520.f, 5123.f, 2880.f},
                                                   {20489.f, 11523.f, 5122.f, 2880.f}}) {
      const TwipPosition at = PlaceOnScreen(width, height);
      QCOMPARE(QList({at.Left, at.Top}), QList({left, top}));
    }
    QCOMPARE(PlaceOnScreen(QSize(1280, 1024), 120.0), QPoint(320, 256));  // pixels, through dpi
    for (const auto &[folder, name, path] : {std::array{"/home/u", "Star", "/home/u/Star.bmp"},
                                             {"/", "Star", "/Star.bmp"},
                                             {"/tmp", "a.bmp", "/tmp/a.bmp.bmp"},
                                             {"/tmp", "", "/tmp/.bmp"},
                                             {"/tmp", " a ", "/tmp/ a .bmp"}})
      QCOMPARE(TargetPath(QLatin1String(folder), QLatin1String(name)), QLatin1String(path));
  }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
