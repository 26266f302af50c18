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

// English is the program's own language, so the first English (or C) entry of the user's list ends
// the search; QTranslator would go on to the next language that has a catalogue.
void installTranslations(const QStringList &languages) {
  static QTranslator program, qt;
  for (QTranslator *translator : {&program, &qt}) QCoreApplication::removeTranslator(translator);
  for (const QString &name : languages) {
    const QLocale language(name);
    if (language.language() == QLocale::English || language.language() == QLocale::C) return;
    if (!program.load(language, kTranslations, QStringLiteral("_"), QStringLiteral(":/i18n")))
      continue;
    QCoreApplication::installTranslator(&program);
    if (qt.load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(&qt);
    return;
  }
}

void designWindow(QWidget *window, const QString &caption) {
  window->setWindowTitle(caption);
  window->setWindowIcon(QIcon(kIconPath));
  window->setFont(QFont(kFontFamily, kFontPoints));
}

}  // namespace kurvimo
