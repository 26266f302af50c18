#pragma once

#include <QString>

namespace kurvimo {

// The file a Save As writes: `name` exactly as typed, with ".bmp" always added, in `folder`.
QString TargetPath(const QString &folder, const QString &name);

// The length of an existing regular file at `path`, or 0 when there is none.
qint64 ExistingLength(const QString &path);

// The question asked before a non-empty file is replaced.
QString OverwriteQuestion(const QString &path);

// What the user is told when a picture could not be written to `path`.
QString SaveFailure(const QString &path, const QString &reason);

}  // namespace kurvimo
