#include <malloc.h>

#include <QtTest>
#include <QtWidgets>
#include <random>

#include "ui/about_dialog.h"
#include "ui/canvas_widget.h"
#include "ui/file_lists.h"
#include "ui/main_window.h"
#include "ui/save_as_dialog.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // the sanitizer's own heap
#endif

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

// The real main window, with its program folder in the home folder; it keeps what it would tell.
struct WindowRig final : RuntimeServices, RandomSource {
  WindowRig() { QFile::copy(KURVIMO_RESOURCES "/cls.bmp", programPath + "/cls.bmp"); }
  QString programFolder() const override { return programPath; }
  QString userDataFolder() const override { return dataPath; }
  void showFailure(QWidget *, const QString &text) override { failures << text; }
  bool askYesNo(QWidget *, const QString &text) override {
    questions << text;
    return answer;
  }
  void showHelp(QWidget *, const QString &) override {}
  void quit() override {}
  void seedFromClock() override {}
  float next() override { return std::uniform_real_distribution<float>()(sequence); }

  QTemporaryDir folder{QDir::homePath() + "/kurvimo-test-XXXXXX"};
  QString programPath = folder.path();
  QString dataPath = programPath + "/data";
  QStringList failures;
  QStringList questions;
  bool answer = true;
  std::mt19937 sequence{1234};
  MainWindow window{*this, *this};

  template <typename T = QWidget>
  T *get(const QString &name) {
    T *child = window.findChild<T *>(name);
    if (!child) qFatal("no control %s", qPrintable(name));
    return child;
  }
  void click(const QString &caption) {  // the button that says so
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
      if (button->text() == caption) return QTest::mouseClick(button, Qt::LeftButton);
    }
    QFAIL(qPrintable("no button " + caption));
  }
  QImage canvas() { return get<CanvasWidget>("canvas")->image(); }
  void run(int ticks) {  // Start, the ticks, each repainted, and Stop
    click("Start");
    for (int tick = 0; tick < ticks; ++tick) {
      window.tick();
      QCoreApplication::processEvents();
    }
    click("Stop");
  }
  // Chooses a menu entry that opens a modal window, and hands the window to `drive`.
  void withModal(const char *action, const std::function<void(QWidget *)> &drive) {
    bool driven = false;
    QTimer poll;
    poll.callOnTimeout([&] {
      QPointer<QWidget> modal = QApplication::activeModalWidget();
      if (!modal) return;
      poll.stop();
      drive(modal);
      if (modal) modal->close();
      driven = true;
    });
    poll.start(0);
    get<QAction>(action)->trigger();
    QTRY_VERIFY(driven);
  }
};

}  // namespace

class TestWindows : public QObject {
  Q_OBJECT

