#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "ui/help_viewer.h"
#include "ui/window_design.h"

// The help viewer: shows the help file named on the command line. The program that started it
// asks for it again by writing a line to its input, and it comes to the front.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  kurvimo::NameApplication();
  kurvimo::HelpViewer viewer;
  viewer.Open(QApplication::arguments().value(1));
  viewer.show();
  QSocketNotifier requests(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&requests, &QSocketNotifier::activated, [&] {
    char lines[64];
    if (::read(STDIN_FILENO, lines, sizeof lines) <= 0) return requests.setEnabled(false);
    viewer.ComeForward();
  });
  return app.exec();
}
