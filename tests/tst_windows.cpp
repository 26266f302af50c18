#include <malloc.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <random>

#include "files/window_placement.h"
#include "ui/canvas_widget.h"
#include "ui/file_lists.h"
#include "ui/help_viewer.h"
#include "ui/main_window.h"
#include "ui/qt_runtime.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // gcc ships no header for it
const auto HeapInUse = [] { return qint64(__sanitizer_get_current_allocated_bytes()); };
#else
const auto HeapInUse = [] { return qint64(mallinfo2().uordblks); };
#endif

namespace {

// The real main window in a program folder of its own; it keeps what the user is told and asked.
struct FormRig final : RuntimeServices, RandomSource {
  QString ProgramFolder() const override { return appPath; }
  QString UserDataFolder() const override { return userData; }
  void ShowFailure(QWidget *, const QString &text) override { failures << text; }
  bool AskYesNo(QWidget *, const QString &text) override { return questions << text, answer; }
  void ShowHelp(QWidget *, const QString &file) override { helpShown << file; }
  void Quit() override { ++ended; }

  QTemporaryDir folder;
  QString appPath = folder.path(), userData = appPath + "/home/kurvimo";
  bool copied = QFile::copy(KURVIMO_RESOURCES "/cls.bmp", appPath + "/cls.bmp");
  QStringList failures, questions, helpShown;
  bool answer = true;
  int ended = 0;
  void SeedFromClock() override {}
  float Next() override { return std::uniform_real_distribution<float>()(sequence); }
  std::mt19937 sequence{1234};
  MainWindow form{*this, *this};

