#include <QtTest>
#include <QtWidgets>
#include <random>

#include "tables.h"
#include "ui/about_dialog.h"
#include "ui/canvas_widget.h"
#include "ui/file_lists.h"
#include "ui/help_viewer.h"
#include "ui/main_window.h"
#include "ui/qt_runtime.h"
#include "ui/save_as_dialog.h"
#include "ui/window_design.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

// The real main window, its program folder a temporary one in the home folder, its random values
// a fixed sequence. It keeps what the user is told and asked instead of showing it.
struct WindowRig final : RuntimeServices, RandomSource {
  QString ProgramFolder() const override { return programFolder; }
  QString UserDataFolder() const override { return userData; }
  void ShowFailure(QWidget *, const QString &text) override { failures << text; }
  bool AskYesNo(QWidget *, const QString &text) override { return questions << text, answer; }
  void ShowHelp(QWidget *, const QString &file) override { helpShown << file; }
  void Quit() override {}
  void SeedFromClock() override { ++seeded; }
  float Next() override { return std::uniform_real_distribution<float>()(sequence); }

  QTemporaryDir folder{QDir::homePath() + "/kurvimo-test-XXXXXX"};
  QString programFolder = folder.path(), userData = programFolder + "/home/kurvimo";
  bool copied = QFile::copy(KURVIMO_RESOURCES "/cls.bmp", programFolder + "/cls.bmp");
  QStringList failures, questions, helpShown;
  bool answer = true;
  int seeded = 0;
  std::mt19937 sequence{1234};
  MainWindow window{*this, *this};

  template <typename T = QWidget>
  T *get(const QString &name) {
    T *child = window.findChild<T *>(name);
    return child ? child : (qFatal("no control %s", qPrintable(name)), nullptr);
  }
  QString text(const char *name) { return get<QObject>(name)->property("text").toString(); }
  void click(const QString &caption) {  // the button that says so
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>())
      if (button->text() == caption) return QTest::mouseClick(button, Qt::LeftButton);
    QFAIL(qPrintable("no button " + caption));
  }
  QImage canvas() { return get<CanvasWidget>("canvas")->Image(); }
  const FigureModel &model() { return window.engine().model(); }
  void run(const char *mode, int ticks) {  // Start, the ticks and Stop in that draw mode
    click(mode), click("Start");
    while (ticks-- > 0) window.Tick();
    click("Stop");
  }
  // Chooses a menu entry that opens a modal window, and hands the window to `drive`.
  void withModal(const char *action, const std::function<void(QWidget *)> &drive) {
    QTimer::singleShot(0, [&] {
      QPointer<QWidget> modal = QApplication::activeModalWidget();
      QVERIFY(modal);
      drive(modal);
      if (modal) modal->close();
    });
    get<QAction>(action)->trigger();
  }
  void saveAs(const QString &name) {  // types the name and presses Save
    withModal("actionSaveAs", [&](QWidget *dialog) {
      dialog->findChild<QLineEdit *>("fileNameEdit")->setText(name);
      QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
    });
  }
  QString enabled() {  // the commands that respond, by what they say
    QStringList responding;
    for (const char *name : {"startStopButton", "olderButton", "newerButton", "clearButton",
                             "displayButton", "newModeButton", "reserveModeButton", "actionSave"})
      if (get<QObject>(name)->property("enabled").toBool()) responding << text(name).remove('&');
    return responding.join(' ');
  }
};

// What the canvas shows against the canvas `kept` earlier: "blank", "drawn", "as kept", or "drawn
// over kept" when every point kept is still there and more is drawn.
QString CanvasState(const QImage &canvas, const QImage &kept) {
  if (canvas == kept) return u"as kept"_s;
  bool drawn = false, keptLost = kept.isNull();
  for (int i = 0; i < 517 * 485; ++i) {
    const QPoint at(i % 517, i / 517);
    drawn |= canvas.pixel(at) != 0xFFFFFFFF;
    keptLost |= !kept.isNull() && kept.pixel(at) != 0xFFFFFFFF && canvas.pixel(at) == 0xFFFFFFFF;
  }
  return !drawn ? u"blank"_s : keptLost ? u"drawn"_s : u"drawn over kept"_s;
}

}  // namespace

using Member = int FigureModel::*;
Q_DECLARE_METATYPE(Member)

