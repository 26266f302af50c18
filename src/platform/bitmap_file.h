#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kurvimo {

// A picture read from a file, or the reason why there is none.
struct Picture {
  QImage image;
  QString error;  // empty when `image` holds the whole picture

  bool ok() const { return error.isEmpty(); }
};

// Decodes a Windows bitmap, but only one whose header agrees with its bytes: Qt's reader fills a
// truncated file up to its declared size without a word, so the header is checked first.
Picture decodeBitmap(const QByteArray &bytes);

// Reads a regular file and decodes it as above. Folders, pipes and devices are refused unread.
Picture loadBitmap(const QString &path);

// Writes `image` as a bitmap through a temporary file in the same folder, renamed over `path` only
// once complete, so a failure leaves any earlier file as it was. Returns the reason of a failure,
// or an empty string.
QString saveBitmap(const QImage &image, const QString &path);

}  // namespace kurvimo
