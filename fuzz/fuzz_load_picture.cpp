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

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12;

std::int64_t Le(const std::uint8_t *data, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + i];
  return bytes == 2 ? static_cast<std::int16_t>(value) : static_cast<std::int32_t>(value);
}

// The size and byte count an accepted file must live up to, read straight from its header.
struct Declared {
  std::int64_t width, height, end;
};

Declared Declare(const std::uint8_t *data) {
  const bool core = Le(data, kFileHeader, 4) == kCoreHeader;
  const int field = core ? 2 : 4;
  const std::int64_t width = Le(data, 18, field);
  const std::int64_t height = std::llabs(Le(data, 18 + field, field));
  const std::int64_t bits = Le(data, 20 + 2 * field, 2);
  const std::int64_t offset = static_cast<std::uint32_t>(Le(data, 10, 4));
  return {width, height, offset + (width * bits + 31) / 32 * 4 * height};
}

QString scratchFile;  // where each input is written, to be read back as Start reads a file

void Write(const QString &path, const std::uint8_t *data, std::size_t size) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
          static_cast<qint64>(size)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  scratchFile = QDir::tempPath() + QStringLiteral("/kurvimo-fuzz-%1.bmp").arg(::getpid());
  std::atexit([] { QFile::remove(scratchFile); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  Write(scratchFile, data, size);
  const kurvimo::Picture picture = kurvimo::LoadPicture(scratchFile);
  if (!picture.ok()) return 0;
  const Declared declared = Declare(data);
  if (picture.image.isNull() || picture.image.width() != declared.width ||
      picture.image.height() != declared.height || declared.end > static_cast<std::int64_t>(size)) {
    std::abort();
  }
  return 0;
}