class TestWindows : public QObject {
  Q_OBJECT

 private slots:
  // The window opens with the random source seeded and the timer ticking every 500 ms. Acts: the
  // buttons by what they say (Start and Stop alike), a tick of the timer; "magnify" moves the
  // magnification to its highest, "keep" remembers the canvas. The program folder "vanishes", is
  // "installed" for everyone (outside the home folder), or holds a "foreign" sgz.bmp that the user
  // cannot replace.
  void commandsRespondAsTheRunGoes_data() {
    for (const char *column :
         {"acts", "caption", "enabled", "count", "offset", "canvas", "sgz.bmp", "mode"})
      QTest::addColumn<QString>(column);
    const auto row = [](const char *name, const char *acts, const char *enabled, const char *count,
                        const char *offset, const char *canvas, const char *sgz = "nowhere",
                        const char *mode = "New") {
      Row(name, acts, QString(enabled).section(' ', 0, 0), enabled, count, offset, canvas, sgz,
          mode);
    };
    const char *stopped = "Start < > Clear New Reserve", *again = "Stop < > New Reserve";
    row("ticks before Start do nothing", "tick tick", "Start New", "", "", "blank");
    row("Start draws nothing yet", "Start", "Stop New", "0", "0", "blank");
    row("each tick draws and counts", "Start tick tick", "Stop New", "2", "0", "drawn");
    row("Stop enables the history, Clear and Reserve", "Start tick tick Stop tick", stopped, "2",
        "0", "drawn");
    row("Clear enables Display", "Start tick tick Stop Clear", "Start < > Display New Reserve", "2",
        "0", "blank");
    row("Display draws the same pixels again", "Start tick tick Stop keep Clear Display", stopped,
        "2", "0", "as kept");
    row("Display clears what a step drew", "Start tick tick Stop Clear < keep magnify Display",
        stopped, "2", "-1", "drawn");
    row("a New Start clears and resets the counters", "Start tick tick tick Stop < Start", again,
        "0", "0", "blank");
    row("< and > step through the figures", "Start tick tick tick Stop < < < >", stopped, "3", "-1",
        "drawn");
    row("a Reserve Start keeps the canvas", "Start tick tick Stop keep Reserve Start", again, "0",
        "0", "as kept", "beside the program", "Reserve");
    row("and draws its figures over it", "Start tick tick Stop keep Reserve Start tick tick", again,
        "2", "0", "drawn over kept", "beside the program", "Reserve");
    row("Stop reads the draw mode too", "Start tick Stop Reserve Start New Stop", stopped, "0", "0",
        "drawn", "beside the program", "New");
    for (const char *place : {"vanishes", "installed", "foreign"}) {
      row(qPrintable(u"where the program folder %1, sgz.bmp goes to the data folder"_s.arg(place)),
          qPrintable(u"Start tick tick Stop keep %1 Reserve Start"_s.arg(place)), again, "0", "0",
          "as kept", "in the data folder", "Reserve");
    }
  }
  void commandsRespondAsTheRunGoes() {
    QFETCH(QString, acts);
    WindowRig rig;
    QTemporaryDir installed;
    QFile::copy(rig.programFolder + "/cls.bmp", installed.filePath("cls.bmp"));
    auto *timer = rig.window.findChild<QTimer *>("tickTimer");
    QCOMPARE(QList({rig.seeded, timer->interval(), int(timer->isActive())}), QList({1, 500, 1}));
    QTimerEvent tick(timer->timerId());
    QImage kept;
    for (const QString &act : acts.split(' ')) {
      if (act == "tick")
        QCoreApplication::sendEvent(timer, &tick);
      else if (act == "keep")
        kept = rig.canvas();
      else if (act == "magnify")
        QTest::keyClick(rig.get("magnificationSlider"), Qt::Key_End);
      else if (act == "vanishes")
        rig.programFolder += "/gone";
      else if (act == "installed")
        rig.programFolder = installed.path();
      else if (act == "foreign")
        QDir(rig.programFolder).mkdir("sgz.bmp");
      else
        rig.click(act);
    }
    QTEST(rig.text("startStopButton"), "caption");
    QTEST(rig.enabled(), "enabled");
    QTEST(rig.text("figureCountLabel"), "count");
    QTEST(rig.text("historyOffsetLabel"), "offset");
    QTEST(CanvasState(rig.canvas(), kept), "canvas");
    QTEST(QString(QFileInfo(rig.folder.filePath("sgz.bmp")).isFile() ? "beside the program"
                  : QFile::exists(rig.userData + "/sgz.bmp")         ? "in the data folder"
                                                                     : "nowhere"),
          "sgz.bmp");
    QTEST(QString(rig.model().drawMode == DrawMode::kNew ? "New" : "Reserve"), "mode");
  }

