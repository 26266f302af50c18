#include "files/picture_places.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>

namespace kurvimo {

namespace {

const QString kReservePicture = QStringLiteral("sgz.bmp");
// What every CMake build folder holds; the program runs from one only while it is being worked on.
const QString kBuildTreeMark = QStringLiteral("CMakeFiles");

}  // namespace

User currentUser() {
  return {::getuid(), QDir::homePath()};
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
  return usersOwn ? kept.filePath() : QDir(dataFolder).filePath(kReservePicture);
}

}  // namespace kurvimo
