#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <random>

#include "ui/canvas_widget.h"
#include "platform/runtime_services.h"
#include "ui/form1.h"

namespace kurvimo::testing {

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

struct SeededRandom final : RandomSource {
  void Randomize() override {}
  float Rnd() override { return std::uniform_real_distribution<float>()(sequence); }
  std::mt19937 sequence{1234};
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
  const FigureModel &model() { return form.engine().model(); }
  QAction *menu(const char *name) { return get<QAction>(name); }
  void ticks(int n) {
    while (n-- > 0) form.Timer1_Timer();
  }
  // One run in the given draw mode, ended by Stop.
  void run(const char *mode, int n) {
    click(mode);
    click("comstart");
    ticks(n);
    click("comstart");
  }
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

}  // namespace kurvimo::testing
