#pragma once

#include <QString>

namespace kurvimo {

// Who runs the program.
struct User {
  uint id = 0;
  QString home;
};

// The user running this process.
User currentUser();

// Where a Reserve Start keeps the picture so far, sgz.bmp. Beside the program only where the
// installation is the user's own: a build tree, or an install in their home folder, that they own
// and may write, holding no sgz.bmp they may not replace. Everywhere else, a packaged or
// system-wide installation above all, whoever runs it, in `dataFolder`.
QString reservePicturePath(const QString &programFolder, const QString &dataFolder,
                           const User &user);

}  // namespace kurvimo
