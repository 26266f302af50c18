#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "platform/bitmap_file.h"

using namespace kurvimo;

namespace {

QByteArray Encode(QImage::Format format) {
  QImage image(7, 5, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixel(3, 2, qRgb(255, 0, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.convertToFormat(format).save(&buffer, "BMP");
  return bytes;
}

QByteArray Shipped() {
  QFile file(QStringLiteral(KURVIMO_RESOURCES "/cls.bmp"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Patched(QByteArray bytes, int at, quint32 value) {
  qToLittleEndian(value, bytes.data() + at);
  return bytes;
}

constexpr int kOffsetField = 10;
constexpr int kDibSizeField = 14;
constexpr int kWidthField = 18;
constexpr int kCompressionField = 30;
constexpr int kColoursUsedField = 46;

}  // namespace

class TestBitmapFile : public QObject {
  Q_OBJECT

 private slots:
  void acceptsWholeBitmaps_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::newRow("shipped background, 1 bit") << Shipped() << QSize(517, 485);
    QTest::newRow("8 bits") << Encode(QImage::Format_Indexed8) << QSize(7, 5);
    QTest::newRow("24 bits") << Encode(QImage::Format_RGB32) << QSize(7, 5);
    QTest::newRow("32 bits") << Encode(QImage::Format_ARGB32) << QSize(7, 5);
  }
  void acceptsWholeBitmaps() {
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    const Picture picture = DecodeBitmap(bytes);
    QVERIFY2(picture.ok(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), size);
  }

  void refusesDamagedBitmaps_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = Encode(QImage::Format_RGB32);
    const QByteArray indexed = Encode(QImage::Format_Indexed8);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut at 55 bytes") << Shipped().left(55);
    QTest::newRow("cut at half") << Shipped().left(Shipped().size() / 2);
    QTest::newRow("one byte short") << good.chopped(1);
    QTest::newRow("not a bitmap") << QByteArray(
        "GIF89a plus enough bytes to pass a size check....");
    QTest::newRow("unknown header size") << Patched(good, kDibSizeField, 41);
    QTest::newRow("no width") << Patched(good, kWidthField, 0);
    QTest::newRow("absurd width") << Patched(good, kWidthField, 1000000);
    QTest::newRow("pixels past the end") << Patched(good, kOffsetField, good.size());
    QTest::newRow("offset inside the header") << Patched(good, kOffsetField, 20);
    QTest::newRow("compressed") << Patched(indexed, kCompressionField, 1);
    QTest::newRow("palette too long") << Patched(indexed, kColoursUsedField, 257);
  }
  void refusesDamagedBitmaps() {
    QFETCH(QByteArray, bytes);
    const Picture picture = DecodeBitmap(bytes);
    QVERIFY(!picture.ok());
    QVERIFY(picture.image.isNull());
  }

  void refusesWhatIsNotARegularFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("pipe") << "pipe";  // must not wait for a writer
  }
  void refusesWhatIsNotARegularFile() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cls.bmp"));
    if (kind == "folder") QDir().mkdir(path);
    if (kind == "pipe") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const Picture picture = LoadPicture(path);
    QVERIFY(!picture.ok());
    QVERIFY(!picture.error.isEmpty());
  }

  void savesAndReadsBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sgz.bmp"));
    QImage image(517, 485, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(100, 200, qRgb(0, 0, 255));
    QCOMPARE(SavePicture(image, path), QString());
    QCOMPARE(SavePicture(image, path), QString());  // replaces the earlier file
    const Picture back = LoadPicture(path);
    QVERIFY2(back.ok(), qPrintable(back.error));
    QCOMPARE(back.image.convertToFormat(QImage::Format_RGB32), image);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList("sgz.bmp"));
  }

  void failedSaveLeavesNoTrace_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("onto a folder") << "folder";
    QTest::newRow("into a missing folder") << "missing/sgz.bmp";
    QTest::newRow("through a file") << "file/sgz.bmp";
  }
  void failedSaveLeavesNoTrace() {
    QFETCH(QString, target);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QVERIFY(!SavePicture(image, dir.filePath(target)).isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"file", "folder"}));
  }
};

QTEST_MAIN(TestBitmapFile)
#include "tst_bitmap_file.moc"
