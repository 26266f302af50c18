#pragma once

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <random>

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
  void End() override { ++ended; }

  QTemporaryDir folder;
  QString appPath;
  QStringList failures;
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
};

}  // namespace kurvimo::testing
