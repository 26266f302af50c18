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
#include "ui/form1.h"
#include "ui/help_viewer.h"

using namespace kurvimo;
using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();  // gcc ships no header for it
#endif

namespace {

// A program folder of the test's own, with the clean background the program ships with.
struct FakeRuntime final : RuntimeServices {
  FakeRuntime() { QFile::copy(KURVIMO_RESOURCES "/cls.bmp", appPath + "/cls.bmp"); }
  QString AppPath() const override { return appPath; }
  void ShowFailure(QWidget *, const QString &text) override { failures << text; }
  bool AskYesNo(QWidget *, const QString &text) override { return questions << text, answer; }
  void ShowHelp(QWidget *, const QString &file) override { helpShown << file; }
  void End() override { ++ended; }

  QTemporaryDir folder;
  QString appPath = folder.path();
  QStringList failures, questions, helpShown;
  bool answer = true;
  int ended = 0;
};

// The real main window in a folder of its own, with handles on its controls.
struct FormRig {
  FakeRuntime runtime;
  struct : RandomSource {
    void Randomize() override {}
    float Rnd() override { return std::uniform_real_distribution<float>()(sequence); }
    std::mt19937 sequence{1234};
  } random;
  Form1 form{runtime, random};

  template <typename T = QAbstractButton>
  T *get(const char *name) {
    T *child = form.findChild<T *>(name);
    return child ? child : (qFatal("no control %s", name), nullptr);
  }
  QString text(const char *label) { return get<QLabel>(label)->text(); }
  void click(const char *button) { QTest::mouseClick(get(button), Qt::LeftButton); }
  QImage canvas() { return get<CanvasWidget>("Picture1")->Image(); }
  const FigureModel &model() { return form.engine().model(); }
  QAction *menu(const char *name) { return get<QAction>(name); }
  // One run in the given draw mode with `ticks` ticks, ended by Stop.
  void run(const char *mode, int ticks) {
    click(mode), click("comstart");
    while (ticks-- > 0) form.Timer1_Timer();
    click("comstart");
  }
  // Chooses a menu entry that opens a modal window, and hands the window to `drive`.
  void withModal(const char *entry, const std::function<void(QWidget *)> &drive) {
    QTimer::singleShot(0, [&] {
      QPointer<QWidget> window = QApplication::activeModalWidget();
      QVERIFY(window);
      drive(window);
      if (window) window->close();
    });
    menu(entry)->trigger();
  }
  // A Save As in `folder` under `name`; says whether the window was still open afterwards.
  bool saveAs(const QString &folder, const QString &name) {
    QDir::setCurrent(folder);
    bool open = false;
    withModal("mnuSaveAs", [&](QWidget *w) {
      w->findChild<QLineEdit *>("txtTargetFile")->setText(name);
      QTest::mouseClick(w->findChild<QWidget *>("Command1"), Qt::LeftButton);
      open = w->isVisible();
    });
    return open;
  }
};

// What the user does, a letter an act: S Start/Stop, t a tick of Timer1, c Clear, d Display, < and
// > the history buttons, N and R the draw modes, k keep the canvas in mind. What they see: the
// Start button's caption; which of comstart comMl comMr cmdcls cmdsaihyouji Option1 Option2 mnuSave
// respond; the counter and the history offset; the canvas: blank, drawn, the same as kept, or
// drawn over it (every point kept is still set).
struct Scene {
  const char *name, *acts, *shown;
};
const Scene kScenes[] = {
    {"window load", "", "Start|10000100|||blank"},
    {"ticks before Start do nothing", "tt", "Start|10000100|||blank"},
    {"Start draws nothing yet", "S", "Stop|10000100|0|0|blank"},
    {"each tick draws and counts", "Stt", "Stop|10000100|2|0|drawn"},
    {"Stop enables the history, Clear and Reserve", "SttSt", "Start|11110110|2|0|drawn"},
    {"Clear", "SttSc", "Start|11101110|2|0|blank"},
    {"Display draws the same pixels again", "SttSkcd", "Start|11110110|2|0|same"},
    {"a New Start clears", "SttSS", "Stop|11100110|0|0|blank"},
    {"< and > step through the figures", "StttS<<", "Start|11110110|3|-2|drawn"},
    {"only as far as there are figures", "StttS<<<>>>", "Start|11110110|3|0|drawn"},
    {"a Reserve Start keeps the canvas", "SttSkRS", "Stop|11100110|0|0|same"},
    {"and its figures are drawn over it", "SttSkRStt", "Stop|11100110|2|0|over"},
};

// A slider's label at load, at its lowest value and at its highest, and its member then.
struct Slider {
  const char *slider, *label, *shown;
  std::int16_t FigureModel::*member;
  int highest;
};
const Slider kSliders[] = {
    {"HScroll_bairitu", "Lab_bairitu", "5 0 20", &FigureModel::bairitu, 20},
    {"HScroll_xichi", "Lab_xichi", "250 0 500", &FigureModel::xichi, 500},
    {"HScroll_yichi", "Lab_yichi", "50 0 500", &FigureModel::yichi, 500},
    {"HScroll_kansuu", "Lab_kansuu", "9 4 16", &FigureModel::kansuu, 16},
    {"HScroll_henka", "Lab_henka", "0 0 10", &FigureModel::henka, 10},
    {"HScroll_color", "Lab_color", "black black bright white", &FigureModel::colorIndex, 15},
};

// A failure gets one message naming the file and the reason, and changes nothing on screen, in
// the state or on disk; the program then starts and saves as before. The fault is prepared, then
// met by a Start (S), a Save As in the program's folder (A) or a Save (F).
struct Fault {
  const char *name, *reason, *file;  // the file, in the program's folder
  void (*prepare)(FormRig &);
  char command;
};
const Fault kFaults[] = {
    {"Start without cls.bmp", "No such file", "cls.bmp",
     [](FormRig &rig) { QFile::remove(rig.runtime.appPath + "/cls.bmp"); }, 'S'},
    {"Reserve Start in a program folder that is gone", "No such file", "gone/sgz.bmp",
     [](FormRig &rig) { rig.runtime.appPath += "/gone", rig.click("Option2"); }, 'S'},
    {"Save As onto a folder", "directory", "x.bmp",
     [](FormRig &rig) { QDir(rig.runtime.appPath).mkdir("x.bmp"); }, 'A'},
    {"Save into a folder removed after Save As", "No such file", "sub/x.bmp",
     [](FormRig &rig) {
       QDir(rig.runtime.appPath).mkdir("sub"), rig.saveAs(rig.runtime.appPath + "/sub", "x");
       QDir(rig.runtime.appPath + "/sub").removeRecursively();
     },
     'F'},
};

QImage Saved(const QString &path) {
  return LoadPicture(path).image.convertToFormat(QImage::Format_RGB32);
}

// Where the secondary windows open, on the test's screen.
QPoint Placed() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return PlaceOnScreen(screen->geometry().size(), screen->logicalDotsPerInchX());
}

