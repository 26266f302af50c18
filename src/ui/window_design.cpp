#include "ui/window_design.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

namespace kurvimo {

namespace {

const QString kIconPath = QStringLiteral(":/kurvimo.png");
const QString kFontFamily = QStringLiteral("Arial");
const QString kTranslations = QStringLiteral("kurvimo");  // kurvimo_<language>.qm
constexpr int kFontPoints = 9;

}  // namespace

void nameApplication() {
  QCoreApplication::setApplicationName(QStringLiteral("kurvimo"));
  QGuiApplication::setDesktopFileName(QStringLiteral(KURVIMO_APP_ID));
}

void installTranslations() {
  static QTranslator program, qt;
  for (QTranslator *translator : {&program, &qt}) QCoreApplication::removeTranslator(translator);
  if (program.load(QLocale(), kTranslations, QStringLiteral("_"), QStringLiteral(":/i18n")))
    QCoreApplication::installTranslator(&program);
  if (qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qt);
}

void designWindow(QWidget *window, const QString &caption) {
  window->setWindowTitle(caption);
  window->setWindowIcon(QIcon(kIconPath));
  window->setFont(QFont(kFontFamily, kFontPoints));
}

}  // namespace kurvimo
