#include <QApplication>

#include "platform/system_random.h"
#include "ui/form1.h"
#include "ui/qt_runtime.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  kurvimo::QtRuntime runtime;
  kurvimo::SystemRandom random;
  kurvimo::Form1 form(runtime, random);
  form.show();
  return app.exec();
}
