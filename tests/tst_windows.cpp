#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "files/window_placement.h"
#include "ui/qt_runtime.h"
#include "support/form_rig.h"
#include "ui/file_lists.h"
#include "ui/help_viewer.h"

using namespace kurvimo;
using namespace kurvimo::testing;
using namespace Qt::StringLiterals;

namespace {

bool Blank(const QImage &image) {
  QImage white(image.size(), QImage::Format_RGB32);
  white.fill(Qt::white);
  return image == white;
}

QImage Saved(const QString &path) {
  return LoadPicture(path).image.convertToFormat(QImage::Format_RGB32);
}

QPoint PlacedCorner() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return PlaceOnScreen(screen->geometry().size(), screen->logicalDotsPerInchX());
}

template <typename T = QWidget>
T *Child(QWidget *window, const char *name) {
  return window->findChild<T *>(name);
}

void ClickItem(QListWidget *list, const QString &text, bool twice) {
  const QPoint at =
      list->visualItemRect(list->findItems(text, Qt::MatchEndsWith).value(0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  // A widget double click arrives as press, release, then the double-click event itself.
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// What the user does, a letter an act: S Start/Stop, t a tick of Timer1, c Clear, d Display,
// < and > the history buttons, N and R the draw modes. What they see: the Start button's caption,
// which of comstart comMl comMr cmdcls cmdsaihyouji Option1 Option2 mnuSave respond, the counter,
// the history offset, and whether anything is drawn.
struct Scene {
  const char *name, *acts, *shown;
};
const Scene kScenes[] = {
    {"window load", "", "Start|10000100|||blank"},
    {"ticks before Start do nothing", "tt", "Start|10000100|||blank"},
    {"Start draws nothing yet", "S", "Stop|10000100|0|0|blank"},
    {"each tick draws and counts", "Stt", "Stop|10000100|2|0|drawn"},
    {"Stop enables the history, Clear and Reserve", "SttS", "Start|11110110|2|0|drawn"},
    {"ticks after Stop do nothing", "SttStt", "Start|11110110|2|0|drawn"},
    {"Clear", "SttSc", "Start|11101110|2|0|blank"},
    {"Display", "SttScd", "Start|11110110|2|0|drawn"},
    {"a New Start clears", "SttSS", "Stop|11100110|0|0|blank"},
    {"< shows older figures", "StttS<<", "Start|11110110|3|-2|drawn"},
    {"< stops at the oldest", "StttS<<<", "Start|11110110|3|-2|drawn"},
    {"> stops at the newest", "StttS>", "Start|11110110|3|0|drawn"},
    {"> shows newer figures", "StttS<<>", "Start|11110110|3|-1|drawn"},
    {"Start resets the offset", "StttS<S", "Stop|11100110|0|0|blank"},
    {"a Reserve Start keeps the canvas", "SttSRS", "Stop|11100110|0|0|drawn"},
    {"a New Start after Reserve clears", "SttSRSSNS", "Stop|11100110|0|0|blank"},
};

struct Slider {
  const char *name, *slider, *label, *initial, *lowest, *highest;
  std::int16_t FigureModel::*member;
  int atLoad, maximum;
};
const Slider kSliders[] = {
    {"magnification", "HScroll_bairitu", "Lab_bairitu", "5", "0", "20", &FigureModel::bairitu, 5,
     20},
    {"X position", "HScroll_xichi", "Lab_xichi", "250", "0", "500", &FigureModel::xichi, 250, 500},
    {"Y position", "HScroll_yichi", "Lab_yichi", "50", "0", "500", &FigureModel::yichi, 50, 500},
    {"terms", "HScroll_kansuu", "Lab_kansuu", "9", "4", "16", &FigureModel::kansuu, 9, 16},
    {"change speed", "HScroll_henka", "Lab_henka", "0", "0", "10", &FigureModel::henka, 0, 10},
    {"colour", "HScroll_color", "Lab_color", "black", "black", "bright white",
     &FigureModel::colorIndex, 0, 15},
};

}  // namespace

Q_DECLARE_METATYPE(Scene)
Q_DECLARE_METATYPE(Slider)

class TestWindows : public QObject {
  Q_OBJECT

 private slots:
  void commandsRespondAsTheRunGoes_data() {
    QTest::addColumn<Scene>("scene");
    for (const Scene &s : kScenes) QTest::newRow(s.name) << s;
  }
  void commandsRespondAsTheRunGoes() {
    QFETCH(Scene, scene);
    FormRig rig;
    auto *timer = rig.form.findChild<QTimer *>("Timer1");
    QVERIFY(timer->isActive() && timer->interval() == 500);
    QTimerEvent tick(timer->timerId());
    const std::map<char, const char *> buttons{
        {'S', "comstart"}, {'c', "cmdcls"},  {'d', "cmdsaihyouji"}, {'<', "comMl"},
        {'>', "comMr"},    {'N', "Option1"}, {'R', "Option2"}};
    for (const char *act = scene.acts; *act; ++act) {
      if (*act == 't') QCoreApplication::sendEvent(timer, &tick);
      if (*act != 't') rig.click(buttons.at(*act));
    }
    QStringList shown{rig.get("comstart")->text(), {}};
    for (const char *name :
         {"comstart", "comMl", "comMr", "cmdcls", "cmdsaihyouji", "Option1", "Option2", "mnuSave"})
      shown[1] += rig.form.findChild<QObject *>(name)->property("enabled").toBool() ? '1' : '0';
    shown << rig.text("Labcount") << rig.text("Labmodoru")
          << (Blank(rig.canvas()) ? "blank" : "drawn");
    QCOMPARE(shown.join('|'), QLatin1String(scene.shown));
  }

  // Clear and Display show the same pixels; a Reserve Start keeps them in sgz.bmp and on show.
  void redisplayAndReserveKeepThePixels() {
    FormRig rig;
    rig.run("Option1", 2);
    const QImage first = rig.canvas();
    rig.click("cmdcls");
    rig.click("cmdsaihyouji");
    QCOMPARE(rig.canvas(), first);
    rig.click("Option2");
    rig.click("comstart");
    QCOMPARE(Saved(rig.runtime.appPath + "/sgz.bmp"), first);
    QCOMPARE(rig.canvas(), first);
  }

  void slidersSetTheirLabelAndMember_data() {
    QTest::addColumn<Slider>("s");
    for (const Slider &s : kSliders) QTest::newRow(s.name) << s;
  }
  void slidersSetTheirLabelAndMember() {
    QFETCH(Slider, s);
    FormRig rig;
    QCOMPARE(rig.text(s.label) + ' ' + QString::number(rig.model().*s.member),
             u"%1 %2"_s.arg(s.initial).arg(s.atLoad));
    rig.run("Option1", 1);
    const QImage shown = rig.canvas();
    auto *bar = rig.get<QScrollBar>(s.slider);
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Home);
    QCOMPARE(rig.text(s.label), QLatin1String(s.lowest));
    QTest::keyClick(bar, Qt::Key_End);
    QCOMPARE(rig.text(s.label) + ' ' + QString::number(rig.model().*s.member),
             u"%1 %2"_s.arg(s.highest).arg(s.maximum));
    QCOMPARE(rig.canvas(), shown);  // nothing redraws until the next figure
  }

  void slidersCommitOnRelease() {
    FormRig rig;
    auto *magnification = rig.get<QScrollBar>("HScroll_bairitu");
    magnification->setSliderDown(true);
    magnification->setSliderPosition(12);
    QCOMPARE(rig.text("Lab_bairitu"), u"5"_s);
    magnification->setSliderDown(false);
    rig.get<QScrollBar>("HScroll_color")->triggerAction(QScrollBar::SliderSingleStepAdd);
    QCOMPARE(rig.text("Lab_bairitu") + ' ' + rig.text("Lab_color"), u"12 blue"_s);
    rig.menu("mnuExit")->trigger();
    QCOMPARE(rig.runtime.ended, 1);
  }

  void saveAsWritesTheCanvasAndSaveWritesThereAgain() {
    FormRig rig;
    QTemporaryDir dir;
    rig.run("Option1", 3);
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QCOMPARE(w->windowTitle() + ' ' + Child<QLineEdit>(w, "txtTargetFile")->text(),
               u"Save As... File1"_s);
      QCOMPARE(w->pos(), PlacedCorner());
      QTest::mouseClick(Child(w, "Command1"), Qt::LeftButton);
    });
    const QString path = dir.filePath(u"File1.bmp"_s);
    QCOMPARE(Saved(path), rig.canvas());
    QCOMPARE(rig.form.module1().currentFileName, path);
    QVERIFY(rig.menu("mnuSave")->isEnabled() && rig.runtime.questions.isEmpty());
    rig.saveAs(dir.path(), u"b"_s);
    rig.click("cmdcls");
    rig.menu("mnuSave")->trigger();  // where the latest Save As wrote
    QVERIFY(Blank(Saved(dir.filePath(u"b.bmp"_s))) && !Blank(Saved(path)));
  }

  void asksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("content, Yes") << QByteArray("old") << true << true;
    QTest::newRow("content, No") << QByteArray("old") << false << false;
    QTest::newRow("empty: no question") << QByteArray() << false << true;
  }
  void asksBeforeReplacingAFileWithContent() {
    QFETCH(QByteArray, old);
    QFETCH(bool, answer);
    QFETCH(bool, replaced);
    FormRig rig;
    QTemporaryDir dir;
    QFile file(dir.filePath(u"Star.bmp"_s));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    file.close();
    rig.runtime.answer = answer;
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      ClickItem(Child<QListWidget>(w, "File1"), u"Star.bmp"_s, false);
      QCOMPARE(Child<QLineEdit>(w, "txtTargetFile")->text(), u"Star"_s);
      QTest::mouseClick(Child(w, "Command1"), Qt::LeftButton);
      QVERIFY(!w->isVisible());
    });
    const QString question = file.fileName() + u" ファイルは既に存在します。上書きしますか？"_s;
    QCOMPARE(rig.runtime.questions, old.isEmpty() ? QStringList() : QStringList{question});
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll() == old, !replaced);
    QCOMPARE(rig.menu("mnuSave")->isEnabled(), replaced);
    QCOMPARE(rig.form.module1().currentFileName, replaced ? file.fileName() : QString());
  }

  // Enter and Esc press nothing; only Save writes, and only where the lists point.
  void listsFollowTheChosenFolderAndDrive() {
    FormRig rig;
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"sub"_s);
    for (const char *name : {"top.bmp", "sub/in.bmp", "sub/notes.txt"})
      QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      auto *files = Child<QListWidget>(w, "File1");
      auto *folders = Child<DirList>(w, "Dir1");
      QCOMPARE(files->item(0)->text(), u"top.bmp"_s);
      ClickItem(folders, u"sub"_s, true);
      QCOMPARE(folders->Path(), dir.filePath(u"sub"_s));
      QCOMPARE(files->count() == 1 ? files->item(0)->text() : QString(), u"in.bmp"_s);
      QTest::keyClick(Child(w, "txtTargetFile"), Qt::Key_Return);
      QTest::keyClick(Child(w, "txtTargetFile"), Qt::Key_Escape);
      QVERIFY(w->isVisible());
      auto *drives = Child<QComboBox>(w, "Drive1");
      QCOMPARE(drives->itemText(0), u"/"_s);
      const QString other = drives->itemText(drives->count() - 1);
      if (drives->count() == 1 || !QDir(other).isReadable()) return;
      drives->setFocus();
      QTest::keyClick(drives, Qt::Key_End);
      QCOMPARE(folders->Path(), QDir(other).canonicalPath());
    });
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"top.bmp"_s});
    QVERIFY(!rig.menu("mnuSave")->isEnabled());
    // The current folder may vanish under the program: the window then opens at home.
    QDir::setCurrent(dir.filePath(u"sub"_s));
    QDir(dir.filePath(u"sub"_s)).removeRecursively();
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QCOMPARE(Child<DirList>(w, "Dir1")->Path(), QDir::homePath());
    });
  }

  void aboutShowsTheVersionAndCloses_data() {
    QTest::addColumn<int>("key");  // 0: OK clicked
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << int{Qt::Key_Return};
    QTest::newRow("Esc") << int{Qt::Key_Escape};
  }
  void aboutShowsTheVersionAndCloses() {
    QFETCH(int, key);
    FormRig rig;
    rig.withModal("mnuVersion", [&](QWidget *w) {
      QCOMPARE(w->windowTitle() + ' ' + Child<QLabel>(w, "Label2")->text(), u"About Version 1.0"_s);
      QCOMPARE(w->pos(), PlacedCorner());
      QCOMPARE(Child<QLabel>(w, "picIcon")->pixmap().size(), QSize(32, 32));
      if (key == 0) QTest::mouseClick(Child(w, "cmdOK"), Qt::LeftButton);
      if (key != 0) QTest::keyClick(Child(w, "cmdOK"), Qt::Key(key));
      QVERIFY(!w->isVisible());
    });
  }

  void f1OpensHelpOnlyAfterHelpWasChosen() {
    FormRig rig;
    QTest::keyClick(&rig.form, Qt::Key_F1);
    QVERIFY(rig.runtime.helpShown.isEmpty());
    rig.menu("mnuMokuji")->trigger();
    QTest::keyClick(rig.get<QWidget>("HScroll_bairitu"), Qt::Key_F1);
    rig.withModal("mnuVersion", [&](QWidget *w) { QTest::keyClick(w, Qt::Key_F1); });
    rig.withModal("mnuSaveAs",
                  [&](QWidget *w) { QTest::keyClick(Child(w, "txtTargetFile"), Qt::Key_F1); });
    QCOMPARE(rig.runtime.helpShown, QStringList(4, rig.runtime.appPath + u"/krv.hlp"_s));
  }

  void viewerShowsTheFileOrSaysWhyNot_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");
    QTest::newRow("the help file")
        << QStringLiteral(KURVIMO_RESOURCES "/krv.hlp") << u"Saving pictures"_s;
    QTest::newRow("missing") << u"/nonexistent/krv.hlp"_s << u"No such file"_s;
    QTest::newRow("a folder") << QStringLiteral(KURVIMO_RESOURCES) << u"is a folder"_s;
    QTest::newRow("a device") << u"/dev/null"_s << u"not a regular file"_s;
  }
  void viewerShowsTheFileOrSaysWhyNot() {
    QFETCH(QString, file);
    QFETCH(QString, shown);
    HelpViewer viewer;
    viewer.Open(file);
    QVERIFY2(viewer.toPlainText().contains(shown), qPrintable(viewer.toPlainText().left(200)));
  }

  void questionIsAWarningWithYesAsDefault() {
    QtRuntime runtime;
    for (const auto &[key, yes] : {std::pair{Qt::Key_Return, true}, {Qt::Key_Escape, false}}) {
      QTimer::singleShot(0, [key] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box && box->icon() == QMessageBox::Warning);
        QCOMPARE(box->windowTitle() + ' ' + box->text(), u"Kurvimo question"_s);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QTest::keyClick(box, key);
      });
      QCOMPARE(runtime.AskYesNo(nullptr, u"question"_s), yes);
    }
  }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
