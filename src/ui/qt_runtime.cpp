#include "ui/qt_runtime.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

#include "files/picture_places.h"
#include "platform/regular_file.h"
#include "ui/window_design.h"

namespace kurvimo {

namespace {

// The help viewer is a program of its own beside this one, so that it stays usable while one of
// our modal windows is open.
const QString kHelpViewer = QStringLiteral("kurvimo-help");
// How long the end of the program waits for the viewer to go, twice: asked, then killed.
constexpr int kViewerGraceMs = 500;

}  // namespace

// The viewer answers each request on its input with a line on its output. A viewer that ends
// with a request unanswered, even one that had ended unnoticed when asked, is replaced.
QtRuntime::QtRuntime(const QString &programFolder) : programFolder_(programFolder) {
  helpViewer_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QObject::connect(&helpViewer_, &QProcess::readyReadStandardOutput, [this] {
    unanswered_ = qMax(0, unanswered_ - int(helpViewer_.readAllStandardOutput().count('\n')));
  });
  QObject::connect(&helpViewer_, &QProcess::finished, [this] {
    if (unanswered_ > 0) startHelpViewer();
  });
  QObject::connect(&helpViewer_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    showFailure(helpAskedFrom_,
                tr("The help cannot be shown: \"%1\" does not start: %2.")
                    .arg(helpViewer_.program(), asReason(helpViewer_.errorString())));
  });
}

// The help belongs to this run of the program and closes with it, within about a second even if
// the viewer hangs or has been stopped.
QtRuntime::~QtRuntime() {
  helpViewer_.disconnect();
  if (helpViewer_.state() == QProcess::NotRunning) return;
  helpViewer_.terminate();
  if (helpViewer_.waitForFinished(kViewerGraceMs)) return;
  helpViewer_.kill();
  helpViewer_.waitForFinished(kViewerGraceMs);
}

QString QtRuntime::programFolder() const {
  return programFolder_;
}

QString QtRuntime::userDataFolder() const {
  return kurvimo::userDataFolder(qEnvironmentVariable("XDG_DATA_HOME"), currentUser().home);
}

// From the event loop, never inside the call that failed: that may be a signal of the viewer's
// process or an accessibility action, which would be held up until the box closes.
void QtRuntime::showFailure(QWidget *parent, const QString &text) {
  QTimer::singleShot(0, qApp, [parent = QPointer<QWidget>(parent), text] {
    QMessageBox::warning(parent, kProgramName, text);
  });
}

bool QtRuntime::askYesNo(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::Warning, kProgramName, text, QMessageBox::Yes | QMessageBox::No,
                  parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

// One viewer at a time: while it runs, a line on its input asks it to come to the front. Nothing
// here waits for it, so the window and its timer go on.
void QtRuntime::showHelp(QWidget *parent, const QString &file) {
  helpAskedFrom_ = parent;
  helpFile_ = file;
  if (helpViewer_.state() == QProcess::NotRunning) return startHelpViewer();
  ++unanswered_;
  helpViewer_.write("\n");
}

void QtRuntime::startHelpViewer() {
  unanswered_ = 0;
  helpViewer_.start(programFolder() + QLatin1Char('/') + kHelpViewer, {helpFile_});
}

void QtRuntime::quit() {
  QCoreApplication::exit(0);
}

}  // namespace kurvimo
