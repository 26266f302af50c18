#include "platform/bitmap_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/regular_file.h"

namespace kurvimo {

namespace {

// The reasons told to the user, in their language.
struct Texts {
  Q_DECLARE_TR_FUNCTIONS(kurvimo::BitmapFile)
};

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kCoreHeaderSize = 12;  // the oldest form: 16-bit sizes, 3-byte palette
constexpr qsizetype kInfoHeaderSize = 40;
constexpr qsizetype kV4HeaderSize = 108;
constexpr qsizetype kV5HeaderSize = 124;
constexpr qsizetype kMaskBytes = 12;  // three colour masks after an info header
// Where the fields are, from the start of the file. The size fields are 2 bytes each in the core
// header, 4 in the others; the planes, then the bits per pixel, 2 bytes each, follow them.
constexpr qsizetype kPixelOffsetAt = 10;
constexpr qsizetype kWidthAt = kFileHeaderSize + 4;
constexpr qsizetype kCompressionAt = 30;
constexpr qsizetype kColoursUsedAt = 46;
constexpr std::int64_t kMaxSide = 32768;
constexpr std::int64_t kMaxPixels = 4096 * 4096;  // 64 MB as 32-bit pixels
constexpr std::int64_t kMaxFileBytes = kMaxPixels * 4 + 65536;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t le(const QByteArray &b, qsizetype at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(b[at + i]);
  }
  return value;
}

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, whichever way they run
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kUncompressed;
  std::int64_t colours = 0;  // palette entries
  std::int64_t headerEnd = 0;
  std::int64_t pixelOffset = 0;
};

bool knownDibSize(qsizetype size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == kV4HeaderSize ||
         size == kV5HeaderSize;
}

bool knownFormat(const Header &h) {
  switch (h.bitCount) {
    case 1:
    case 24:
      return h.compression == kUncompressed;
    case 4:
      return h.compression == kUncompressed || h.compression == kRle4;
    case 8:
      return h.compression == kUncompressed || h.compression == kRle8;
    case 16:
    case 32:
      return h.compression == kUncompressed || h.compression == kBitFields;
    default:
      return false;
  }
}

// Fills `h` from the two headers; returns the reason when they cannot describe a whole picture.
QString readHeader(const QByteArray &b, Header &h) {
  if (b.isEmpty()) return Texts::tr("the file is empty");
  if (b.size() < kFileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M') {
    return Texts::tr("it is not a Windows bitmap");
  }
  const qsizetype dib = le(b, kFileHeaderSize, 4);
  if (!knownDibSize(dib)) return Texts::tr("its header is damaged or of an unknown kind");
  if (b.size() < kFileHeaderSize + dib) return Texts::tr("it ends inside its header");
  const bool core = dib == kCoreHeaderSize;
  const int sizeBytes = core ? 2 : 4;
  const qsizetype planesAt = kWidthAt + 2 * sizeBytes;
  h.width = static_cast<std::int32_t>(le(b, kWidthAt, sizeBytes));
  h.height = std::llabs(static_cast<std::int32_t>(le(b, kWidthAt + sizeBytes, sizeBytes)));
  const std::uint32_t planes = le(b, planesAt, 2);
  h.bitCount = le(b, planesAt + 2, 2);
  h.compression = core ? kUncompressed : le(b, kCompressionAt, 4);
  const std::int64_t used = core ? 0 : le(b, kColoursUsedAt, 4);
  if (planes != 1 || !knownFormat(h)) {
    return Texts::tr("it uses a compression or colour format that is not supported");
  }
  if (h.width < 1 || h.height < 1) return Texts::tr("its header gives no size");
  if (h.width > kMaxSide || h.height > kMaxSide || h.width * h.height > kMaxPixels) {
    return Texts::tr("its size of %1 × %2 pixels is too large").arg(h.width).arg(h.height);
  }
  if (h.bitCount <= 8) {
    const std::int64_t full = std::int64_t{1} << h.bitCount;
    if (used > full) return Texts::tr("its header is damaged");
    h.colours = used != 0 ? used : full;
  }
  const bool masksFollow = dib == kInfoHeaderSize && h.compression == kBitFields;
  h.headerEnd = kFileHeaderSize + dib + (masksFollow ? kMaskBytes : 0) + h.colours * (core ? 3 : 4);
  h.pixelOffset = le(b, kPixelOffsetAt, 4);
  if (h.pixelOffset < h.headerEnd) return Texts::tr("its header is damaged");
  return {};
}

