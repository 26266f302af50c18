#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>
#include <QtWidgets>
#include <random>

#include "tables.h"
#include "ui/about_dialog.h"
#include "ui/canvas_widget.h"
#include "ui/file_lists.h"
#include "ui/help_key.h"
#include "ui/help_viewer.h"
#include "ui/main_window.h"
#include "ui/qt_runtime.h"
#include "ui/save_as_dialog.h"
#include "ui/window_design.h"
#include "ui/window_placement.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

namespace {

const QString kSayTexts = QStringLiteral("--say-texts");
const QString kSayFrames = QStringLiteral("--say-frames");
constexpr unsigned kHeldUpSeconds = 10;
constexpr int kViewerEndsMs = 5000;
constexpr int kFrameGray = 200;  // darker than the window and the lists' white

// The help viewers this process has started and that still run.
QStringList helpViewers() {
  QStringList viewers;
  const QString self = QString::number(QCoreApplication::applicationPid());
  QFile children(u"/proc/%1/task/%1/children"_s.arg(self));
  if (!children.open(QIODevice::ReadOnly)) return viewers;
  for (const QByteArray &child : children.readAll().split(' ')) {
    QFile name("/proc/" + child.trimmed() + "/comm");
    if (name.open(QIODevice::ReadOnly) && name.readAll() == "kurvimo-help\n") viewers << child;
  }
  return viewers;
}

// The real main window, its program folder a temporary one in the home folder, its random values
// a fixed sequence. It keeps what the user is told and asked instead of showing it.
struct WindowRig final : RuntimeServices, RandomSource {
  WindowRig() { QFile::copy(KURVIMO_RESOURCES "/cls.bmp", programPath + "/cls.bmp"); }
  QString programFolder() const override { return programPath; }
  QString userDataFolder() const override { return dataPath; }
  void showFailure(QWidget *, const QString &text) override { failures << text; }
  bool askYesNo(QWidget *, const QString &text) override { return questions << text, answer; }
  void showHelp(QWidget *, const QString &file) override { helpShown << file; }
  void quit() override {}
  void seedFromClock() override { ++seeded; }
  float next() override { return std::uniform_real_distribution<float>()(sequence); }

  QTemporaryDir folder{QDir::homePath() + "/kurvimo-test-XXXXXX"};
  QString programPath = folder.path(), dataPath = programPath + "/home/kurvimo";
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
  QImage canvas() { return get<CanvasWidget>("canvas")->image(); }
  void run(int ticks) {  // Start, the ticks and Stop
    click("Start");
    while (ticks-- > 0) window.tick();
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
QString canvasState(const QImage &canvas, const QImage &kept) {
  bool drawn = false, keptLost = kept.isNull();
  for (int i = 0; i < 517 * 485; ++i) {
    const QPoint at(i % 517, i / 517);
    drawn |= canvas.pixel(at) != 0xFFFFFFFF;
    keptLost |= !kept.isNull() && kept.pixel(at) != 0xFFFFFFFF && canvas.pixel(at) == 0xFFFFFFFF;
  }
  return canvas == kept ? "as kept" : !drawn ? "blank" : keptLost ? "drawn" : "drawn over kept";
}

}  // namespace

using Member = int FigureModel::*;
Q_DECLARE_METATYPE(Member)

class TestWindows : public QObject {
  Q_OBJECT