  // The keys act at once; the thumb counts once let go. Nothing redraws until the next figure.
  void slidersShowTheirValueAndSetTheEngine_data() {
    QTest::addColumn<QString>("slider");
    QTest::addColumn<Member>("member");
    for (const char *column : {"atStartUp", "lowest", "highest", "largeChange"})
      QTest::addColumn<int>(column);
    Row("magnification", "magnification", &FigureModel::magnification, 5, 0, 20, 5);
    Row("X-axis", "xPosition", &FigureModel::xPosition, 250, 0, 500, 10);
    Row("Y-axis", "yPosition", &FigureModel::yPosition, 50, 0, 500, 10);
    Row("terms", "termCount", &FigureModel::termCount, 9, 4, 16, 4);
    Row("change speed", "changeSpeed", &FigureModel::changeSpeed, 0, 0, 10, 2);
  }
  void slidersShowTheirValueAndSetTheEngine() {
    QFETCH(QString, slider);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(int, largeChange);
    WindowRig rig;
    rig.run("New", 1);
    const QImage drawn = rig.canvas();
    auto *bar = rig.get<QScrollBar>(slider + "Slider");
    const auto shown = [&] { return rig.get<QLabel>(slider + "Label")->text().toInt(); };
    const auto press = [&](Qt::Key key) { return QTest::keyClick(bar, key), shown(); };
    QTEST(shown(), "atStartUp");
    QCOMPARE(press(Qt::Key_Home), lowest);
    QCOMPARE(press(Qt::Key_Right), lowest + 1);
    QCOMPARE(press(Qt::Key_PageDown), lowest + 1 + largeChange);
    QCOMPARE(press(Qt::Key_PageUp), lowest + 1);
    QCOMPARE(press(Qt::Key_End), highest);
    QCOMPARE(press(Qt::Key_Left), highest - 1);
    bar->setSliderDown(true);
    bar->setSliderPosition(lowest);
    QCOMPARE(shown(), highest - 1);  // while the thumb is dragged
    bar->setSliderDown(false);
    QCOMPARE(shown(), lowest);
    QFETCH(Member, member);
    QCOMPARE(rig.model().*member, lowest);
    QCOMPARE(rig.canvas(), drawn);
  }

  // Each entry of the classic palette, by its name and the colour Display then draws in.
  void theColorSliderNamesAndDrawsEachPaletteColor() {
    const QStringList palette = {
        "black #000000",     "blue #000080",          "green #008000",        "cyan #008080",
        "red #800000",       "magenta #800080",       "yellow #808000",       "white #c0c0c0",
        "gray #808080",      "light blue #0000ff",    "light green #00ff00",  "light cyan #00ffff",
        "light red #ff0000", "light magenta #ff00ff", "light yellow #ffff00", "bright white"};
    WindowRig rig;
    rig.run("New", 1);
    QTest::keyClick(rig.get("colorSlider"), Qt::Key_Home);
    for (const QString &entry : palette) {
      if (entry != palette[0]) QTest::keyClick(rig.get("colorSlider"), Qt::Key_Right);
      rig.click("Clear"), rig.click("Display");
      const QImage canvas = rig.canvas();
      QSet<QString> drawn;
      for (int i = 0; i < 517 * 485; ++i) drawn << canvas.pixelColor(i % 517, i / 517).name();
      drawn.remove("#ffffff");  // the canvas, and the pen in bright white
      QCOMPARE((QStringList{rig.text("colorLabel")} + drawn.values()).join(' '), entry);
    }
  }

