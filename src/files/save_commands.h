#pragma once

#include <QImage>
#include <QString>

namespace kurvimo {

// What the name of every picture the program saves or lists ends in.
extern const QString kBitmapExtension;

// The file a Save As writes: `name` exactly as typed, with ".bmp" always added, in `folder`.
QString targetPath(const QString &folder, const QString &name);

// The length of an existing regular file at `path`, or 0 when there is none.
qint64 existingLength(const QString &path);

// The question asked before a non-empty file is replaced.
QString overwriteQuestion(const QString &path);

// Writes `image` to `path` as a bitmap. Returns what to tell the user of a failure, naming the path
// and the system's reason, or an empty string; a failure changes nothing else.
QString writePicture(const QImage &image, const QString &path);

}  // namespace kurvimo
