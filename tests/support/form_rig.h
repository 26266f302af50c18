#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
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
};

}  // namespace kurvimo::testing
