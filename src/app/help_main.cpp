#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>

#include "ui/help_viewer.h"
#include "ui/window_design.h"

// The help viewer: shows the help file named on the command line. The program that started it
// asks for it again by writing a line to its input; it comes to the front and answers each line
// with one on its output. It ends with its input.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  kurvimo::nameApplication();
  kurvimo::installTranslations();
  kurvimo::HelpViewer viewer;
  viewer.open(QApplication::arguments().value(1));
  viewer.show();
  QSocketNotifier requests(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&requests, &QSocketNotifier::activated, [&] {
    char lines[64];
    const ssize_t got = ::read(STDIN_FILENO, lines, sizeof lines);
    if (got < 0 && errno == EINTR) return;
    // The end of the input is the end of the program that asks, however it ended.
    if (got <= 0) return QCoreApplication::quit();
    viewer.comeForward();
    const QByteArray answers(std::count(lines, lines + got, '\n'), '\n');
    if (::write(STDOUT_FILENO, answers.constData(), size_t(answers.size())) < 0)
      QCoreApplication::quit();
  });
  return app.exec();
}
