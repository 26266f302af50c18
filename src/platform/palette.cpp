#include "platform/palette.h"

#include <algorithm>
#include <array>

namespace kurvimo {

namespace {
constexpr std::array<QRgb, kPaletteSize> kPalette = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
}  // namespace

QRgb paletteColor(int index) {
  return qRgb(0, 0, 0) | kPalette[std::clamp(index, 0, kPaletteSize - 1)];
}

}  // namespace kurvimo