 private slots:
  // The window opens seeded, its timer ticking every 500 ms. Acts: buttons by what they say, a
  // tick, "run" (Start tick tick Stop), "SaveAs:name", Save, Help, F1 on a slider; "magnify" to the
  // highest, "keep" the canvas. The program folder "vanishes", is "installed" outside the home
  // folder, or holds a "foreign" sgz.bmp; "mkdir:", "rmdir:", "fifo:" change it; "no-data-folder".
  // A failure tells the user the file and why, once, and changes nothing.
  void commandsRespondAsTheRunGoes_data() {
    for (const char *column :
         {"acts", "enabled", "count", "offset", "canvas", "sgz.bmp", "mode", "told", "help"})
      QTest::addColumn<QString>(column);
    const auto addRow = [](const char *name, const char *acts, const char *enabled,
                           const char *count, const char *offset, const char *canvas,
                           const char *sgz = "nowhere", const char *mode = "New",
                           const char *told = "", const char *help = "0") {
      row(name, acts, enabled, count, offset, canvas, sgz, mode, told, help);
    };
    const char *stopped = "Start < > Clear New Reserve", *again = "Stop < > New Reserve";
    addRow("before Start, ticks do nothing and F1 waits for Help", "tick F1 Help F1 tick",
           "Start New", "", "", "blank", "nowhere", "New", "", "2");
    addRow("each tick draws and counts", "Start tick tick", "Stop New", "2", "0", "drawn");
    addRow("Stop enables the history, Clear and Reserve", "run tick", stopped, "2", "0", "drawn");
    addRow("Clear, and Display draws the same pixels again", "run keep Clear Display", stopped, "2",
           "0", "as kept");
    addRow("Display clears what a step drew", "run Clear < keep magnify Display", stopped, "2",
           "-1", "drawn");
    addRow("a New Start clears and resets the counters", "run < Start", again, "0", "0", "blank");
    addRow("< and > step through the figures", "run < < > <", stopped, "2", "-1", "drawn");
    addRow("during a run, < counts from the newest figure", "run Start tick tick < tick <", again,
           "3", "-2", "drawn");
    addRow("a Reserve Start keeps the canvas, and Clear brings it back",
           "run keep Reserve Start Stop Clear", "Start < > Display New Reserve", "0", "0",
           "as kept", "beside the program", "Reserve");
    addRow("and draws its figures over it", "run keep Reserve Start tick tick", again, "2", "0",
           "drawn over kept", "beside the program", "Reserve");
    addRow("Stop reads the draw mode too", "run Reserve Start New Stop", stopped, "0", "0", "drawn",
           "beside the program", "New");
    for (const char *place : {"vanishes", "installed", "foreign"}) {
      addRow(
          qPrintable(u"where the program folder %1, sgz.bmp goes to the data folder"_s.arg(place)),
          qPrintable(u"run keep %1 Reserve Start"_s.arg(place)), again, "0", "0", "as kept",
          "in the data folder", "Reserve");
    }
    addRow("a Start where cls.bmp is a pipe, not a file", "run keep fifo:cls.bmp Start", stopped,
           "2", "0", "as kept", "nowhere", "New", "cls.bmp: it is not a regular file");
    addRow("a Reserve Start where no folder can be written",
           "run keep vanishes no-data-folder Reserve Start", stopped, "2", "0", "as kept",
           "nowhere", "New", "cls.bmp/x: not a directory");
    addRow("Save As onto a folder, and Save writes where the last Save As did",
           "run SaveAs:x keep mkdir:y.bmp SaveAs:y Save", "Start < > Clear New Reserve Save", "2",
           "0", "as kept", "nowhere", "New", "y.bmp: directory");
    addRow("Save into a folder removed after Save As",
           "run mkdir:sub SaveAs:sub/x rmdir:sub keep Save", "Start < > Clear New Reserve Save",
           "2", "0", "as kept", "nowhere", "New", "sub/x.bmp: no such file");
  }
  void commandsRespondAsTheRunGoes() {
    WindowRig rig;
    QTemporaryDir installed;
    QFile::copy(rig.programPath + "/cls.bmp", installed.filePath("cls.bmp"));
    auto *timer = rig.window.findChild<QTimer *>("tickTimer");
    QCOMPARE(QList({rig.seeded, timer->interval(), int(timer->isActive())}), QList({1, 500, 1}));
    QTimerEvent tick(timer->timerId());
    QImage kept;
    QDir::setCurrent(rig.programPath);
    const QStringList buttons = {"Start", "Stop", "Clear", "Display", "<", ">", "New", "Reserve"};
    for (const QString &act :
         column<QString>("acts").replace("run", "Start tick tick Stop").split(' ')) {
      const QString what = act.section(':', 1);
      if (act == "tick") QCoreApplication::sendEvent(timer, &tick);
      if (act == "keep") kept = rig.canvas();
      if (act == "magnify") QTest::keyClick(rig.get("magnificationSlider"), Qt::Key_End);
      if (act == "F1") QTest::keyClick(rig.get("magnificationSlider"), Qt::Key_F1);
      if (act == "vanishes") rig.programPath += "/gone";
      if (act == "installed") rig.programPath = installed.path();
      if (act == "foreign") QDir().mkdir("sgz.bmp");
      if (act == "no-data-folder") rig.dataPath = rig.folder.filePath("cls.bmp/x");
      if (act.startsWith("mkdir:")) QDir().mkdir(what);
      if (act.startsWith("rmdir:")) QDir(what).removeRecursively();
      if (act.startsWith("fifo:"))  // read as a file, it would never end
        QVERIFY(QFile::remove(what) && ::mkfifo(QFile::encodeName(what).constData(), 0600) == 0);
      if (act.startsWith("SaveAs:"))  // types the name and presses Save
        rig.withModal("actionSaveAs", [&](QWidget *dialog) {
          dialog->findChild<QLineEdit *>("fileNameEdit")->setText(what);
          QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
          QTRY_VERIFY(!dialog->isVisible() || !rig.failures.isEmpty());
        });
      if (act == "Save" || act == "Help") rig.get<QAction>("action" + act)->trigger();
      if (buttons.contains(act)) rig.click(act);
    }
    QTEST(rig.enabled(), "enabled");
    QTEST(rig.text("figureCountLabel"), "count");
    QTEST(rig.text("historyOffsetLabel"), "offset");
    QTEST(canvasState(rig.canvas(), kept), "canvas");
    QString sgz = "nowhere";
    if (QFile::exists(rig.dataPath + "/sgz.bmp")) sgz = "in the data folder";
    if (QFileInfo(rig.folder.filePath("sgz.bmp")).isFile()) sgz = "beside the program";
    QTEST(sgz, "sgz.bmp");
    QTEST(QString(rig.window.engine().model().drawMode == DrawMode::New ? "New" : "Reserve"),
          "mode");
    QCOMPARE(rig.helpShown,
             QStringList(column<QString>("help").toInt(), rig.programPath + "/krv.hlp"));
    const QString told = column<QString>("told");
    QCOMPARE(rig.failures.size(), told.isEmpty() ? 0 : 1);
    for (const QString &part :
         {rig.folder.filePath(told.section(": ", 0, 0)), told.section(": ", 1)})
      if (!told.isEmpty()) QVERIFY2(rig.failures[0].contains(part), qPrintable(rig.failures[0]));
  }

