#include <QApplication>

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
  return app.exec();
}