  // A failure gets one message naming the file and the reason, and changes nothing on screen, in
  // the state or on disk. `file` is in the program's folder.
  void aFailureChangesNothingAndTheProgramGoesOn_data() {
    for (const char *column : {"command", "reason", "file"}) QTest::addColumn<QString>(column);
    Row("Start without cls.bmp", "Start", "No such file", "cls.bmp");
    Row("Reserve Start where no folder can be written", "Reserve Start", "Not a directory",
        "cls.bmp/x/sgz.bmp");
    Row("Save As onto a folder", "Save As", "directory", "x.bmp");
    Row("Save into a folder removed after Save As", "Save", "No such file", "sub/x.bmp");
  }
  void aFailureChangesNothingAndTheProgramGoesOn() {
    QFETCH(QString, command);
    WindowRig rig;
    const QString folder = rig.programFolder;
    rig.run("New", 2);
    rig.run("Reserve", 1);  // leaves a good sgz.bmp behind
    rig.click("New");
    QDir::setCurrent(folder);
    if (command == "Start") QFile::remove("cls.bmp");
    if (command == "Reserve Start") rig.userData = folder + "/cls.bmp/x", rig.programFolder += "/x";
    if (command == "Save As") QDir().mkdir("x.bmp");
    if (command == "Save") QDir().mkdir("sub"), QDir::setCurrent("sub"), rig.saveAs("x");
    if (command == "Save") QDir::setCurrent(folder), QDir("sub").removeRecursively();
    const auto state = [&] {
      QStringList all{rig.text("startStopButton"), rig.enabled(), rig.text("figureCountLabel"),
                      rig.text("historyOffsetLabel"), rig.window.saveState().savePath};
      for (QDirIterator it(folder, QDirIterator::Subdirectories); it.hasNext();) all << it.next();
      return std::tuple(all, rig.canvas(), rig.model(), rig.window.engine().history());
    };
    const auto before = state();
    if (command == "Reserve Start") rig.click("Reserve");
    if (command.endsWith("Start")) rig.click("Start");
    if (command == "Save As") rig.saveAs("x");
    if (command == "Save") rig.get<QAction>("actionSave")->trigger();
    QFETCH(QString, reason);
    QFETCH(QString, file);
    QCOMPARE(rig.failures.size(), 1);
    QVERIFY2(rig.failures[0].contains(folder + '/' + file) && rig.failures[0].contains(reason),
             qPrintable(rig.failures[0]));
    const auto after = state();
    QCOMPARE(std::get<0>(after), std::get<0>(before));  // texts, commands, Save's path, files
    QVERIFY2(std::get<1>(after) == std::get<1>(before), "the canvas changed");
    QVERIFY2(std::get<2>(after) == std::get<2>(before), "the figure changed");
    QVERIFY2(std::get<3>(after) == std::get<3>(before), "the history changed");
  }

  // F1 in any window opens the help once Help has named it; About opens a quarter of the screen in.
  void f1OpensTheHelpOnceHelpHasNamedIt() {
    WindowRig rig;
    QTest::keyClick(&rig.window, Qt::Key_F1);
    QCOMPARE(rig.helpShown, QStringList());
    rig.get<QAction>("actionHelp")->trigger();
    QTest::keyClick(rig.get("magnificationSlider"), Qt::Key_F1);
    rig.withModal("actionAbout", [&](QWidget *about) {
      QCOMPARE(about->pos(), QPoint(200, 200));  // the offscreen screen is 800 x 800 at 96 dpi
      QTest::keyClick(about, Qt::Key_F1);
    });
    QCOMPARE(rig.helpShown, QStringList(3, rig.programFolder + "/krv.hlp"));
  }

