#pragma once

#include <sys/mount.h>
#include <sys/resource.h>

#include <csignal>

#include <QFile>
#include <QTemporaryDir>

namespace kurvimo::testing {

// A folder on a tmpfs of a few bytes, where the test may mount one: a disk that really fills up,
// or one that nobody, root included, can write to.
class SmallDisk {
 public:
  explicit SmallDisk(qint64 bytes, bool readOnly = false) {
    const QByteArray options = "size=" + QByteArray::number(bytes);
    mounted_ = ::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs",
                       readOnly ? MS_RDONLY : 0, options.constData()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk &) = delete;
  SmallDisk &operator=(const SmallDisk &) = delete;

  bool mounted() const { return mounted_; }
  QString path() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
  bool mounted_ = false;
};

// Where no disk can be mounted: a limit on the size of the files this process writes, so that a
// write fails part way as on a full disk, with "File too large" for a reason.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, SIG_IGN);  // else the write kills the process instead of failing
    const rlimit limited{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  rlimit old_{};
};

}  // namespace kurvimo::testing
