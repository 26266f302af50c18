#include "platform/qt_runtime.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace kurvimo {

namespace {

const QString kTitle = QStringLiteral("Kurvimo");

}  // namespace

QString QtRuntime::AppPath() const {
  return QCoreApplication::applicationDirPath();
}

void QtRuntime::ShowFailure(QWidget *parent, const QString &text) {
  QMessageBox::warning(parent, kTitle, text);
}

bool QtRuntime::AskYesNo(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtRuntime::End() {
  QCoreApplication::exit(0);
}

}  // namespace kurvimo
