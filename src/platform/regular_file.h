#pragma once

#include <QByteArray>
#include <QString>

namespace kurvimo {

// The system's or Qt's text of a failure as a reason that follows a colon mid-sentence: with its
// first letter in lower case, unless its first word is in capitals.
QString asReason(const QString &text);

// Reads a whole regular file of at most `maxBytes`. Folders, pipes and devices are refused unread,
// so a pipe put in a file's place cannot hang the program. Returns the reason of a failure, or an
// empty string.
QString readRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes);

// Makes the folder `path` and every missing folder above it. Returns the reason of a failure, or an
// empty string.
QString makeFolders(const QString &path);

// Replaces `path` with `bytes` through a temporary file in the same folder, renamed over `path`
// only once every byte is on disk. A failure leaves any earlier file as it was and no temporary
// file behind. Returns the reason of a failure, or an empty string.
QString replaceFile(const QString &path, const QByteArray &bytes);

}  // namespace kurvimo