  // Each key moves the value shown and the engine's.
  void slidersShowTheirValueAndSetTheEngine_data() {
    QTest::addColumn<QString>("slider");
    QTest::addColumn<Member>("member");
    for (const char *column : {"atStartUp", "lowest", "highest", "largeChange"})
      QTest::addColumn<int>(column);
    row("magnification", "magnification", &FigureModel::magnification, 5, 0, 20, 5);
    row("X-axis", "xPosition", &FigureModel::xPosition, 250, 0, 500, 10);
    row("Y-axis", "yPosition", &FigureModel::yPosition, 50, 0, 500, 10);
    row("terms", "termCount", &FigureModel::termCount, 9, 4, 16, 4);
    row("change speed", "changeSpeed", &FigureModel::changeSpeed, 0, 0, 10, 2);
  }
  void slidersShowTheirValueAndSetTheEngine() {
    const QString slider = column<QString>("slider");
    const int lowest = column<int>("lowest"), highest = column<int>("highest");
    WindowRig rig;
    rig.run(1);
    auto *bar = rig.get<QScrollBar>(slider + "Slider");
    const auto shown = [&] { return rig.get<QLabel>(slider + "Label")->text().toInt(); };
    QTEST(shown(), "atStartUp");
    QList<int> keys;
    for (Qt::Key key :
         {Qt::Key_Home, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_End, Qt::Key_Left})
      QTest::keyClick(bar, key), keys << shown();
    QCOMPARE(keys, QList({lowest, lowest + 1, lowest + 1 + column<int>("largeChange"), lowest + 1,
                          highest, highest - 1}));
    QCOMPARE(rig.window.engine().model().*column<Member>("member"), highest - 1);
  }

