#include "ui/qt_runtime.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include "ui/window_design.h"

namespace kurvimo {

namespace {

// The help viewer is a program of its own beside this one, so that it stays usable while one of
// our modal windows is open.
const QString kHelpViewer = QStringLiteral("kurvimo-help");

}  // namespace

QtRuntime::QtRuntime() {
  helpViewer_.setProcessChannelMode(QProcess::ForwardedChannels);
}

// The help belongs to this run of the program and closes with it.
QtRuntime::~QtRuntime() {
  if (helpViewer_.state() == QProcess::NotRunning) return;
  helpViewer_.terminate();
  helpViewer_.waitForFinished();
}

QString QtRuntime::ProgramFolder() const {
  return QCoreApplication::applicationDirPath();
}

QString QtRuntime::UserDataFolder() const {
  return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
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

// One viewer at a time: while it is open, a line on its input asks it to come to the front.
void QtRuntime::ShowHelp(QWidget *parent, const QString &file) {
  if (helpViewer_.state() != QProcess::NotRunning) {
    helpViewer_.write("\n");
    return;
  }
  const QString viewer = ProgramFolder() + QLatin1Char('/') + kHelpViewer;
  helpViewer_.start(viewer, {file});
  if (!helpViewer_.waitForStarted()) {
    ShowFailure(parent,
                QStringLiteral("The help cannot be shown: \"%1\" does not start.").arg(viewer));
  }
}

void QtRuntime::Quit() {
  QCoreApplication::exit(0);
}

}  // namespace kurvimo
