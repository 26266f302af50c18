#include <QTest>

#include "files/save_commands.h"
#include "files/window_placement.h"

using namespace kurvimo;

class TestSaveCommands : public QObject {
  Q_OBJECT

 private slots:
  void placesByTwips_data() {
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::newRow("1024 x 768 at 15 twips") << 15360.f << 11520.f << 3840.f << 2880.f;
    QTest::newRow("two truncated quotients") << 20490.f << 11520.f << 5123.f << 2880.f;
    QTest::newRow("a half goes to the even neighbour") << 20489.5f << 11520.f << 5123.f << 2880.f;
    QTest::newRow("odd height") << 20489.f << 11523.f << 5122.f << 2880.f;
  }
  void placesByTwips() {
    QFETCH(float, width);
    QFETCH(float, height);
    const TwipPosition at = PlaceOnScreen(width, height);
    QTEST(at.Left, "left");
    QTEST(at.Top, "top");
  }

  void placesInPixelsThroughTheDpi_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("1024 x 768 at 96 dpi") << QSize(1024, 768) << 96.0 << QPoint(256, 192);
    QTest::newRow("1280 x 1024 at 120 dpi") << QSize(1280, 1024) << 120.0 << QPoint(320, 256);
    QTest::newRow("1366 x 768 at 96 dpi") << QSize(1366, 768) << 96.0 << QPoint(342, 192);
  }
  void placesInPixelsThroughTheDpi() {
    QFETCH(QSize, screen);
    QFETCH(double, dpi);
    QTEST(PlaceOnScreen(screen, dpi), "corner");
  }

  void buildsTheTargetPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << "/home/u"
                            << "Star"
                            << "/home/u/Star.bmp";
    QTest::newRow("root: one separator") << "/"
                                         << "Star"
                                         << "/Star.bmp";
    QTest::newRow("typed extension kept") << "/tmp"
                                          << "a.bmp"
                                          << "/tmp/a.bmp.bmp";
    QTest::newRow("empty name") << "/tmp"
                                << ""
                                << "/tmp/.bmp";
    QTest::newRow("spaces kept") << "/tmp"
                                 << " a "
                                 << "/tmp/ a .bmp";
  }
  void buildsTheTargetPath() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QTEST(TargetPath(folder, name), "path");
  }
};

QTEST_GUILESS_MAIN(TestSaveCommands)
#include "tst_save_commands.moc"
