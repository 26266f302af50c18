#include <QBuffer>
#include <QFile>
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
};

QTEST_MAIN(TestBitmapFile)
#include "tst_bitmap_file.moc"
