// Feeds arbitrary bytes to the background loader through a real file, as Start reads cls.bmp and
// sgz.bmp. Beyond not crashing or hanging, a picture may only be accepted whole: Qt's own reader,
// given the same bytes followed by more, whatever they are, must read the very same picture.
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QImageReader>

#include "platform/bitmap_file.h"

namespace {

QString scratchFile;  // where each input is written, to be read back as Start reads a file

// Whether Qt's reader, given `bytes` and more after them, reads the pixels of `image`.
bool ReadsTheSame(const QImage &image, QByteArray bytes, char fill) {
  QBuffer buffer;
  buffer.setData(bytes.append(QByteArray(256 * 1024, fill)));
  const auto pixels = [](const QImage &i) { return i.convertToFormat(QImage::Format_ARGB32); };
  return pixels(QImageReader(&buffer, "bmp").read()) == pixels(image);
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
