#include "platform/qt_runtime.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace kurvimo {

QString QtRuntime::AppPath() const {
  return QCoreApplication::applicationDirPath();
}

void QtRuntime::ShowFailure(QWidget *parent, const QString &text) {
  QMessageBox::warning(parent, QStringLiteral("Kurvimo"), text);
}

void QtRuntime::End() {
  QCoreApplication::exit(0);
}

}  // namespace kurvimo
