#include "files/picture_places.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

namespace kurvimo {

namespace {

const QString kReservePicture = QStringLiteral("sgz.bmp");
const QString kProgramData = QStringLiteral("kurvimo");
const QString kDefaultDataHome = QStringLiteral(".local/share");
// What every CMake build folder holds; the program runs from one only while it is being worked on.
const QString kBuildTreeMark = QStringLiteral("CMakeFiles");

}  // namespace

User currentUser() {
  const uid_t id = ::getuid();
  QString home = qEnvironmentVariable("HOME");
  if (home.isEmpty()) {
    if (const passwd *entry = ::getpwuid(id)) home = QFile::decodeName(entry->pw_dir);
  }
  return {id, home};
}

QString userDataFolder(const QString &xdgDataHome, const QString &home) {
  if (QDir::isAbsolutePath(xdgDataHome)) return QDir(xdgDataHome).filePath(kProgramData);
  if (home.isEmpty()) return {};
  return QDir(home).filePath(kDefaultDataHome + QLatin1Char('/') + kProgramData);
}

QString reservePicturePath(const QString &programFolder, const QString &dataFolder,
                           const User &user) {
  const QDir folder(programFolder);
  const QFileInfo program(programFolder);
  const QFileInfo kept(folder.filePath(kReservePicture));
  const QString home = QDir(user.home).canonicalPath();
  const bool inHome = !home.isEmpty() && program.canonicalFilePath().startsWith(home + '/');
  const bool buildTree = QFileInfo(folder.filePath(kBuildTreeMark)).isDir();
  const bool usersOwn = (inHome || buildTree) && program.ownerId() == user.id &&
                        program.isWritable() &&
                        (!kept.exists() || (kept.isFile() && kept.ownerId() == user.id));
  if (usersOwn) return kept.filePath();
  return dataFolder.isEmpty() ? QString() : QDir(dataFolder).filePath(kReservePicture);
}

}  // namespace kurvimo
