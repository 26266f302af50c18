#include <QApplication>

#include "ui/help_viewer.h"

// The help viewer: shows the help file named on the command line.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  kurvimo::HelpViewer viewer;
  const QStringList args = QApplication::arguments();
  viewer.Open(args.value(1));
  viewer.show();
  return app.exec();
}