  // Each entry of the classic palette, by its name and the colour Display then draws in.
  void theColorSliderNamesAndDrawsEachPaletteColor() {
    const QStringList palette = list(
        "black #000000; blue #000080; green #008000; cyan #008080; red #800000; magenta #800080; "
        "yellow #808000; white #c0c0c0; gray #808080; light blue #0000ff; light green #00ff00; "
        "light cyan #00ffff; light red #ff0000; light magenta #ff00ff; light yellow #ffff00; "
        "bright white");
    WindowRig rig;
    rig.run(1);
    for (const QString &entry : palette) {
      QTest::keyClick(rig.get("colorSlider"), entry == palette[0] ? Qt::Key_Home : Qt::Key_Right);
      rig.click("Clear"), rig.click("Display");
      const QImage canvas = rig.canvas();
      QSet<QString> drawn;
      for (int i = 0; i < 517 * 485; ++i) drawn << canvas.pixelColor(i % 517, i / 517).name();
      drawn.remove("#ffffff");  // the canvas, and the pen in bright white
      QCOMPARE((QStringList{rig.text("colorLabel")} + drawn.values()).join(' '), entry);
    }
  }

  // A viewer that does not start is told once the window has gone on. F1 in that message, with the
  // viewer put back, starts one that does not hold up the program: the message is not shown
  // inside the failed process's signal, whose handling would wait for the new viewer to end.
  void aViewerThatDoesNotStartIsToldAndF1StartsOne() {
    QTemporaryDir programFolder;
    QtRuntime runtime(programFolder.path());
    HelpKey helpKey(runtime, nullptr);
    helpKey.setHelpFile(KURVIMO_RESOURCES "/krv.hlp");
    QString said;
    bool returned = false;
    bool pressed = false;
    QTimer answer;
    answer.callOnTimeout([&] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      if (!box || pressed) return;
      said = returned ? box->text() : u"shown before the window went on"_s;
      QVERIFY(QFile::copy(KURVIMO_HELP_VIEWER, programFolder.filePath("kurvimo-help")));
      ::alarm(kHeldUpSeconds);  // ends the tests if the program waits for the viewer
      QTest::keyClick(box, Qt::Key_F1);
      pressed = true;
      box->close();
    });
    answer.start(10);
    runtime.showHelp(nullptr, KURVIMO_RESOURCES "/krv.hlp");
    returned = true;
    QTRY_VERIFY(pressed);
    QTRY_VERIFY(!helpViewers().isEmpty());
    ::alarm(0);
    QVERIFY2(said.contains("kurvimo-help\" does not start: "), qPrintable(said));
  }

  // The viewer ends with its input, as when the program that started it is killed.
  void theViewerEndsWithItsInput() {
    QProcess viewer;
    viewer.start(KURVIMO_HELP_VIEWER, {KURVIMO_RESOURCES "/krv.hlp"});
    QVERIFY(viewer.waitForStarted());
    viewer.closeWriteChannel();
    const bool ended = viewer.waitForFinished(kViewerEndsMs);
    viewer.kill();
    QVERIFY(ended);
  }

  // The viewer says why it cannot read the help; asked again, it shows the opening topic, at the
  // size the user gave it.
  void theViewerSaysWhyItCannotReadOrShowsTheTop() {
    HelpViewer viewer;
    viewer.open("/nonexistent/krv.hlp");
    QVERIFY(viewer.toPlainText().contains("\"/nonexistent/krv.hlp\" cannot be read: no such file"));
    viewer.open(KURVIMO_RESOURCES "/krv.hlp");
    viewer.showMaximized();
    viewer.verticalScrollBar()->setValue(viewer.verticalScrollBar()->maximum());
    viewer.comeForward();
    QCOMPARE(viewer.verticalScrollBar()->value(), 0);
    QVERIFY(viewer.isMaximized());
  }