// See Scene; `kept` is the canvas kept in mind.
QString Shown(FormRig &rig, const QImage &kept) {
  QString shown = rig.get("comstart")->text() + '|';
  for (const char *name :
       {"comstart", "comMl", "comMr", "cmdcls", "cmdsaihyouji", "Option1", "Option2", "mnuSave"})
    shown += rig.form.findChild<QObject *>(name)->property("enabled").toBool() ? '1' : '0';
  const QImage canvas = rig.canvas();
  const QRgb white = QColor(Qt::white).rgb();
  int drawn = 0, lost = kept.isNull();
  for (int i = 0; i < canvas.width() * canvas.height(); ++i) {
    const QPoint at(i % canvas.width(), i / canvas.width());
    drawn += canvas.pixel(at) != white;
    lost += !kept.isNull() && kept.pixel(at) != white && canvas.pixel(at) == white;
  }
  const char *state[] = {"drawn", "over", "blank", "same"};
  return shown + u"|%1|%2|"_s.arg(rig.text("Labcount"), rig.text("Labmodoru")) +
         state[canvas == kept ? 3
               : drawn == 0   ? 2
                              : lost == 0];
}

qint64 HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<qint64>(mallinfo2().uordblks);
#endif
}

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
    QImage kept;
    for (const char *act = scene.acts; *act; ++act) {
      if (*act == 't') QCoreApplication::sendEvent(timer, &tick);
      if (*act == 'k') kept = rig.canvas();
      if (buttons.contains(*act)) rig.click(buttons.at(*act));
    }
    QCOMPARE(Shown(rig, kept), QLatin1String(scene.shown));
  }

  // The keys move a slider, a dragged thumb counts once let go, and nothing redraws until a tick.
  void slidersSetTheirLabelAndMember_data() {
    QTest::addColumn<Slider>("s");
    for (const Slider &s : kSliders) QTest::newRow(s.slider) << s;
  }
  void slidersSetTheirLabelAndMember() {
    QFETCH(Slider, s);
    FormRig rig;
    rig.run("Option1", 1);
    const QImage drawn = rig.canvas();
    auto *slider = rig.get<QScrollBar>(s.slider);
    QString shown = rig.text(s.label);
    QTest::keyClick(slider, Qt::Key_Home);
    shown += ' ' + rig.text(s.label);
    slider->setSliderDown(true);
    slider->setSliderPosition(slider->maximum());
    QCOMPARE(rig.text(s.label), shown.section(' ', 1));
    slider->setSliderDown(false);
    QCOMPARE(shown + ' ' + rig.text(s.label), QLatin1String(s.shown));
    QCOMPARE(rig.model().*s.member, s.highest);
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
    rig.runtime.answer = yes;
    rig.run("Option1", 2);
    QDir::setCurrent(dir.path());
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      auto *name = w->findChild<QLineEdit *>("txtTargetFile");
      QCOMPARE(name->text() + ' ' + QString::number(w->pos() == Placed()), u"File1 1"_s);
      auto *files = w->findChild<QListWidget *>("File1");
      if (old != "none") {
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(0)).center());
      }
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(name, key);
      QVERIFY(w->isVisible() && rig.runtime.questions.isEmpty());  // neither key presses Save
      QTest::mouseClick(w->findChild<QWidget *>("Command1"), Qt::LeftButton);
      QVERIFY(!w->isVisible());
    });
    const QString question = file.fileName() + u" ファイルは既に存在します。上書きしますか？"_s;
    QCOMPARE(rig.runtime.questions, old.size() == 3 ? QStringList{question} : QStringList());
    QCOMPARE(rig.form.module1().currentFileName, written ? file.fileName() : QString());
    QCOMPARE(rig.menu("mnuSave")->isEnabled(), written);
    QCOMPARE(Saved(file.fileName()), written ? rig.canvas() : QImage());  // "old" is no picture
    rig.click("cmdcls");
    if (written) rig.menu("mnuSave")->trigger();  // writes that file again, without asking
    QCOMPARE(Saved(file.fileName()), written ? rig.canvas() : QImage());
    // A current folder that has gone is no place to save: the window opens at home.
    QDir(dir.path()).mkdir(u"gone"_s);
    QDir::setCurrent(dir.path() + u"/gone"_s);
    QDir(dir.path()).rmdir(u"gone"_s);
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QCOMPARE(w->findChild<DirList *>("Dir1")->Path(), QDir::homePath());
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
    const QString folder = rig.runtime.appPath;
    const auto everything = [&] {
      QStringList all{Shown(rig, rig.canvas()), rig.form.module1().currentFileName};
      for (QWidget *w : rig.form.findChildren<QWidget *>())
        all << w->property("text").toString() + w->property("checked").toString();
      const HistoryRing &h = rig.form.engine().history();
      const auto *model = reinterpret_cast<const char *>(&rig.model());  // up to its tail padding
      all << QByteArray(model, offsetof(FigureModel, centerSet) + 2).toHex()
          << u"%1 %2 %3"_s.arg(h.histPos).arg(h.histFull).arg(h.modoru);
      for (QDirIterator it(folder, QDirIterator::Subdirectories); it.hasNext();) all << it.next();
      return all;
    };
    rig.run("Option1", 2);
    rig.run("Option2", 1);  // leaves a good sgz.bmp behind
    rig.click("Option1");
    f.prepare(rig);
    const QStringList before = everything();
    const QImage canvas = rig.canvas();
    if (f.command == 'S') rig.click("comstart");
    if (f.command == 'A') QVERIFY2(rig.saveAs(folder, "x"), "the save-as window closed");
    if (f.command == 'F') rig.menu("mnuSave")->trigger();
    QCOMPARE(rig.runtime.failures.size(), 1);
    const QString &said = rig.runtime.failures[0];
    QVERIFY2(said.contains(folder + '/' + f.file) && said.contains(f.reason), qPrintable(said));
    QCOMPARE(everything(), before);
    QCOMPARE(rig.canvas(), canvas);
    QCOMPARE(rig.runtime.ended, 0);
    // With a sound program folder, everything works again.
    rig.runtime.appPath = folder;
    QFile::copy(KURVIMO_RESOURCES "/cls.bmp", folder + "/cls.bmp");
    rig.run("Option1", 1);
    QVERIFY(!rig.saveAs(folder, "after") && rig.runtime.failures.size() == 1);
    QCOMPARE(Saved(folder + "/after.bmp"), rig.canvas());
  }

  void helpAndVersion() {
    FormRig rig;
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
      rig.withModal("mnuVersion", [&](QWidget *w) {
        QCOMPARE(w->findChild<QLabel *>("Label2")->text(), u"Version 1.0"_s);
        QCOMPARE(w->pos(), Placed());
        QCOMPARE(w->findChild<QLabel *>("picIcon")->pixmap().size(), QSize(32, 32));
        QTest::keyClick(w->findChild<QWidget *>("cmdOK"), key);
        QVERIFY(!w->isVisible());
      });
    }
    QTest::keyClick(&rig.form, Qt::Key_F1);  // nothing before Help has named the file
    rig.menu("mnuMokuji")->trigger();
    QTest::keyClick(rig.get<QWidget>("HScroll_bairitu"), Qt::Key_F1);
    rig.withModal("mnuSaveAs", [&](QWidget *w) {
      QTest::keyClick(w->findChild<QWidget *>("txtTargetFile"), Qt::Key_F1);
    });
    QCOMPARE(rig.runtime.helpShown, QStringList(3, rig.runtime.appPath + u"/krv.hlp"_s));
    for (const auto &[file, shown] : {std::pair{KURVIMO_RESOURCES "/krv.hlp", "Saving pictures"},
                                      {"/nonexistent/krv.hlp", "No such file"}}) {
      HelpViewer viewer;
      viewer.Open(QLatin1String(file));
      QVERIFY2(viewer.toPlainText().contains(QLatin1String(shown)), file);
    }
    rig.menu("mnuExit")->trigger();
    QCOMPARE(rig.runtime.ended, 1);
  }

  // Hours of use: 100,000 ticks in both draw modes, with every term count and change speed, and
  // the history walked across a wrapped ring. The invariants hold after every tick, each step
  // shows the terms drawn that many ticks before the newest, and the heap does not grow.
  void soak() {
    FormRig rig;
    const TermTables &t = rig.model().terms;
    const auto set = [&](const char *slider, int v) { rig.get<QScrollBar>(slider)->setValue(v); };
    qint64 heapAtStart = 0;
    for (int run = 0; run < 52; ++run) {  // terms 4..16, change speeds 0 and 10, both draw modes
      set("HScroll_kansuu", 4 + run / 4), set("HScroll_henka", run / 2 % 2 * 10);
      set("HScroll_bairitu", run % 3 * 10), set("HScroll_xichi", run % 3 * 250);
      set("HScroll_color", run % 16);
      rig.click(run % 2 ? "Option2" : "Option1");
      rig.click("comstart");
      const int ticks = run < 51 ? 1923 : 100000 - 51 * 1923;
      std::vector<std::array<int, 4>> drawn;  // term 0 of each table, as drawn
      for (int tick = 1; tick <= ticks; ++tick) {
        if (tick == ticks / 2) set("HScroll_kansuu", 20 - run / 4);
        rig.form.Timer1_Timer();
        drawn.push_back({t.xAmp[0], t.yAmp[0], t.xFreq[0], t.yFreq[0]});
        bool held = std::abs(rig.model().xShift) < 4000 && std::abs(rig.model().xCenterRef) < 4000;
        for (int i = 0; i < rig.model().kansuu; ++i) {
          held &= t.xAmp[i] >= 0 && t.xAmp[i] <= 10 && t.yAmp[i] >= 0 && t.yAmp[i] <= 10 &&
                  t.xFreq[i] >= 1 && t.xFreq[i] <= 10 && t.yFreq[i] >= 1 && t.yFreq[i] <= 10;
        }
        if (!held || rig.text("Labcount") != QString::number(tick))
          QFAIL(qPrintable(
              u"run %1, tick %2, count %3"_s.arg(run).arg(tick).arg(rig.text("Labcount"))));
      }
      rig.click("comstart");
      for (const char *button : {"comMl", "comMr"}) {
        for (int i = 0; i < (run % 4 ? 3 : 1005); ++i) {
          rig.click(button);
          const int back = std::abs(rig.text("Labmodoru").toInt()) % 1000;
          QCOMPARE((std::array<int, 4>{t.xAmp[0], t.yAmp[0], t.xFreq[0], t.yFreq[0]}),
                   drawn[ticks - 1 - back]);
        }
      }
      QCOMPARE(rig.text("Labmodoru") + rig.runtime.failures.join(' '), "0");
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
