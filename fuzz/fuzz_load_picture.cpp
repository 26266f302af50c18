// Feeds arbitrary bytes to the background loader through a real file, as Start reads cls.bmp and
// sgz.bmp. Beyond not crashing or hanging, a picture may only be accepted whole: at the size its
// header declares, with every declared pixel byte present in the file.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>

#include "platform/bitmap_file.h"

namespace {

// A little-endian field of the header, signed.
std::int64_t Le(const std::uint8_t *data, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + i];
  return bytes == 2 ? static_cast<std::int16_t>(value) : static_cast<std::int32_t>(value);
}

QString scratchFile;  // where each input is written, to be read back as Start reads a file

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  scratchFile = QDir::tempPath() + QStringLiteral("/kurvimo-fuzz-%1.bmp").arg(::getpid());
  std::atexit([] { QFile::remove(scratchFile); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  QFile file(scratchFile);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
    std::abort();
  }
  file.close();
  const kurvimo::Picture picture = kurvimo::LoadBitmap(scratchFile);
  if (!picture.ok()) return 0;
  // What the header declares, read apart from the loader; the oldest header has 16-bit sizes.
  const int field = Le(data, 14, 4) == 12 ? 2 : 4;
  const std::int64_t width = Le(data, 18, field), height = std::llabs(Le(data, 18 + field, field));
  const std::int64_t end =
      std::uint32_t(Le(data, 10, 4)) + (width * Le(data, 20 + 2 * field, 2) + 31) / 32 * 4 * height;
  if (picture.image.width() != width || picture.image.height() != height || end > qint64(size))
    std::abort();
  return 0;
}
