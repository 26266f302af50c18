#include <QTest>
#include <limits>

#include "platform/image_canvas.h"
#include "platform/palette.h"

using namespace kurvimo;

namespace {
constexpr QRgb kWhite = 0xFFFFFFFF;

int CountNot(const QImage &image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) != colour;
  }
  return count;
}
}  // namespace

class TestImageCanvas : public QObject {
  Q_OBJECT

 private slots:
  void lightsTheNearestPixel_data() {
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
    QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 5.0f
                                  << QPoint(-1, -1);
  }
  void lightsTheNearestPixel() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, pixel);
    ImageCanvas canvas;
    const QImage blank = canvas.Image();
    canvas.PSet(x, y, QBColor(12));
    const QImage image = canvas.Image();
    QCOMPARE(image.size(), QSize(517, 485));
    QCOMPARE(CountNot(blank, kWhite), 0);  // Image() is a snapshot, not a view
    QCOMPARE(CountNot(image, kWhite), pixel.x() < 0 ? 0 : 1);
    if (pixel.x() >= 0) QCOMPARE(image.pixel(pixel), QBColor(12));
  }

  void clsKeepsTheBackground() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ImageCanvas canvas;
    canvas.SetPicture(picture);
    const QImage background = canvas.Image();
    QCOMPARE(background.pixel(39, 29), QColor(Qt::blue).rgb());
    QCOMPARE(background.pixel(40, 29), kWhite);  // a smaller picture leaves the rest white
    canvas.TakeDirtyRect();
    canvas.PSet(20, 20, QBColor(12));
    canvas.PSet(300, 200, QBColor(12));
    canvas.Cls();
    QCOMPARE(canvas.Image(), background);
    QCOMPARE(canvas.TakeDirtyRect(), QRect(QPoint(20, 20), QPoint(300, 200)));
    QVERIFY(canvas.TakeDirtyRect().isEmpty());
  }
};

QTEST_APPLESS_MAIN(TestImageCanvas)
#include "tst_image_canvas.moc"