  // Guards the forms against a slip in Qt Designer: client area, font and fixed size; each
  // control's place, in tab order from the first focus, and font where not Arial 9; a sample of
  // texts and properties, in both languages (translations_complete holds every text to its .ts).
  void theWindowsAreLaidOutAsDesigned_data() {
    for (const char *column : {"locale", "window", "client"}) QTest::addColumn<QString>(column);
    QTest::addColumn<bool>("fixedSize");
    for (const char *column : {"geometry", "texts"}) QTest::addColumn<QStringList>(column);
    const QStringList main = list(
        "canvas 8 8 521 489; magnificationSlider 544 136 121 17; magnificationLabel 672 136 25 17; "
        "startStopButton 544 8 81 41; olderButton 544 280 33 25; historyOffsetLabel 584 288 41 17; "
        "displayButton 608 376 57 25; newerButton 632 280 33 25; xPositionSlider 544 184 121 17; "
        "yPositionSlider 544 232 121 17; xPositionLabel 672 184 25 17; "
        "yPositionLabel 672 232 25 17; termCountSlider 544 432 121 17; "
        "termCountLabel 672 432 25 17; changeSpeedSlider 544 480 121 17; "
        "changeSpeedLabel 672 480 25 17; figureCountLabel 640 32 49 17; clearButton 544 376 57 25; "
        "drawModeGroup 544 64 153 41; newModeButton 16 16 49 12; reserveModeButton 72 16 73 12; "
        "magnificationHeading 544 120 72 15; xPositionHeading 544 168 33 15; "
        "yPositionHeading 544 216 33 15; historyHeading 544 264 35 15; "
        "termCountHeading 544 416 96 15; changeSpeedHeading 544 464 129 15; "
        "colorSlider 544 352 121 17; colorLabel 544 328 121 17; colorHeading 544 312 30 15");
    row("main", "C", "MainWindow", "711 x 517, Arial 9", true, main,
        list("MainWindow.windowTitle: Kurvimo; startStopButton: Start; displayButton: Display; "
             "drawModeGroup.title: Draw mode; reserveModeButton: Reserve; colorLabel: black; "
             "changeSpeedHeading: Change speed of figure; magnificationSlider.tracking: false; "
             "menuFile.title: &File; actionSaveAs: Save &As...; actionAbout: &Version"));
    row("in Japanese", "ja_JP", "MainWindow", "711 x 517, Arial 9", true, main,
        list("MainWindow.windowTitle: Kurvimo; startStopButton: 開始; displayButton: 再表示; "
             "drawModeGroup.title: 描画モード; reserveModeButton: 重ね描き; "
             "changeSpeedHeading: 図形の変化速度; colorLabel: 黒; menuFile.title: ファイル(&F); "
             "actionSaveAs: 名前を付けて保存(&A)...; actionAbout: バージョン情報(&V); "
             "SaveAsDialog.windowTitle: 名前を付けて保存; saveButton: 保存; fileNameEdit: File1; "
             "AboutDialog.windowTitle: バージョン情報; versionLabel: Ver. 1.0"));
    row("save as", "C", "SaveAsDialog", "345 x 384, Arial 9", false,
        list("driveList 8 8 257 23; folderList 8 40 249 142; fileList 8 192 249 141; "
             "fileNameEdit 8 352 249 18; saveButton 272 328 65 49"),
        list("SaveAsDialog.windowTitle: Save As...; fileNameEdit: File1; saveButton: Save"));
    row("about", "C", "AboutDialog", "374 x 134, Arial 9", true,
        list("okButton 264 72 92 47; iconLabel 16 16 36 36; nameLabel 80 32 248 29 Arial 18 bold; "
             "versionLabel 88 64 85 19 Arial 12 bold"),
        list("AboutDialog.windowTitle: About; okButton: OK; nameLabel: Kurvimo; "
             "versionLabel: Version 1.0"));
  }
  void theWindowsAreLaidOutAsDesigned() {
    const QString window = column<QString>("window");
    QStringList geometry = column<QStringList>("geometry"), tabOrder, tabStops, actual, texts;
    QLocale::setDefault(QLocale(column<QString>("locale")));
    installTranslations();
    const auto inEnglish =
        qScopeGuard([] { QLocale::setDefault(QLocale::c()), installTranslations(); });
    WindowRig rig;
    SaveAsDialog saveAs(rig, *rig.get<CanvasWidget>("canvas"), &rig.window);
    AboutDialog about(&rig.window);
    QWidget *top = window == "MainWindow" ? &rig.window : rig.window.findChild<QWidget *>(window);
    const auto fontOf = [](const QWidget *w) {
      return QString::asprintf("%s %d%s", qPrintable(w->font().family()), w->font().pointSize(),
                               w->font().bold() ? " bold" : "");
    };
    for (QWidget *w = top->nextInFocusChain(); w != top; w = w->nextInFocusChain())
      if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    for (QString &entry : geometry) {
      const QString name = entry.section(' ', 0, 0);
      const auto *w = top->findChild<QWidget *>(name);
      const QRect r = w ? w->geometry() : QRect();
      actual << name + QString::asprintf(" %d %d %d %d ", r.x(), r.y(), r.width(), r.height()) +
                    (w ? fontOf(w) : "");
      if (entry.count(' ') == 4) entry += " Arial 9";
      if (w && w->focusPolicy() & Qt::TabFocus) tabStops << name;
    }
    for (const QString &entry : column<QStringList>("texts")) {  // "object.property: text"
      const QString name = entry.section(':', 0, 0), object = name.section('.', 0, 0);
      const QObject *found = object == top->objectName() ? top : top->findChild<QObject *>(object);
      const QString property = name.contains('.') ? name.section('.', 1) : u"text"_s;
      texts << name + ": " + (found ? found->property(qPrintable(property)).toString() : "");
    }
    const QSize client = (top == &rig.window ? rig.get("centralWidget") : top)->size();
    QTEST(QString::asprintf("%d x %d, ", client.width(), client.height()) + fontOf(top), "client");
    QTEST(top->minimumSize() == top->maximumSize(), "fixedSize");
    QCOMPARE(actual, geometry);
    QCOMPARE(top->focusWidget()->objectName(), tabStops.value(0));
    QCOMPARE(tabOrder, tabStops);
    QTEST(texts, "texts");
  }

