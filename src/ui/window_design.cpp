#include "ui/window_design.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include "files/window_placement.h"

namespace kurvimo {

namespace {

const QString kIconPath = QStringLiteral(":/kurvimo.png");
const QString kFontFamily = QStringLiteral("Arial");
constexpr int kFontPoints = 9;

}  // namespace

void NameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("kurvimo"));
  QGuiApplication::setDesktopFileName(QStringLiteral(KURVIMO_APP_ID));
}

void DesignWindow(QWidget *window, const QString &caption) {
  window->setWindowTitle(caption);
  window->setWindowIcon(QIcon(kIconPath));
  window->setFont(QFont(kFontFamily, kFontPoints));
}

void PlaceSecondaryWindow(QWidget *window) {
  const QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  window->move(PlaceOnScreen(screen->geometry(), screen->logicalDotsPerInchX()));
}

}  // namespace kurvimo
