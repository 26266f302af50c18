// The program's start-up, as the program makes it, up to the moment its window is on the screen;
// then it says so on standard output and ends. The start-up benchmark times it from outside.
#include <QApplication>
#include <QTest>
#include <cstdio>

#include "platform/system_random.h"
#include "ui/main_window.h"
#include "ui/qt_runtime.h"
#include "ui/window_design.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  kurvimo::nameApplication();
  kurvimo::installTranslations();
  kurvimo::QtRuntime runtime;
  kurvimo::SystemRandom random;
  kurvimo::MainWindow window(runtime, random);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  std::fputs("shown\n", stdout);
  std::fflush(stdout);
  return 0;
}