  // The real runtime: a viewer that does not start is told, once the window has gone on; the
  // overwrite question has Yes as its default.
  void theRuntimeTellsOfAViewerThatFailsAndAsksWithYesFirst() {
    QtRuntime runtime;  // the tests' folder holds no viewer
    QString said;
    bool returned = false;
    QTimer answer;
    answer.callOnTimeout([&] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
        said = returned ? box->text() : "shown before the window went on", box->close();
    });
    answer.start(10);
    runtime.ShowHelp(nullptr, "/x/krv.hlp");
    returned = true;
    QTRY_VERIFY2(said.contains("kurvimo-help\" does not start: "), qPrintable(said));
    answer.stop();
    QTimer::singleShot(0, [] { QTest::keyClick(qApp->activeModalWidget(), Qt::Key_Return); });
    QVERIFY(runtime.AskYesNo(nullptr, "?"));
  }

  // The viewer says why it cannot read the help; asked again, it shows the opening topic.
  void theHelpViewerTellsWhyAndOpensAtTheTop() {
    HelpViewer viewer;
    viewer.Open("/nonexistent/krv.hlp");
    QVERIFY(viewer.toPlainText().contains("\"/nonexistent/krv.hlp\" cannot be read: No such file"));
    viewer.Open(KURVIMO_RESOURCES "/krv.hlp");
    viewer.show();
    viewer.verticalScrollBar()->setValue(viewer.verticalScrollBar()->maximum());
    viewer.ComeForward();
    QCOMPARE(viewer.verticalScrollBar()->value(), 0);
  }

  // Guards the forms against a slip in Qt Designer: each window's caption, client area and font,
  // fixed size, first focus and tab order; where each control is (relative to the client area, or
  // to its frame) and its font where not Arial 9; and what the controls say, in English under the
  // C locale and in Japanese under a Japanese one.
  void theWindowsAreLaidOutAsDesigned_data() {
    for (const char *column : {"locale", "window", "caption", "client", "focus"})
      QTest::addColumn<QString>(column);
    QTest::addColumn<bool>("fixedSize");
    for (const char *column : {"tabOrder", "geometry", "texts"})
      QTest::addColumn<QStringList>(column);
    const QStringList main = List(
        "canvas 8 8 521 489", "magnificationSlider 544 136 121 17",
        "magnificationLabel 672 136 25 17", "startStopButton 544 8 81 41",
        "olderButton 544 280 33 25", "historyOffsetLabel 584 288 41 17",
        "displayButton 608 376 57 25", "newerButton 632 280 33 25",
        "xPositionSlider 544 184 121 17", "yPositionSlider 544 232 121 17",
        "xPositionLabel 672 184 25 17", "yPositionLabel 672 232 25 17",
        "termCountSlider 544 432 121 17", "termCountLabel 672 432 25 17",
        "changeSpeedSlider 544 480 121 17", "changeSpeedLabel 672 480 25 17",
        "figureCountLabel 640 32 49 17", "clearButton 544 376 57 25", "drawModeGroup 544 64 153 41",
        "newModeButton 16 16 49 12", "reserveModeButton 72 16 73 12",
        "magnificationHeading 544 120 72 15", "xPositionHeading 544 168 33 15",
        "yPositionHeading 544 216 33 15", "historyHeading 544 264 35 15",
        "termCountHeading 544 416 96 15", "changeSpeedHeading 544 464 129 15",
        "colorSlider 544 352 121 17", "colorLabel 544 328 121 17", "colorHeading 544 312 30 15");
    const QStringList mainTabs = List(
        "canvas", "magnificationSlider", "startStopButton", "olderButton", "displayButton",
        "newerButton", "xPositionSlider", "yPositionSlider", "termCountSlider", "changeSpeedSlider",
        "clearButton", "newModeButton", "reserveModeButton", "colorSlider");
    const QStringList saveAs =
        List("driveList 8 8 257 23", "folderList 8 40 249 142", "fileList 8 192 249 141",
             "fileNameEdit 8 352 249 18", "saveButton 272 328 65 49");
    const QStringList saveAsTabs =
        List("driveList", "folderList", "fileList", "fileNameEdit", "saveButton");
    const QStringList about =
        List("okButton 264 72 92 47", "iconLabel 16 16 36 36",
             "nameLabel 80 32 248 29 Arial 18 bold", "versionLabel 88 64 85 19 Arial 12 bold");
    Row("main", "C", "main", "Kurvimo", "711 x 517, Arial 9", "canvas", true, mainTabs, main,
        List("startStopButton: Start", "olderButton: <", "displayButton: Display", "newerButton: >",
             "clearButton: Clear", "drawModeGroup: Draw mode", "newModeButton: New",
             "reserveModeButton: Reserve", "magnificationHeading: Magnification",
             "xPositionHeading: X-axis", "yPositionHeading: Y-axis", "historyHeading: Figure",
             "termCountHeading: Complex of figure", "changeSpeedHeading: Change speed of figure",
             "colorHeading: Color", "colorLabel: black", "menuFile: &File", "actionSave: &Save",
             "actionSaveAs: Save &As...", "actionExit: E&xit", "menuHelp: &Help",
             "actionHelp: &Help", "actionAbout: &Version"));
    Row("main in Japanese", "ja_JP", "main", "Kurvimo", "711 x 517, Arial 9", "canvas", true,
        mainTabs, main,
        List("startStopButton: 開始", "olderButton: <", "displayButton: 再表示", "newerButton: >",
             "clearButton: 消去", "drawModeGroup: 描画モード", "newModeButton: 新規",
             "reserveModeButton: 重ね描き", "magnificationHeading: 倍率", "xPositionHeading: X軸",
             "yPositionHeading: Y軸", "historyHeading: 図形", "termCountHeading: 図形の複雑さ",
             "changeSpeedHeading: 図形の変化速度", "colorHeading: 色", "colorLabel: 黒",
             "menuFile: ファイル(&F)", "actionSave: 上書き保存(&S)",
             "actionSaveAs: 名前を付けて保存(&A)...", "actionExit: 終了(&X)",
             "menuHelp: ヘルプ(&H)", "actionHelp: ヘルプ(&H)", "actionAbout: バージョン情報(&V)"));
    Row("save as", "C", "save as", "Save As...", "345 x 384, Arial 9", "driveList", false,
        saveAsTabs, saveAs, List("fileNameEdit: File1", "saveButton: Save"));
    Row("save as in Japanese", "ja_JP", "save as", "名前を付けて保存", "345 x 384, Arial 9",
        "driveList", false, saveAsTabs, saveAs, List("fileNameEdit: File1", "saveButton: 保存"));
    Row("about", "C", "about", "About", "374 x 134, Arial 9", "okButton", true, List("okButton"),
        about, List("okButton: OK", "nameLabel: Kurvimo", "versionLabel: Version 1.0"));
    Row("about in Japanese", "ja_JP", "about", "バージョン情報", "374 x 134, Arial 9", "okButton",
        true, List("okButton"), about,
        List("okButton: OK", "nameLabel: Kurvimo", "versionLabel: Ver. 1.0"));
  }
  void theWindowsAreLaidOutAsDesigned() {
    QFETCH(QString, locale);
    QFETCH(QString, window);
    QFETCH(QStringList, geometry);
    QFETCH(QStringList, texts);
    QLocale::setDefault(QLocale(locale));
    InstallTranslations();
    const auto inEnglish =
        qScopeGuard([] { QLocale::setDefault(QLocale::c()), InstallTranslations(); });
    WindowRig rig;
    SaveState state;
    SaveAsDialog saveAs(rig, *rig.get<CanvasWidget>("canvas"), state,
                        rig.get<QAction>("actionSave"), &rig.window);
    AboutDialog about(&rig.window);
    QWidget *top = window == "main"      ? &rig.window
                   : window == "save as" ? &saveAs
                                         : (QWidget *)&about;
    const QSize client = (window == "main" ? rig.get("centralWidget") : top)->size();
    const auto fontOf = [](const QWidget *w) {
      return u"%1 %2%3"_s.arg(w->font().family())
          .arg(w->font().pointSize())
          .arg(w->font().bold() ? " bold" : "");
    };
    QStringList tabOrder, actualGeometry, actualTexts;
    for (QWidget *w = top->nextInFocusChain(); w != top; w = w->nextInFocusChain())
      if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    for (QString &entry : geometry) {
      const auto *w = top->findChild<QWidget *>(entry.section(' ', 0, 0));
      const QRect r = w ? w->geometry() : QRect();
      actualGeometry << u"%1 %2 %3 %4 %5 "_s.arg(entry.section(' ', 0, 0))
                                .arg(r.x())
                                .arg(r.y())
                                .arg(r.width())
                                .arg(r.height()) +
                            (w ? fontOf(w) : "");
      if (entry.count(' ') == 4) entry += " Arial 9";
    }
    for (const QString &entry : texts) {
      const QObject *object = top->findChild<QObject *>(entry.section(':', 0, 0));
      const bool titled =
          qobject_cast<const QMenu *>(object) || qobject_cast<const QGroupBox *>(object);
      actualTexts << entry.section(':', 0, 0) + ": " +
                         (object ? object->property(titled ? "title" : "text").toString() : "");
    }
    QTEST(top->windowTitle(), "caption");
    QTEST(u"%1 x %2, %3"_s.arg(client.width()).arg(client.height()).arg(fontOf(top)), "client");
    QTEST(top->minimumSize() == top->maximumSize(), "fixedSize");
    QTEST(top->focusWidget()->objectName(), "focus");
    QTEST(tabOrder, "tabOrder");
    QCOMPARE(actualGeometry, geometry);
    QCOMPARE(actualTexts, texts);
  }

  // Enter and Esc do not press Save. A file picked in the list gives its name; Save asks before it
  // replaces a file with content, and remembers the path for Save, which asks nothing.
  void saveAsAsksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("content");  // of Star.bmp, picked in the list; none: no such file
    for (const char *column : {"yes", "asked", "written"}) QTest::addColumn<bool>(column);
    Row("a new file, File1 at first", QByteArray(), false, false, true);
    Row("content, Yes", QByteArray("old"), true, true, true);
    Row("content, No", QByteArray("old"), false, true, false);
    Row("empty: no question", QByteArray(""), false, false, true);
  }
  void saveAsAsksBeforeReplacingAFileWithContent() {
    QFETCH(QByteArray, content);
    QFETCH(bool, yes);
    QFETCH(bool, asked);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(content.isNull() ? "File1.bmp" : "Star.bmp");
    QFile file(path);
    QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) >= 0));
    file.close();
    WindowRig rig;
    rig.answer = yes;
    rig.run("New", 2);
    QDir::setCurrent(dir.path());
    rig.withModal("actionSaveAs", [&](QWidget *dialog) {
      QCOMPARE(dialog->pos(), QPoint(200, 200));
      auto *files = dialog->findChild<QListWidget *>("fileList");
      if (!content.isNull())
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(dialog->findChild<QWidget *>("fileNameEdit"), key);
      QVERIFY(dialog->isVisible() && rig.questions.isEmpty());
      QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
      QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(rig.questions,
             asked ? QStringList{path + u" ファイルは既に存在します。上書きしますか？"_s}
                   : QStringList());
    QCOMPARE(rig.window.saveState().savePath, written ? path : QString());
    QCOMPARE(rig.get<QAction>("actionSave")->isEnabled(), written);
    QCOMPARE(LoadBitmap(path).image, written ? rig.canvas() : QImage());  // "old" is no picture
    rig.click("Clear");
    if (written) rig.get<QAction>("actionSave")->trigger();
    QCOMPARE(LoadBitmap(path).image, written ? rig.canvas() : QImage());
  }

  // Opening a folder with Enter lists its bitmaps, and Save writes there; the drive shown, picked
  // again, changes nothing. A current folder that has gone is no place to save: the window opens
  // at home then.
  void theFolderListOpensFoldersAndTheFilesFollow() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub/inner");
    for (const char *name : {"sub/Star.bmp", "sub/notes.txt", "top.bmp"})
      QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    WindowRig rig;
    QDir::setCurrent(dir.path());
    rig.withModal("actionSaveAs", [&](QWidget *dialog) {
      auto *folders = dialog->findChild<FolderList *>("folderList");
      auto *files = dialog->findChild<QListWidget *>("fileList");
      QCOMPARE(files->item(0)->text(), "top.bmp");
      folders->setCurrentItem(folders->findItems("sub", Qt::MatchEndsWith).value(0));
      QTest::keyClick(folders, Qt::Key_Return);
      QCOMPARE(folders->Path(), QDir(dir.filePath("sub")).canonicalPath());
      QCOMPARE(files->count(), 1);
      QCOMPARE(files->item(0)->text(), "Star.bmp");
      auto *drives = dialog->findChild<QComboBox *>("driveList");
      QTest::keyClick(drives, Qt::Key_F4);  // the drive already shown, picked again
      QTest::keyClick(drives->view(), Qt::Key_Return);
      QCOMPARE(folders->Path(), QDir(dir.filePath("sub")).canonicalPath());
      dialog->findChild<QLineEdit *>("fileNameEdit")->setText("new");
      QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
    });
    QVERIFY(QFile::exists(dir.filePath("sub/new.bmp")));
    QDir(dir.path()).mkdir("gone");
    QDir::setCurrent(dir.filePath("gone"));
    QDir(dir.path()).rmdir("gone");
    rig.withModal("actionSaveAs", [&](QWidget *dialog) {
      QCOMPARE(dialog->findChild<FolderList *>("folderList")->Path(), QDir::homePath());
    });
  }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