  template <typename T = QAbstractButton>
  T *get(const QString &name) {
    T *child = form.findChild<T *>(name);
    return child ? child : (qFatal("no control %s", qPrintable(name)), nullptr);
  }
  QString text(const QString &label) { return get<QLabel>(label)->text(); }
  void click(const char *button) { QTest::mouseClick(get(button), Qt::LeftButton); }
  QImage canvas() { return get<CanvasWidget>("canvas")->Image(); }
  const FigureModel &model() { return form.engine().model(); }
  void menu(const char *entry) { get<QAction>(entry)->trigger(); }
  void run(const char *mode, int ticks) {
    click(mode), click("startStopButton");
    while (ticks-- > 0) form.Tick();
    click("startStopButton");
  }
  // Chooses a menu entry that opens a modal window, and hands the window to `drive`.
  void withModal(const char *entry, const std::function<void(QWidget *)> &drive) {
    QTimer::singleShot(0, [&] {
      QPointer<QWidget> window = QApplication::activeModalWidget();
      QVERIFY(window);
      drive(window);
      if (window) window->close();
    });
    menu(entry);
  }
  // Says whether the window was still open afterwards.
  bool saveAs(const QString &folder, const QString &name) {
    QDir::setCurrent(folder);
    bool open = false;
    withModal("actionSaveAs", [&](QWidget *w) {
      w->findChild<QLineEdit *>("fileNameEdit")->setText(name);
      QTest::mouseClick(w->findChild<QWidget *>("saveButton"), Qt::LeftButton);
      open = w->isVisible();
    });
    return open;
  }
};

// Acts: S Start/Stop, c Clear, d Display, < > history, N R draw modes, t a tick of tickTimer_, k
// keep the canvas in mind, u the program's folder goes (not even root can write it then). Seen:
// Start's caption; which of startStopButton olderButton newerButton clearButton displayButton
// newModeButton reserveModeButton actionSave respond; the counter and the offset; the canvas:
// blank, drawn, the same as kept, or drawn over it (every point kept is still set); where sgz.bmp
// is: -, program or user.
struct Scene {
  const char *name, *acts, *shown;
};
const Scene kScenes[] = {
    {"ticks before Start do nothing", "tt", "Start|10000100|||blank|-"},
    {"Start draws nothing yet", "S", "Stop|10000100|0|0|blank|-"},
    {"each tick draws and counts", "Stt", "Stop|10000100|2|0|drawn|-"},
    {"Stop enables the history, Clear and Reserve", "SttSt", "Start|11110110|2|0|drawn|-"},
    {"Clear", "SttSc", "Start|11101110|2|0|blank|-"},
    {"Display draws the same pixels again", "SttSkcd", "Start|11110110|2|0|same|-"},
    {"a New Start clears", "SttSS", "Stop|11100110|0|0|blank|-"},
    {"< and > step through the figures", "StttS<<", "Start|11110110|3|-2|drawn|-"},
    {"only as far as there are figures", "StttS<<<>>>", "Start|11110110|3|0|drawn|-"},
    {"a Reserve Start keeps the canvas", "SttSkRS", "Stop|11100110|0|0|same|program"},
    {"and its figures are drawn over it", "SttSkRStt", "Stop|11100110|2|0|over|program"},
    {"in the user's own data folder where the program's is not theirs", "SttSkuRS",
     "Stop|11100110|0|0|same|user"},
};

// A slider's label at load, at the lowest value, while dragged to the highest, let go; its member.
struct Slider {
  const char *word, *shown;  // the slider is HScroll_<word>, its label Lab_<word>
  int FigureModel::*member;
};
const Slider kSliders[] = {
    {"magnification", "5 0 0 20 20", &FigureModel::magnification},
    {"xPosition", "250 0 0 500 500", &FigureModel::xPosition},
    {"yPosition", "50 0 0 500 500", &FigureModel::yPosition},
    {"termCount", "9 4 4 16 16", &FigureModel::termCount},
    {"changeSpeed", "0 0 0 10 10", &FigureModel::changeSpeed},
    {"color", "black black black bright white 15", &FigureModel::colorIndex},
};

// A failure gets one message naming the file and the reason, and changes nothing on screen, in
// the state or on disk. The fault is prepared, then met by a Start (S), a Reserve Start (R), a Save
// As in the program's folder (A) or a Save (F).
struct Fault {
  const char *name, *reason, *file;  // the file, in the program's folder
  void (*prepare)(FormRig &);
  char command;
};
const Fault kFaults[] = {
    {"Start without cls.bmp", "No such file", "cls.bmp",
     [](FormRig &rig) { QFile::remove(rig.appPath + "/cls.bmp"); }, 'S'},
    {"Reserve Start where no folder can be written", "Not a directory", "cls.bmp/x/sgz.bmp",
     [](FormRig &rig) { rig.userData = rig.appPath + "/cls.bmp/x", rig.appPath += "/gone"; }, 'R'},
    {"Save As onto a folder", "directory", "x.bmp",
     [](FormRig &rig) { QDir(rig.appPath).mkdir("x.bmp"); }, 'A'},
    {"Save into a folder removed after Save As", "No such file", "sub/x.bmp",
     [](FormRig &rig) {
       QDir(rig.appPath).mkdir("sub"), rig.saveAs(rig.appPath + "/sub", "x");
       QDir(rig.appPath + "/sub").removeRecursively();
     },
     'F'},
};

QImage Saved(const QString &path) {
  return LoadBitmap(path).image.convertToFormat(QImage::Format_RGB32);
}

// See Scene; `kept` is the canvas kept in mind.
QString Shown(FormRig &rig, const QImage &kept) {
  QString enabled;
  for (const char *name : {"startStopButton", "olderButton", "newerButton", "clearButton",
                           "displayButton", "newModeButton", "reserveModeButton", "actionSave"})
    enabled += rig.form.findChild<QObject *>(name)->property("enabled").toBool() ? '1' : '0';
  const QImage canvas = rig.canvas();
  const QRgb white = QColor(Qt::white).rgb();
  int drawn = 0, lost = kept.isNull();
  for (int i = 0; i < canvas.width() * canvas.height(); ++i) {
    const QPoint at(i % canvas.width(), i / canvas.width());
    drawn += canvas.pixel(at) != white;
    lost += !kept.isNull() && kept.pixel(at) != white && canvas.pixel(at) == white;
  }
  const char *state[] = {"drawn", "over", "blank", "same"}, *where[] = {"-", "user", "program"};
  const int seen = canvas == kept ? 3 : drawn == 0 ? 2 : lost == 0;
  const int sgz =
      QFile::exists(rig.folder.path() + "/sgz.bmp") ? 2 : QFile::exists(rig.userData + "/sgz.bmp");
  return QStringList{rig.get("startStopButton")->text(), enabled,     rig.text("figureCountLabel"),
                     rig.text("historyOffsetLabel"),     state[seen], where[sgz]}
      .join('|');
}

}  // namespace

