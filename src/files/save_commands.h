#pragma once

#include <QImage>
#include <QString>

#include "platform/runtime_services.h"

namespace kurvimo {

// What the name of every picture the program saves or lists ends in.
extern const QString kBitmapExtension;

// The file a Save As writes: `name` exactly as typed, with ".bmp" always added, in `folder`.
QString targetPath(const QString &folder, const QString &name);

// The length of an existing regular file at `path`, or 0 when there is none.
qint64 existingLength(const QString &path);

// The question asked before a non-empty file is replaced.
QString overwriteQuestion(const QString &path);

// Writes `image` to `path` as a bitmap. A failure is told to the user, with the path and the
// system's reason, and changes nothing else. True when the picture was written.
bool writePicture(RuntimeServices &runtime, QWidget *parent, const QImage &image,
                  const QString &path);

}  // namespace kurvimo
