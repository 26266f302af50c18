#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>

namespace kurvimo {

namespace {

// The reasons told to the user, in their language.
struct Texts {
  Q_DECLARE_TR_FUNCTIONS(kurvimo::RegularFile)
};

QString systemReason(int error) {
  return asReason(qt_error_string(error));
}

QString readOpenFile(int fd, qint64 maxBytes, QByteArray &bytes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return systemReason(errno);
  if (S_ISDIR(st.st_mode)) return Texts::tr("it is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return Texts::tr("it is not a regular file");
  if (st.st_size > maxBytes) return Texts::tr("it is too large (%1 bytes)").arg(st.st_size);
  bytes.resize(static_cast<qsizetype>(st.st_size));
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return systemReason(errno);
    if (got == 0) break;
    done += got;
  }
  bytes.truncate(done);
  return {};
}

QString writeAll(int fd, const QByteArray &bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return systemReason(errno);
    if (put == 0) return systemReason(ENOSPC);
    done += put;
  }
  return {};
}

}  // namespace

QString asReason(const QString &text) {
  if (text.size() < 2 || !text[1].isLower()) return text;
  return text[0].toLower() + text.mid(1);
}

QString readRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return systemReason(errno);
  const QString error = readOpenFile(fd, maxBytes, bytes);
  ::close(fd);
  return error;
}

QString makeFolders(const QString &path) {
  const QStringList parts = QDir::cleanPath(path).split(QLatin1Char('/'));
  QString made;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    made += (i == 0 ? QString() : QStringLiteral("/")) + parts[i];
    if (parts[i].isEmpty() || parts[i] == QLatin1String(".")) continue;  // the root, or here
    const QByteArray name = QFile::encodeName(made);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) continue;
      return systemReason(ENOTDIR);
    }
    if (::mkdir(name.constData(), 0777) != 0) return systemReason(errno);
  }
  return {};
}

QString replaceFile(const QString &path, const QByteArray &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return asReason(file.errorString());
  // Written straight to the descriptor: QSaveFile can commit a short file after a failed write,
  // and its error text for a full disk is "Unknown error".
  QString reason = writeAll(file.handle(), bytes);
  if (reason.isEmpty() && ::fsync(file.handle()) != 0) reason = systemReason(errno);
  if (!reason.isEmpty()) {
    file.cancelWriting();
    file.commit();  // discards the temporary file
    return reason;
  }
  if (!file.commit()) return asReason(file.errorString());
  return {};
}

}  // namespace kurvimo
