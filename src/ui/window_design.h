#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <Qt>

class QWidget;

namespace kurvimo {

// A title bar with a close box, and no maximise or minimise box, as every window of the program
// has.
constexpr Qt::WindowFlags kCloseBoxOnly = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// The main window's title, which its messages and the help viewer bear too.
constexpr QLatin1String kProgramName("Kurvimo");

// Names the program to Qt and the desktop: its data folder and the menu entry that its windows
// belong to follow these, however the program was started.
void nameApplication();

// Shows the program's texts, and Qt's own such as Yes and No, in the first of `languages` (the
// user's interface languages unless given) that has a translation, unless English comes before it;
// in English, as written, otherwise. Called again, it follows the languages given.
void installTranslations(const QStringList &languages = QLocale().uiLanguages());

// Gives a window of the program its caption, the program icon and the program's font.
void designWindow(QWidget *window, const QString &caption);

}  // namespace kurvimo
