#include "files/save_commands.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/bitmap_file.h"

namespace kurvimo {

const QString kBitmapExtension = QStringLiteral(".bmp");

namespace {

const QChar kSeparator = QLatin1Char('/');
const QString kOverwriteSuffix = QStringLiteral(" ファイルは既に存在します。上書きしますか？");

}  // namespace

QString targetPath(const QString &folder, const QString &name) {
  // The root folder already ends in a separator.
  if (folder.endsWith(kSeparator)) return folder + name + kBitmapExtension;
  return folder + kSeparator + name + kBitmapExtension;
}

qint64 existingLength(const QString &path) {
  const QFileInfo info(path);
  return info.isFile() ? info.size() : 0;
}

QString overwriteQuestion(const QString &path) {
  return path + kOverwriteSuffix;
}

QString writePicture(const QImage &image, const QString &path) {
  const QString reason = saveBitmap(image, path);
  if (reason.isEmpty()) return reason;
  return QCoreApplication::translate("kurvimo::SaveCommands",
                                     "The picture was not saved.\n\n\"%1\" cannot be written: %2.")
      .arg(path, reason);
}

}  // namespace kurvimo
