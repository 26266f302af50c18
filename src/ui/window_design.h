#pragma once

#include <QString>
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

// Shows the program's texts, and Qt's own such as Yes and No, in the first of the user's interface
// languages that has a translation, unless English comes before it; in English, as written,
// otherwise. Called again, it follows a changed default locale.
void installTranslations();

// Gives a window of the program its caption, the program icon and the program's font.
void designWindow(QWidget *window, const QString &caption);

}  // namespace kurvimo
