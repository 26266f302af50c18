// Feeds arbitrary bytes to the background loader through a real file, as Start reads cls.bmp and
// sgz.bmp. Beyond not crashing or hanging, a picture may only be accepted whole: Qt's own reader,
// given the same bytes followed by more, whatever they are, must read the very same picture.
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <cstring>

#include "platform/bitmap_file.h"

namespace {

QString scratchFile;  // where each input is written, to be read back as Start reads a file

// Whether Qt's reader, given `bytes` and more after them, reads `image`. Compared byte for byte:
// QImage's == looks colours up even for indices its colour table lacks.
bool ReadsTheSame(const QImage &image, QByteArray bytes, char fill) {
  QBuffer buffer;
  buffer.setData(bytes.append(QByteArray(256 * 1024, fill)));
  const QImage read = QImageReader(&buffer, "bmp").read();
  if (read.size() != image.size() || read.format() != image.format() ||
      read.colorTable() != image.colorTable())
    return false;
  for (int y = 0; y < image.height(); ++y) {
    if (std::memcmp(read.constScanLine(y), image.constScanLine(y),
                    (image.width() * image.depth() + 7) / 8) != 0)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  scratchFile = QDir::tempPath() + QStringLiteral("/kurvimo-fuzz-%1.bmp").arg(::getpid());
  std::atexit([] { QFile::remove(scratchFile); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  QFile file(scratchFile);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    std::abort();
  file.close();
  const kurvimo::Picture picture = kurvimo::LoadBitmap(scratchFile);
  if (picture.ok() &&
      !(ReadsTheSame(picture.image, bytes, 0) && ReadsTheSame(picture.image, bytes, -1)))
    std::abort();
  return 0;
}
