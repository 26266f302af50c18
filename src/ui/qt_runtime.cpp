#include "ui/qt_runtime.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>

#include "ui/window_design.h"

namespace kurvimo {

namespace {

// The help viewer is a program of its own beside this one, so that it stays usable while one of
// our modal windows is open.
const QString kHelpViewer = QStringLiteral("kurvimo-help");

}  // namespace

QString QtRuntime::AppPath() const {
  return QCoreApplication::applicationDirPath();
}

void QtRuntime::ShowFailure(QWidget *parent, const QString &text) {
  QMessageBox::warning(parent, kProgramName, text);
}

bool QtRuntime::AskYesNo(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::Warning, kProgramName, text, QMessageBox::Yes | QMessageBox::No,
                  parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtRuntime::ShowHelp(QWidget *parent, const QString &file) {
  const QString viewer = AppPath() + QLatin1Char('/') + kHelpViewer;
  if (!QProcess::startDetached(viewer, {file})) {
    ShowFailure(parent,
                QStringLiteral("The help cannot be shown: \"%1\" does not start.").arg(viewer));
  }
}

void QtRuntime::End() {
  QCoreApplication::exit(0);
}

}  // namespace kurvimo