std::int64_t pixelBytes(const Header &h) {
  const std::int64_t rowBytes = (h.width * h.bitCount + 31) / 32 * 4;
  return rowBytes * h.height;
}

bool runLengthCoded(const Header &h) {
  return h.compression == kRle8 || h.compression == kRle4;
}

// Run-length coded pixels are whole when their codes end the picture before the file ends. A run
// of one value may pass the end of its row, as writers pad rows to an even width, and is clipped
// there; pixels given one by one may not, as Qt's reader would then read fewer of them than there
// are and take the rest for codes. Returns the reason when they are not whole.
QString checkRunLengths(const QByteArray &b, const Header &h) {
  const auto byte = [&](qsizetype at) { return static_cast<std::uint8_t>(b[at]); };
  std::int64_t x = 0;
  std::int64_t y = 0;  // rows from the bottom
  for (qsizetype at = h.pixelOffset; at + 2 <= b.size();) {
    const int count = byte(at);
    const int code = byte(at + 1);
    at += 2;
    if (count > 0) {  // `count` pixels of one value
      x = std::min(h.width, x + count);
    } else if (code == 0) {  // end of the row
      x = 0;
      if (++y == h.height) return {};
    } else if (code == 1) {  // end of the picture
      return {};
    } else if (code == 2) {  // a move right and up
      if (at + 2 > b.size()) break;
      x += byte(at);
      y += byte(at + 1);
      at += 2;
      if (x >= h.width || y >= h.height) return Texts::tr("its pixels run outside the picture");
    } else {  // `code` pixels as they are, padded to 16 bits
      const qsizetype bytes = h.compression == kRle8 ? code : (code + 1) / 2;
      at += bytes + bytes % 2;
      if (at > b.size()) break;
      x += code;
      if (x > h.width) return Texts::tr("its pixels run outside the picture");
    }
  }
  return Texts::tr("it is cut short: its pixels end before the picture does");
}

}  // namespace

Picture decodeBitmap(const QByteArray &bytes) {
  Header h;
  if (QString error = readHeader(bytes, h); !error.isEmpty()) return {{}, error};
  if (runLengthCoded(h)) {
    if (QString error = checkRunLengths(bytes, h); !error.isEmpty()) return {{}, error};
  } else if (const std::int64_t needed = h.pixelOffset + pixelBytes(h); needed > bytes.size()) {
    return {{},
            Texts::tr("it is cut short: its header announces %1 bytes, the file holds %2")
                .arg(needed)
                .arg(bytes.size())};
  }
  QBuffer buffer;
  buffer.setData(bytes);
  QImageReader reader(&buffer, "bmp");
  QImage image;
  // Qt's reader leaves the pixels that run-length codes skip as it found them; given an image of
  // the size and kind it reads, it reads into that, so they are palette entry 0.
  if (runLengthCoded(h)) {
    image = QImage(int(h.width), int(h.height), QImage::Format_Indexed8);
    image.fill(0);
  }
  if (!reader.read(&image)) return {{}, Texts::tr("its pixels cannot be read")};
  if (image.width() != h.width || image.height() != h.height) {
    return {{}, Texts::tr("its pixels do not match its header")};
  }
  return {image, {}};
}

Picture loadBitmap(const QString &path) {
  QByteArray bytes;
  QString error = readRegularFile(path, kMaxFileBytes, bytes);
  if (!error.isEmpty()) return {{}, error};
  return decodeBitmap(bytes);
}

QString saveBitmap(const QImage &image, const QString &path) {
  // Encoded in memory first, so the file only ever sees a complete picture.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "bmp");
  if (!writer.write(image)) return asReason(writer.errorString());
  return replaceFile(path, bytes);
}

}  // namespace kurvimo
