#pragma once

#include <QString>

namespace kurvimo {

// Who runs the program.
struct User {
  uint id = 0;
  QString home;
};

// The user running this process. The home folder is $HOME, or where the password database puts
// it when $HOME is empty; empty when neither gives one.
User currentUser();

// The program's own folder among the user's data, as the XDG base directories mean it: below
// `xdgDataHome` where that is an absolute path, else below ~/.local/share. Empty without a home
// folder to put it in.
QString userDataFolder(const QString &xdgDataHome, const QString &home);

// Where a Reserve Start keeps the picture so far, sgz.bmp. Beside the program only where the
// installation is the user's own: a build tree, or an install in their home folder, that they own
// and may write, holding no sgz.bmp they may not replace. Everywhere else, a packaged or
// system-wide installation above all, whoever runs it, in `dataFolder`; empty when that is empty.
QString reservePicturePath(const QString &programFolder, const QString &dataFolder,
                           const User &user);

}  // namespace kurvimo
