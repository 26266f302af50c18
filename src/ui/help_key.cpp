#include "ui/help_key.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace kurvimo {

HelpKey::HelpKey(RuntimeServices &runtime, QObject *parent) : QObject(parent), runtime_(runtime) {
  // Watching the application sees F1 in every window, the modal ones included.
  qApp->installEventFilter(this);
}

bool HelpKey::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress || helpFile_.isEmpty() || !watched->isWidgetType()) {
    return false;
  }
  const auto *key = static_cast<QKeyEvent *>(event);
  if (key->key() != Qt::Key_F1 || key->isAutoRepeat()) return false;
  // Taken here, so the key does not travel on to the parents and open the help again.
  runtime_.showHelp(static_cast<QWidget *>(watched)->window(), helpFile_);
  return true;
}

}  // namespace kurvimo