  // It opens a quarter of the screen in; Enter opens a folder, whose bitmaps are listed; picking
  // the drive shown changes nothing; Enter and Esc do not press Save. Save asks before it replaces
  // a file with content, and remembers the path for Save, which asks nothing.
  void saveAsAsksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("content");  // of sub/Star.bmp, picked; none: no such file
    for (const char *column : {"yes", "asked", "written"}) QTest::addColumn<bool>(column);
    row("a new file, File1 at first", QByteArray(), false, false, true);
    row("content, Yes", QByteArray("old"), true, true, true);
    row("content, No", QByteArray("old"), false, true, false);
  }
  void saveAsAsksBeforeReplacingAFileWithContent() {
    const QByteArray content = column<QByteArray>("content");
    const bool written = column<bool>("written");
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub/inner");
    const QString path = dir.filePath(content.isNull() ? "sub/File1.bmp" : "sub/Star.bmp");
    QFile file(path), other(dir.filePath("sub/notes.txt"));
    QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) >= 0));
    file.close(), other.open(QIODevice::WriteOnly);
    QFile upperCase(dir.filePath("sub/A.BMP"));  // Save could not write it back: not listed
    QVERIFY(upperCase.open(QIODevice::WriteOnly));
    WindowRig rig;
    rig.answer = column<bool>("yes");
    rig.run(2);
    QDir::setCurrent(dir.path());
    rig.withModal("actionSaveAs", [&](QWidget *dialog) {
      QCOMPARE(dialog->pos(), QPoint(200, 200));  // the offscreen screen is 800 x 800 at 96 dpi
      auto *folders = dialog->findChild<FolderList *>("folderList");
      auto *files = dialog->findChild<QListWidget *>("fileList");
      auto *drives = dialog->findChild<QComboBox *>("driveList");
      folders->setCurrentItem(folders->findItems("sub", Qt::MatchEndsWith).value(0));
      QTest::keyClick(folders, Qt::Key_Return);
      QTest::keyClick(drives, Qt::Key_F4);
      QTest::keyClick(drives->view(), Qt::Key_Return);
      QCOMPARE(folders->path(), QDir(dir.filePath("sub")).canonicalPath());
      QCOMPARE(files->count(), content.isNull() ? 0 : 1);
      if (!content.isNull())
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(dialog->findChild<QWidget *>("fileNameEdit"), key);
      QVERIFY(dialog->isVisible() && rig.questions.isEmpty());
      QTest::mouseClick(dialog->findChild<QWidget *>("saveButton"), Qt::LeftButton);
      QTRY_VERIFY(!dialog->isVisible());
    });
    const QString question = path + u" ファイルは既に存在します。上書きしますか？"_s;
    QCOMPARE(rig.questions, column<bool>("asked") ? QStringList{question} : QStringList());
    QCOMPARE(rig.window.savePath(), written ? path : QString());
    QCOMPARE(rig.get<QAction>("actionSave")->isEnabled(), written);
    QCOMPARE(loadBitmap(path).image, written ? rig.canvas() : QImage());  // "old" is no picture
    rig.click("Clear");
    if (written) rig.get<QAction>("actionSave")->trigger();
    QCOMPARE(loadBitmap(path).image, written ? rig.canvas() : QImage());
  }

  // A quarter in, as 20490 / 2 - 20490 / 4 twips rounded to even; in pixels, wherever the screen
  // is.
  void secondaryWindowsOpenAQuarterIn() {
    const TwipPosition twips = placeOnScreen(20489.5, 11523.5);
    QCOMPARE(QPointF(twips.left, twips.top), QPointF(5123, 2881));
    QCOMPARE(placeOnScreen(QRect(1920, 0, 1280, 1024), 120.0), QPoint(2240, 256));
  }

  // The environment chooses the language, in a process of its own: the first of the user's
  // languages with texts, unless English comes first. Qt's own buttons follow it.
  void theFirstOfTheUsersLanguagesSpeaks_data() {
    QTest::addColumn<QString>("languages");  // LANGUAGE
    QTest::addColumn<QString>("locale");     // LANG
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("yes");
    QTest::newRow("Japanese by LANG") << ""
                                      << "ja_JP.UTF-8" << u"開始"_s << u"はい(&Y)"_s;
    QTest::newRow("Japanese by LANGUAGE") << "ja"
                                          << "ja_JP.UTF-8" << u"開始"_s << u"はい(&Y)"_s;
    QTest::newRow("English before Japanese") << "en:ja"
                                             << "ja_JP.UTF-8"
                                             << "Start"
                                             << "&Yes";
    QTest::newRow("American English before Japanese") << "en_US:ja"
                                                      << "ja_JP.UTF-8"
                                                      << "Start"
                                                      << "&Yes";
    QTest::newRow("French, without texts, before Japanese")
        << "fr:ja"
        << "ja_JP.UTF-8" << u"開始"_s << u"はい(&Y)"_s;
    QTest::newRow("German alone") << ""
                                  << "de_DE.UTF-8"
                                  << "Start"
                                  << "&Yes";
  }
  void theFirstOfTheUsersLanguagesSpeaks() {
    QFETCH(QString, languages);
    QFETCH(QString, locale);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.remove("LANGUAGE");
    if (!languages.isEmpty()) environment.insert("LANGUAGE", languages);
    environment.insert("LANG", locale);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationFilePath(), {kSayTexts});
    QVERIFY(process.waitForFinished());
    const QStringList texts = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    QFETCH(QString, start);
    QFETCH(QString, yes);
    QCOMPARE(texts.value(0), start);
    QCOMPARE(texts.value(1), yes);
  }

  // The save-as window's lists keep their frames whole at every scale the desktop offers.
  void theSaveAsListsKeepTheirFramesAtEveryScale_data() {
    QTest::addColumn<QString>("scale");
    for (const char *scale : {"1", "1.25", "1.5", "2"}) QTest::newRow(scale) << scale;
  }
  void theSaveAsListsKeepTheirFramesAtEveryScale() {
    QFETCH(QString, scale);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_SCALE_FACTOR", scale);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationFilePath(), {kSayFrames});
    QVERIFY(process.waitForFinished());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), "folderList 1 1\nfileList 1 1\n");
  }
};

