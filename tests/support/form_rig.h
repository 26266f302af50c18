#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <random>

#include "files/window_placement.h"
#include "platform/canvas_widget.h"
#include "platform/runtime_services.h"
#include "ui/form1.h"

namespace kurvimo::testing {

// A program folder of the test's own, with the clean background the program ships with.
class FakeRuntime final : public RuntimeServices {
 public:
  FakeRuntime() : appPath(folder.path()) {
    QFile::copy(QStringLiteral(KURVIMO_RESOURCES "/cls.bmp"), appPath + QStringLiteral("/cls.bmp"));
  }
  QString AppPath() const override { return appPath; }
  void ShowFailure(QWidget *, const QString &text) override { failures << text; }
  bool AskYesNo(QWidget *, const QString &text) override {
    questions << text;
    return answer;
  }
  void ShowHelp(QWidget *, const QString &file) override { helpShown << file; }
  void End() override { ++ended; }

  QTemporaryDir folder;
  QString appPath;
  QStringList failures;
  QStringList questions;
  bool answer = true;
  QStringList helpShown;
  int ended = 0;
};

class SeededRandom final : public RandomSource {
 public:
  void Randomize() override { engine_.seed(kSeed); }
  float Rnd() override { return dist_(engine_); }

 private:
  static constexpr unsigned kSeed = 1234;
  std::mt19937 engine_{kSeed};
  std::uniform_real_distribution<float> dist_{0.0f, 1.0f};
};

inline QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

inline void WriteFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Every entry under `root`, with a digest of each file's bytes: any change or leftover shows, and
// a failure prints a readable difference.
inline QMap<QString, QByteArray> Listing(const QString &root) {
  QMap<QString, QByteArray> entries;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QFileInfo info = it.fileInfo();
    entries[path] =
        info.isDir() ? "<folder>"
        : info.isFile()
            ? QCryptographicHash::hash(ReadAll(path), QCryptographicHash::Sha256).toHex()
            : "<special>";
  }
  return entries;
}

inline void PressSave(QWidget *form2) {
  QTest::mouseClick(form2->findChild<QWidget *>(QStringLiteral("Command1")), Qt::LeftButton);
}

// Where the secondary windows open on the test's screen.
inline QPoint PlacedCorner() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return PlaceOnScreen(screen->geometry().size(), screen->logicalDotsPerInchX());
}

// The real main window in a folder of its own, with handles on its controls.
struct FormRig {
  FakeRuntime runtime;
  SeededRandom random;
  Form1 form{runtime, random};

  template <typename T = QAbstractButton>
  T *get(const char *name) {
    T *child = form.findChild<T *>(QLatin1String(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  QString text(const char *label) { return get<QLabel>(label)->text(); }
  void click(const char *button) { QTest::mouseClick(get(button), Qt::LeftButton); }
  QImage canvas() { return get<CanvasWidget>("Picture1")->Image(); }
  FigureModel &model() { return form.engine().model(); }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) form.Timer1_Timer();
  }
  QAction *menu(const char *name) { return get<QAction>(name); }
  // Chooses a menu entry that opens a modal window, hands that window to `drive`, and closes it
  // afterwards if `drive` left it open.
  template <typename Drive>
  void withModal(const char *entry, Drive drive) {
    QTimer::singleShot(0, [&] {
      QPointer<QWidget> window = QApplication::activeModalWidget();
      QVERIFY(window);
      drive(window.data());
      if (window) window->close();
    });
    menu(entry)->trigger();
  }
  // One run in the given draw mode, ended by Stop.
  void run(const char *mode, int n) {
    click(mode);
    click("comstart");
    ticks(n);
    click("comstart");
  }
  // A Save As in `folder` under `name`; says whether the window was still open afterwards.
  bool saveAs(const QString &folder, const QString &name) {
    QDir::setCurrent(folder);
    bool open = false;
    withModal("mnuSaveAs", [&](QWidget *w) {
      w->findChild<QLineEdit *>(QStringLiteral("txtTargetFile"))->setText(name);
      PressSave(w);
      open = w->isVisible();
    });
    return open;
  }
};

// Everything of the main window that a failed command must leave alone.
struct Snapshot {
  QImage canvas;
  QStringList controls;
  QByteArray state;

  explicit Snapshot(FormRig &rig) : canvas(rig.canvas()) {
    for (QAbstractButton *b : rig.form.findChildren<QAbstractButton *>()) {
      controls << QStringLiteral("%1 %2 %3 %4")
                      .arg(b->objectName(), b->text())
                      .arg(b->isEnabled())
                      .arg(b->isChecked());
    }
    for (QLabel *label : rig.form.findChildren<QLabel *>()) controls << label->text();
    controls << QString::number(rig.menu("mnuSave")->isEnabled())
             << rig.form.module1().currentFileName;
    const FigureModel &m = rig.model();
    const HistoryRing &h = rig.form.engine().history();
    state.append(reinterpret_cast<const char *>(&m.terms), sizeof m.terms);
    for (std::int32_t v :
         {int{m.kansuu}, int{m.bairitu}, int{m.xichi}, int{m.yichi}, int{m.henka},
          int{m.colorIndex}, int{m.running}, int{m.reserveMode}, m.drawCount, int{m.xShift},
          int{m.xCenterRef}, int{m.centerSet}, int{h.histPos}, int{h.histFull}, int{h.modoru}}) {
      state.append(reinterpret_cast<const char *>(&v), sizeof v);
    }
    state.append(reinterpret_cast<const char *>(&h.histXAmp), sizeof h.histXAmp);
  }
};

}  // namespace kurvimo::testing
