#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "support/form_rig.h"

using namespace kurvimo;
using namespace kurvimo::testing;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
const char *const kButtons[] = {"comstart",     "comMl",   "comMr",  "cmdcls",
                                "cmdsaihyouji", "Option1", "Option2"};
const char *const kLabels[] = {"Lab_bairitu", "Lab_xichi", "Lab_yichi", "Lab_kansuu",
                               "Lab_henka",   "Lab_color", "Labcount",  "Labmodoru"};

bool Blank(const QImage &image) {
  QImage white(image.size(), QImage::Format_RGB32);
  white.fill(kWhite);
  return image == white;
}

// Which of the run-control buttons respond, in the order of kButtons.
QString Enabled(FormRig &rig) {
  QString states;
  for (const char *name : kButtons) states += rig.get(name)->isEnabled() ? '1' : '0';
  return states;
}

}  // namespace

class TestForm1 : public QObject {
  Q_OBJECT

 private slots:
  void opensInItsStartUpState() {
    FormRig rig;
    QCOMPARE(rig.form.windowTitle(), QStringLiteral("Kurvimo"));
    QCOMPARE(rig.form.centralWidget()->size(), QSize(711, 517));
    QCOMPARE(rig.form.minimumSize(), rig.form.maximumSize());
    QVERIFY(
        !(rig.form.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(rig.form.windowIcon().pixmap(32).size(), QSize(32, 32));
    QCOMPARE(rig.form.font().family(), QStringLiteral("Arial"));
    QCOMPARE(rig.get("comstart")->text(), QStringLiteral("Start"));
    QCOMPARE(Enabled(rig), QStringLiteral("1000010"));
    QVERIFY(rig.get("Option1")->isChecked());
    QVERIFY(!rig.form.findChild<QAction *>(QStringLiteral("mnuSave"))->isEnabled());
    QStringList labels;
    for (const char *name : kLabels) labels << rig.text(name);
    QCOMPARE(labels, QStringList({"5", "250", "50", "9", "0", "black", "", ""}));
    QCOMPARE(rig.get<QWidget>("Picture1")->geometry(), QRect(8, 8, 521, 489));
    QCOMPARE(rig.get<QScrollBar>("HScroll_kansuu")->accessibleName(),
             QStringLiteral("Complex of figure"));
    QVERIFY(Blank(rig.canvas()));
  }

  void tabOrderStartsAtTheCanvas() {
    FormRig rig;
    QStringList order;
    for (QWidget *w = rig.get<QWidget>("Picture1"); order.size() < 6; w = w->nextInFocusChain()) {
      if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    }
    QCOMPARE(order, QStringList({"Picture1", "HScroll_bairitu", "comstart", "comMl", "cmdsaihyouji",
                                 "comMr"}));
  }

  // The enabled states of comstart comMl comMr cmdcls cmdsaihyouji Option1 Option2.
  void enablesCommandsByRunState() {
    FormRig rig;
    rig.click("comstart");
    QCOMPARE(rig.get("comstart")->text(), QStringLiteral("Stop"));
    QCOMPARE(Enabled(rig), QStringLiteral("1000010"));
    rig.click("comstart");
    QCOMPARE(rig.get("comstart")->text(), QStringLiteral("Start"));
    QCOMPARE(Enabled(rig), QStringLiteral("1111011"));
    rig.click("cmdcls");
    QCOMPARE(Enabled(rig), QStringLiteral("1110111"));
    rig.click("cmdsaihyouji");
    QCOMPARE(Enabled(rig), QStringLiteral("1111011"));
    rig.click("comstart");  // once enabled, history and Reserve stay so
    QCOMPARE(Enabled(rig), QStringLiteral("1110011"));
  }

  void onlyTicksAfterStartDraw() {
    FormRig rig;
    rig.ticks(3);
    QVERIFY(Blank(rig.canvas()));
    QCOMPARE(rig.text("Labcount"), QString());
    rig.click("comstart");
    QCOMPARE(rig.text("Labcount") + rig.text("Labmodoru"), QStringLiteral("00"));
    QVERIFY(Blank(rig.canvas()));
    const auto &xAmp = rig.model().terms.xAmp;
    QVERIFY(*std::min_element(xAmp.begin(), xAmp.begin() + 9) >= 1);
    QVERIFY(*std::max_element(xAmp.begin(), xAmp.begin() + 9) <= 9);
    QCOMPARE(xAmp[9], std::int16_t{0});
    rig.ticks(1);
    QCOMPARE(rig.text("Labcount"), QStringLiteral("1"));
    QVERIFY(!Blank(rig.canvas()));
    rig.click("comstart");
    const Snapshot stopped(rig);
    rig.ticks(3);
    QCOMPARE(Snapshot(rig).canvas, stopped.canvas);
    QCOMPARE(Snapshot(rig).state, stopped.state);
  }

  void clearThenDisplayRedrawsTheSamePixels() {
    FormRig rig;
    rig.run("Option1", 3);
    const QImage last = rig.canvas();
    rig.click("cmdcls");
    QVERIFY(Blank(rig.canvas()));
    rig.click("cmdsaihyouji");
    QCOMPARE(rig.canvas(), last);
  }

  void reserveRunsKeepEarlierFigures() {
    FormRig rig;
    rig.run("Option1", 2);
    const QImage first = rig.canvas();
    rig.run("Option2", 2);
    QCOMPARE(
        LoadPicture(rig.runtime.appPath + "/sgz.bmp").image.convertToFormat(QImage::Format_RGB32),
        first);
    rig.click("comstart");  // a second Reserve run keeps the first run's figure
    rig.ticks(1);
    const QImage third = rig.canvas();
    for (int y = 0; y < first.height(); ++y) {
      for (int x = 0; x < first.width(); ++x) {
        if (first.pixel(x, y) != kWhite) QVERIFY(third.pixel(x, y) != kWhite);
      }
    }
    rig.click("comstart");
    rig.click("Option1");
    rig.click("comstart");  // New starts clean again
    QVERIFY(Blank(rig.canvas()));
  }

  void slidersChangeLabelsNotTheCanvas() {
    FormRig rig;
    rig.run("Option1", 1);
    const QImage shown = rig.canvas();
    auto *kansuu = rig.get<QScrollBar>("HScroll_kansuu");
    kansuu->setFocus();
    QTest::keyClick(kansuu, Qt::Key_End);
    QCOMPARE(rig.text("Lab_kansuu"), QStringLiteral("16"));
    QCOMPARE(rig.model().kansuu, std::int16_t{16});
    auto *color = rig.get<QScrollBar>("HScroll_color");
    color->setFocus();
    QTest::keyClick(color, Qt::Key_Right);
    QCOMPARE(rig.text("Lab_color"), QStringLiteral("blue"));
    QTest::keyClick(color, Qt::Key_End);
    QCOMPARE(rig.text("Lab_color"), QStringLiteral("bright white"));
    // A drag commits once, on release.
    auto *magnification = rig.get<QScrollBar>("HScroll_bairitu");
    magnification->setSliderDown(true);
    magnification->setSliderPosition(12);
    QCOMPARE(rig.text("Lab_bairitu"), QStringLiteral("5"));
    magnification->setSliderDown(false);
    QCOMPARE(rig.text("Lab_bairitu"), QStringLiteral("12"));
    QCOMPARE(rig.canvas(), shown);
  }

  void historyStepsThroughARun() {
    FormRig rig;
    rig.run("Option1", 3);
    const HistoryRing &ring = rig.form.engine().history();
    rig.click("comMr");  // nothing newer
    QCOMPARE(rig.text("Labmodoru"), QStringLiteral("0"));
    rig.click("comMl");
    rig.click("comMl");
    QCOMPARE(rig.text("Labmodoru"), QStringLiteral("-2"));
    QCOMPARE(rig.model().terms.xAmp[0], ring.histXAmp[0][0]);
    rig.click("comMl");  // nothing older
    QCOMPARE(rig.text("Labmodoru"), QStringLiteral("-2"));
    rig.click("comMr");
    QCOMPARE(rig.text("Labmodoru"), QStringLiteral("-1"));
  }

  void historyWrapsAfterAThousandFigures() {
    FormRig rig;
    auto *kansuu = rig.get<QScrollBar>("HScroll_kansuu");
    kansuu->setFocus();
    QTest::keyClick(kansuu, Qt::Key_Home);  // the cheapest figures
    rig.run("Option1", 1000);
    const HistoryRing &ring = rig.form.engine().history();
    QCOMPARE(ring.histPos, std::int16_t{0});
    QCOMPARE(ring.histFull, std::int16_t{1});
    rig.click("comMl");
    QCOMPARE(rig.model().terms.yFreq[3], ring.histYFreq[3][998]);
    rig.click("comMr");
    rig.click("comMr");  // past the newest once the ring is full
    QCOMPARE(rig.text("Labmodoru"), QStringLiteral("1"));
  }

  void exitEndsTheProgram() {
    FormRig rig;
    rig.click("comstart");
    rig.form.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    QCOMPARE(rig.runtime.ended, 1);
  }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