 private slots:
  void theRunControlEnablesWhatTheRunAllows_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("enabled");
    QTest::newRow("Start: Stop only") << 1 << u"Stop New"_s;
    QTest::newRow("Stop: the history, Clear and Reserve") << 2 << u"Start < > Clear New Reserve"_s;
    QTest::newRow("Clear: Display instead") << 3 << u"Start < > Display New Reserve"_s;
    QTest::newRow("Display: Clear instead") << 4 << u"Start < > Clear New Reserve"_s;
    QTest::newRow("a second Start, Display enabled: the history and Reserve")
        << 6 << u"Stop < > New Reserve"_s;
  }
  void theRunControlEnablesWhatTheRunAllows() {
    QFETCH(int, steps);
    WindowRig rig;
    for (const char *caption : {"Start", "Stop", "Clear", "Display", "Clear", "Start"}) {
      if (steps-- > 0) rig.click(caption);
    }
    QStringList responding;  // by what they say
    for (const char *name : {"startStopButton", "olderButton", "newerButton", "clearButton",
                             "displayButton", "newModeButton", "reserveModeButton", "actionSave"}) {
      if (rig.get<QObject>(name)->property("enabled").toBool())
        responding << rig.get<QObject>(name)->property("text").toString().remove('&');
    }
    QTEST(responding.join(' '), "enabled");
  }

  // The picture so far is kept in sgz.bmp beside the program, which is in the user's home.
  void aReserveStartDrawsOverThePictureSoFar() {
    WindowRig rig;
    const QImage clean = rig.canvas();
    rig.run(2);
    const QImage kept = rig.canvas();
    rig.click("Reserve");
    rig.click("Start");
    QCOMPARE(rig.canvas(), kept);
    QVERIFY(QFileInfo(rig.programPath + "/sgz.bmp").isFile());
    rig.window.tick();
    const QImage over = rig.canvas();
    rig.click("Stop");
    rig.click("Start");
    QCOMPARE(rig.canvas(), over);
    rig.window.tick();
    rig.click("New");
    rig.click("Stop");
    QCOMPARE(rig.window.engine().model().drawMode, DrawMode::New);  // read at Stop too
    rig.click("Clear");
    QCOMPARE(rig.canvas(), over);
    rig.click("Start");  // a New run starts on cls.bmp again
    QCOMPARE(rig.canvas(), clean);
    QCOMPARE(rig.get<QLabel>("figureCountLabel")->text(), "0");
  }

  // Guards the forms against a slip in Qt Designer: caption, client area and font; each
  // control's place, in tab order from the first focus, and font where not Arial 9. Their texts are
  // held to the catalogue by translations_complete.
  void theWindowsAreLaidOutAsDesigned_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("client");
    QTest::addColumn<QString>("geometry");
    QTest::newRow("main")
        << u"MainWindow"_s << u"Kurvimo: 711 x 517, Arial 9"_s
        << u"canvas 8 8 521 489; magnificationSlider 544 136 121 17; magnificationLabel 672 136 25 "
           "17; startStopButton 544 8 81 41; olderButton 544 280 33 25; historyOffsetLabel 584 288 "
           "41 17; displayButton 608 376 57 25; newerButton 632 280 33 25; xPositionSlider 544 184 "
           "121 17; yPositionSlider 544 232 121 17; xPositionLabel 672 184 25 17; yPositionLabel "
           "672 232 25 17; termCountSlider 544 432 121 17; termCountLabel 672 432 25 17; "
           "changeSpeedSlider 544 480 121 17; changeSpeedLabel 672 480 25 17; figureCountLabel 640 "
           "32 49 17; clearButton 544 376 57 25; drawModeGroup 544 64 153 41; newModeButton 16 16 "
           "49 12; reserveModeButton 72 16 73 12; magnificationHeading 544 120 72 15; "
           "xPositionHeading 544 168 33 15; yPositionHeading 544 216 33 15; historyHeading 544 264 "
           "35 15; termCountHeading 544 416 96 15; changeSpeedHeading 544 464 129 15; colorSlider "
           "544 352 121 17; colorLabel 544 328 121 17; colorHeading 544 312 30 15"_s;
    QTest::newRow("save as")
        << u"SaveAsDialog"_s << u"Save As...: 345 x 384, Arial 9"_s
        << u"driveList 8 8 257 23; folderList 8 40 249 142; fileList 8 192 249 141; fileNameEdit 8 "
           "352 249 18; saveButton 272 328 65 49"_s;
    QTest::newRow("about")
        << u"AboutDialog"_s << u"About: 374 x 134, Arial 9"_s
        << u"okButton 264 72 92 47; iconLabel 16 16 36 36; nameLabel 80 32 248 29 Arial 18 bold; "
           "versionLabel 88 64 85 19 Arial 12 bold"_s;
  }
  void theWindowsAreLaidOutAsDesigned() {
    QFETCH(QString, window);
    QFETCH(QString, geometry);
    WindowRig rig;
    SaveAsDialog saveAs(rig, *rig.get<CanvasWidget>("canvas"), &rig.window);
    AboutDialog about(&rig.window);
    QWidget *top = window == "MainWindow" ? &rig.window : rig.window.findChild<QWidget *>(window);
    const auto fontOf = [](const QWidget *w) {
      return QString::asprintf("%s %d%s", qPrintable(w->font().family()), w->font().pointSize(),
                               w->font().bold() ? " bold" : "");
    };
    QStringList tabOrder;
    for (QWidget *w = top->nextInFocusChain(); w != top; w = w->nextInFocusChain()) {
      if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    }
    QStringList expected = geometry.split(u"; "_s);
    QStringList actual;
    QStringList tabStops;
    for (QString &entry : expected) {
      const QString name = entry.section(' ', 0, 0);
      const auto *w = top->findChild<QWidget *>(name);
      const QRect r = w ? w->geometry() : QRect();
      actual << name + QString::asprintf(" %d %d %d %d ", r.x(), r.y(), r.width(), r.height()) +
                    (w ? fontOf(w) : "");
      if (entry.count(' ') == 4) entry += " Arial 9";
      if (w && w->focusPolicy() & Qt::TabFocus) tabStops << name;
    }
    const QSize client = (top == &rig.window ? rig.get("centralWidget") : top)->size();
    QTEST(top->windowTitle() + QString::asprintf(": %d x %d, ", client.width(), client.height()) +
              fontOf(top),
          "client");
    QCOMPARE(actual, expected);
    QCOMPARE(top->focusWidget()->objectName(), tabStops.value(0));
    QCOMPARE(tabOrder, tabStops);
  }
  // The list shows the bitmaps of the folder opened by the names Save writes back.
  void saveAsAsksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("content");  // of sub/Star.bmp, picked; none: there is none
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("written");
    QTest::newRow("a new file, File1 at first") << QByteArray() << false << false << false << true;
    QTest::newRow("content, Yes") << QByteArray("old") << true << false << true << true;
    QTest::newRow("content, No") << QByteArray("old") << false << false << true << false;
    QTest::newRow("an empty file: no question")
        << QByteArray("") << false << false << false << true;
    QTest::newRow("the close box") << QByteArray("old") << true << true << false << false;
  }
  void saveAsAsksBeforeReplacingAFileWithContent() {
    QFETCH(QByteArray, content);
    QFETCH(bool, yes);
    QFETCH(bool, closeBox);
    QFETCH(bool, asked);
    QFETCH(bool, written);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub/inner");
    const QString path = dir.filePath(content.isNull() ? "sub/File1.bmp" : "sub/Star.bmp");
    QFile upperCase(dir.filePath("sub/A.BMP"));  // Save could not write it back: not listed
    QVERIFY(upperCase.open(QIODevice::WriteOnly));
    QFile notes(dir.filePath("sub/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QFile star(path);
    if (!content.isNull()) {
      QVERIFY(star.open(QIODevice::WriteOnly));
      QCOMPARE(star.write(content), content.size());
    }
    star.close();
    WindowRig rig;
    rig.answer = yes;
    rig.run(2);
    QDir::setCurrent(dir.path());
    rig.withModal("actionSaveAs", [&](QWidget *dialog) {
      QCOMPARE(dialog->pos(), QPoint(200, 200));  // the offscreen screen is 800 x 800 at 96 dpi
      auto *folders = dialog->findChild<FolderList *>("folderList");
      auto *files = dialog->findChild<QListWidget *>("fileList");
      folders->setCurrentItem(folders->findItems("sub", Qt::MatchEndsWith).value(0));
      QTest::keyClick(folders, Qt::Key_Return);
      QCOMPARE(folders->path(), QDir(dir.filePath("sub")).canonicalPath());
      QCOMPARE(files->count(), content.isNull() ? 0 : 1);
      if (!content.isNull()) {
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
        QCOMPARE(dialog->findChild<QLineEdit *>("fileNameEdit")->text(), "Star");
      }
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(dialog->findChild<QWidget *>("fileNameEdit"), key);
      QVERIFY(dialog->isVisible());
      if (closeBox) return;
      QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
      QTRY_VERIFY(!dialog->isVisible());
    });
    const QString question = path + u" ファイルは既に存在します。上書きしますか？"_s;
    QCOMPARE(rig.questions, asked ? QStringList{question} : QStringList());
    QCOMPARE(rig.window.savePath(), written ? path : QString());
    QCOMPARE(rig.get<QAction>("actionSave")->isEnabled(), written);
    QCOMPARE(loadBitmap(path).image, written ? rig.canvas() : QImage());  // "old" is no picture
  }

  // 100,000 ticks of the most terms at the fastest change, a Reserve Start and a "<" every 10,000.
  void soakKeepsTheHeapInUseLevel() {
    if (!qEnvironmentVariableIsSet("KURVIMO_SOAK")) QSKIP("the soak test runs this alone");
    WindowRig rig;
    QTest::keyClick(rig.get("termCountSlider"), Qt::Key_End);
    QTest::keyClick(rig.get("changeSpeedSlider"), Qt::Key_End);
    const auto inUse = [] {
#if defined(__SANITIZE_ADDRESS__)
      return __sanitizer_get_current_allocated_bytes();
#else
      return mallinfo2().uordblks;
#endif
    };
    std::size_t first = 0;
    for (int run = 0; run < 10; ++run) {
      rig.run(10000);
      rig.click("<");
      rig.click("Reserve");
      if (run == 1) first = inUse();
    }
    const std::size_t last = inUse();
    std::printf("heap in use: %zu bytes after the first runs, %zu at the end\n", first, last);
    QVERIFY(last <= first + first / 20);
  }
};

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  TestWindows test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_windows.moc"