// Started with kSayTexts, the tests' program prints the Start button's text and Qt's Yes in the
// language its environment chooses; with kSayFrames, whether the save-as window's lists show their
// frames' top and bottom lines at the scale its environment sets.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  if (app.arguments().value(1) == kSayTexts) {
    installTranslations();
    WindowRig rig;
    std::printf("%s\n%s\n", qPrintable(rig.text("startStopButton")),
                qPrintable(QCoreApplication::translate("QPlatformTheme", "&Yes")));
    return 0;
  }
  if (app.arguments().value(1) == kSayFrames) {
    WindowRig rig;
    SaveAsDialog dialog(rig, *rig.get<CanvasWidget>("canvas"), nullptr);
    dialog.show();
    const QImage shot = dialog.grab().toImage();
    const double scale = shot.devicePixelRatio();
    for (const char *name : {"folderList", "fileList"}) {
      const QRect list = dialog.findChild<QWidget *>(name)->geometry();
      const int column = int(list.center().x() * scale);
      const auto lined = [&](int y) {  // the frame's grey within a pixel of logical row y
        for (int row = int(y * scale) - 1; row <= int(y * scale) + 1; ++row)
          if (qGray(shot.pixel(column, row)) < kFrameGray) return 1;
        return 0;
      };
      std::printf("%s %d %d\n", name, lined(list.top()), lined(list.bottom()));
    }
    return 0;
  }
  TestWindows test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_windows.moc"
