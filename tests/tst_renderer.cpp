#include <QTest>

#include "engine/renderer.h"
#include "platform/palette.h"
#include "support/test_doubles.h"

using namespace kurvimo;
using kurvimo::testing::RecordingCanvas;

class TestRenderer : public QObject {
  Q_OBJECT

 private slots:
  // One term of amplitude 10 turning one radian a step; the other three add nothing.
  void walksAndPlotsTheWorkedExample() {
    FigureModel m;
    m.kansuu = 4;
    m.terms.xAmp[0] = m.terms.yAmp[0] = m.terms.xFreq[0] = m.terms.yFreq[0] = 10;
    m.bairitu = 5;
    m.xichi = 250;
    m.yichi = 50;
    FigureWalk walk(m.terms, m.kansuu);
    for (double t : {255.0, 257.7015, 255.6208}) {
      walk.Next();
      QCOMPARE(qRound64((5 * walk.posX + 250) * 1e4), qRound64(t * 1e4));
    }
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(canvas.points.size(), size_t(kStepsPerPass));
    QCOMPARE(canvas.cls, 0);
    QCOMPARE(qRound(canvas.points.front().x * 1e4f), 2474346);  // position 10,002
    QCOMPARE(qRound(canvas.points.front().y * 1e4f), 533378);
  }

  void centresOnTheReference_data() {
    QTest::addColumn<int>("xichi");  // with every amplitude 0, every measured t is xichi
    QTest::addColumn<int>("reserveMode");
    QTest::addColumn<int>("centerSet");
    QTest::addColumn<int>("refBefore");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("refAfter");
    // The start value 1000 is the minimum: centres 1100.5 and 1101.5 go to the even neighbour.
    QTest::newRow("half rounds down to even") << 1201 << 0 << 0 << 0 << 7 << 1100;
    QTest::newRow("half rounds up to even") << 1203 << 0 << 0 << 0 << 7 << 1102;
    QTest::newRow("start value 0 is the maximum") << -201 << 0 << 0 << 0 << 7 << -100;
    QTest::newRow("first New figure: old shift, new ref") << 250 << 0 << 0 << 300 << 50 << 250;
    QTest::newRow("later New figure") << 250 << 0 << 1 << 300 << 50 << 300;
    QTest::newRow("Reserve keeps the reference") << 250 << 1 << 0 << 300 << 50 << 300;
    QTest::newRow("reference 0 stops re-centring") << 250 << 0 << 1 << 0 << 7 << 0;
  }
  void centresOnTheReference() {
    QFETCH(int, xichi);
    QFETCH(int, reserveMode);
    QFETCH(int, centerSet);
    QFETCH(int, refBefore);
    QFETCH(int, shift);
    QFETCH(int, refAfter);
    FigureModel m;
    m.kansuu = 4;
    m.bairitu = 3;
    m.xichi = static_cast<std::int16_t>(xichi);
    m.yichi = 40;
    m.colorIndex = 12;
    m.reserveMode = static_cast<std::int16_t>(reserveMode);
    m.centerSet = static_cast<std::int16_t>(centerSet);
    m.xCenterRef = static_cast<std::int16_t>(refBefore);
    m.xShift = 7;
    RecordingCanvas canvas;
    DrawFigure(m, canvas);
    QCOMPARE(m.xShift, shift);
    QCOMPARE(m.xCenterRef, refAfter);
    QCOMPARE(m.centerSet, 1);
    for (const auto &p : {canvas.points.front(), canvas.points.back()}) {
      QCOMPARE(p.x, float(xichi + shift));
      QCOMPARE(p.y, 40.0f);
      QCOMPARE(p.colour, QBColor(12));
    }
  }
};

QTEST_APPLESS_MAIN(TestRenderer)
#include "tst_renderer.moc"
