#pragma once

#include <QString>

class QWidget;

namespace kurvimo {

// Gives a window of the program its caption, the program icon and the program's font.
void DesignWindow(QWidget *window, const QString &caption);

// Puts a secondary window about a quarter of the screen in from the left and top.
void PlaceSecondaryWindow(QWidget *window);

}  // namespace kurvimo
