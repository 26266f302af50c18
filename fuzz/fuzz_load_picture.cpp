// Feeds arbitrary bytes to the background loader through a file, as Start reads one. Beyond not
// crashing or hanging, it accepts only a whole picture: the one Qt reads from the bytes and more.
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QImageReader>

#include "platform/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const QString scratch =
      QDir::tempPath() + QStringLiteral("/kurvimo-fuzz-%1.bmp").arg(::getpid());
  static const int removed = std::atexit([] { QFile::remove(scratch); });
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  QFile file(scratch);
  if (removed != 0 || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    std::abort();
  file.close();
  const kurvimo::Picture picture = kurvimo::loadBitmap(scratch);
  const auto pixels = [](const QImage &i) { return i.convertToFormat(QImage::Format_ARGB32); };
  if (!picture.ok()) return 0;
  QBuffer padded;  // Qt's reader fills a cut file with zeros
  padded.setData(bytes + QByteArray(256 * 1024, '\xff'));
  QImage more;  // what run-length codes skip is palette entry 0, as the loader has it
  if (picture.image.format() == QImage::Format_Indexed8) {
    more = QImage(picture.image.size(), QImage::Format_Indexed8);
    more.fill(0);
  }
  if (!QImageReader(&padded, "bmp").read(&more) || pixels(more) != pixels(picture.image))
    std::abort();
  return 0;
}