Q_DECLARE_METATYPE(Scene)

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
    auto *timer = rig.form.findChild<QTimer *>("tickTimer");
    QVERIFY(timer->isActive() && timer->interval() == 500);
    QTimerEvent tick(timer->timerId());
    const char *buttons[] = {"startStopButton", "clearButton",   "displayButton",    "olderButton",
                             "newerButton",     "newModeButton", "reserveModeButton"};
    QImage kept;
    for (const char *act = scene.acts; *act; ++act) {
      if (*act == 't') QCoreApplication::sendEvent(timer, &tick);
      if (*act == 'k') kept = rig.canvas();
      if (*act == 'u') rig.appPath += "/gone";
      if (const char *b = strchr("Scd<>NR", *act)) rig.click(buttons[b - "Scd<>NR"]);
    }
    QCOMPARE(Shown(rig, kept), QLatin1String(scene.shown));
  }

  // The keys and the thumb move a slider, which counts once let go; nothing redraws until a tick.
  void slidersShowTheirValueAndSetTheEngine() {
    FormRig rig;
    rig.run("newModeButton", 1);
    const QImage drawn = rig.canvas();
    for (const Slider &s : kSliders) {
      auto *slider = rig.get<QScrollBar>(QLatin1String(s.word) + u"Slider"_s);
      const QString label = QLatin1String(s.word) + u"Label"_s;
      QStringList shown{rig.text(label)};
      QTest::keyClick(slider, Qt::Key_Home);
      shown << rig.text(label);
      slider->setSliderDown(true);
      slider->setSliderPosition(slider->maximum());
      shown << rig.text(label);
      slider->setSliderDown(false);
      QCOMPARE(
          shown.join(' ') + ' ' + rig.text(label) + ' ' + QString::number(rig.model().*s.member),
          QLatin1String(s.shown));
    }
    QCOMPARE(rig.canvas(), drawn);
  }

  void saveAsAsksBeforeReplacingAFileWithContent_data() {
    QTest::addColumn<QByteArray>("old");  // "none": there is no such file
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("written");
    QTest::newRow("a new file, named File1 at first") << QByteArray("none") << false << true;
    QTest::newRow("content, Yes") << QByteArray("old") << true << true;
    QTest::newRow("content, No") << QByteArray("old") << false << false;
    QTest::newRow("empty: no question") << QByteArray() << false << true;
  }
  void saveAsAsksBeforeReplacingAFileWithContent() {
    QFETCH(QByteArray, old);
    QFETCH(bool, written);
    FormRig rig;
    QTemporaryDir dir;
    QFile file(dir.filePath(old == "none" ? u"File1.bmp"_s : u"Star.bmp"_s));
    QVERIFY(old == "none" || (file.open(QIODevice::WriteOnly) && file.write(old) == old.size()));
    file.close();
    QFETCH(bool, yes);
    rig.answer = yes;
    rig.run("newModeButton", 2);
    QDir::setCurrent(dir.path());
    rig.withModal("actionSaveAs", [&](QWidget *w) {
      auto *name = w->findChild<QLineEdit *>("fileNameEdit");
      QCOMPARE(name->text(), u"File1"_s);
      auto *files = w->findChild<QListWidget *>("fileList");
      if (old != "none") {
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
      }
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(name, key);
      QVERIFY(w->isVisible() && rig.questions.isEmpty());  // neither key presses Save
      QTest::mouseClick(w->findChild<QWidget *>("saveButton"), Qt::LeftButton);
      QVERIFY(!w->isVisible());
    });
    const QString question = file.fileName() + u" ファイルは既に存在します。上書きしますか？"_s;
    QCOMPARE(rig.questions, old.size() == 3 ? QStringList{question} : QStringList());
    QCOMPARE(rig.form.saveState().savePath, written ? file.fileName() : QString());
    QCOMPARE(rig.get<QAction>("actionSave")->isEnabled(), written);
    QCOMPARE(Saved(file.fileName()), written ? rig.canvas() : QImage());  // "old" is no picture
    rig.click("clearButton");
    if (written) rig.menu("actionSave");  // writes that file again, without asking
    QCOMPARE(Saved(file.fileName()), written ? rig.canvas() : QImage());
    // A current folder that has gone is no place to save: the window opens at home.
    QDir(dir.path()).mkdir(u"gone"_s);
    QDir::setCurrent(dir.path() + u"/gone"_s);
    QDir(dir.path()).rmdir(u"gone"_s);
    rig.withModal("actionSaveAs", [&](QWidget *w) {
      QCOMPARE(w->findChild<FolderList *>("folderList")->Path(), QDir::homePath());
    });
  }

  void aFailureChangesNothingAndTheProgramGoesOn_data() {
    QTest::addColumn<int>("fault");
    for (const Fault &f : kFaults) QTest::newRow(f.name) << int(&f - kFaults);
  }
  void aFailureChangesNothingAndTheProgramGoesOn() {
    QFETCH(int, fault);
    const Fault &f = kFaults[fault];
    FormRig rig;
    const QString folder = rig.appPath;
    QImage canvas;
    const auto everything = [&] {
      QStringList all{Shown(rig, canvas), rig.form.saveState().savePath};
      const HistoryRing &h = rig.form.engine().history();
      const auto *model = reinterpret_cast<const char *>(&rig.model());  // up to its tail padding
      all << QByteArray(model, offsetof(FigureModel, drawnSinceStart) + 2).toHex()
          << u"%1 %2 %3"_s.arg(h.nextSlot).arg(h.wrapped).arg(h.offset);
      for (QDirIterator it(folder, QDirIterator::Subdirectories); it.hasNext();) all << it.next();
      return all;
    };
    rig.run("newModeButton", 2);
    rig.run("reserveModeButton", 1);  // leaves a good sgz.bmp behind
    rig.click("newModeButton");
    f.prepare(rig);
    canvas = rig.canvas();
    const QStringList before = everything();
    if (f.command == 'R') rig.click("reserveModeButton");
    if (f.command == 'S' || f.command == 'R') rig.click("startStopButton");
    if (f.command == 'A') QVERIFY2(rig.saveAs(folder, "x"), "the save-as window closed");
    if (f.command == 'F') rig.menu("actionSave");
    QCOMPARE(rig.failures.size(), 1);
    const QString &said = rig.failures[0];
    QVERIFY2(said.contains(folder + '/' + f.file) && said.contains(f.reason), qPrintable(said));
    QCOMPARE(everything(), before);
    QCOMPARE(rig.ended, 0);
  }

  void helpAndVersion() {
    FormRig rig;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
      rig.withModal("actionAbout", [&](QWidget *w) {
        QCOMPARE(w->findChild<QLabel *>("versionLabel")->text(), u"Version 1.0"_s);
        const QScreen *screen = QGuiApplication::primaryScreen();
        QCOMPARE(w->pos(), PlaceOnScreen(screen->geometry().size(), screen->logicalDotsPerInchX()));
        QCOMPARE(w->findChild<QLabel *>("iconLabel")->pixmap().size(), QSize(32, 32));
        QTest::keyClick(w->findChild<QWidget *>("okButton"), key);
        QVERIFY(!w->isVisible());
      });
    }
    QTest::keyClick(&rig.form, Qt::Key_F1);  // nothing before Help has named the file
    rig.menu("actionHelp");
    QTest::keyClick(rig.get<QWidget>("magnificationSlider"), Qt::Key_F1);
    rig.withModal("actionAbout", [&](QWidget *w) { QTest::keyClick(w, Qt::Key_F1); });
    QCOMPARE(rig.helpShown, QStringList(3, rig.appPath + u"/krv.hlp"_s));
    QtRuntime runtime;  // its question has Yes as the default
    QTimer::singleShot(0, [] { QTest::keyClick(qApp->activeModalWidget(), Qt::Key_Return); });
    QVERIFY(runtime.AskYesNo(&rig.form, u"?"_s));
    HelpViewer viewer;  // says why it cannot show a page
    viewer.Open(u"/nonexistent/krv.hlp"_s);
    QVERIFY(viewer.toPlainText().contains(u"No such file"_s));
    rig.menu("actionExit");
    QCOMPARE(rig.ended, 1);
  }

  // 100,000 ticks, every term count and speed, both modes, walks round the wrapped ring: invariants
  // hold at every tick, each step shows what was drawn that far back, and the heap does not grow.
  void soak() {
    FormRig rig;
    const TermTables &t = rig.model().terms;
    const auto set = [&](const char *slider, int v) { rig.get<QScrollBar>(slider)->setValue(v); };
    qint64 heapAtStart = 0;
    for (int run = 0; run < 52; ++run) {  // terms 4..16, change speeds 0 and 10, both draw modes
      set("termCountSlider", 4 + run / 4), set("changeSpeedSlider", run / 2 % 2 * 10);
      set("magnificationSlider", run % 3 * 10),
          set("xPositionSlider", run % 3 * 250);  // off the canvas
      rig.click(run % 2 ? "reserveModeButton" : "newModeButton");
      rig.click("startStopButton");
      const int ticks = run < 51 ? 1923 : 100000 - 51 * 1923;
      std::vector<std::array<std::int16_t, 4>> drawn;  // term 0 of each table, as drawn
      const auto zero = [&] { return std::array{t.xAmp[0], t.yAmp[0], t.xFreq[0], t.yFreq[0]}; };
      for (int tick = 1; tick <= ticks; ++tick) {
        if (tick == ticks / 2) set("termCountSlider", 20 - run / 4);
        rig.form.Tick();
        drawn.push_back(zero());
        bool held = true;
        for (int i = 0; i < rig.model().termCount; ++i) {
          held &= t.xAmp[i] >= 0 && t.xAmp[i] <= 10 && t.yAmp[i] >= 0 && t.yAmp[i] <= 10 &&
                  t.xFreq[i] >= 1 && t.xFreq[i] <= 10 && t.yFreq[i] >= 1 && t.yFreq[i] <= 10;
        }
        if (!held || rig.text("figureCountLabel") != QString::number(tick))
          QFAIL(qPrintable(
              u"run %1, tick %2, count %3"_s.arg(run).arg(tick).arg(rig.text("figureCountLabel"))));
      }
      rig.click("startStopButton");
      for (const char *button : {"olderButton", "newerButton"}) {
        for (int i = 0; i < (run % 4 ? 3 : 1005); ++i) {
          rig.click(button);
          const int back = std::abs(rig.text("historyOffsetLabel").toInt()) % 1000;
          QCOMPARE(zero(), drawn[ticks - 1 - back]);
        }
      }
      QCOMPARE(rig.text("historyOffsetLabel") + rig.failures.join(' '), "0");
      QCoreApplication::processEvents();        // let the window paint, as it would between ticks
      if (run == 1) heapAtStart = HeapInUse();  // the canvas's lasting buffers exist by now
    }
    qInfo("heap in use: %lld bytes after the first runs, %lld at the end", heapAtStart,
          HeapInUse());
    QVERIFY(HeapInUse() - heapAtStart < 64 * 1024);
  }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
