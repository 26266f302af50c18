#pragma once

#include <QRgb>

namespace kurvimo {

constexpr int kPaletteSize = 16;

// Entry `index` of the classic 16-colour palette; an index outside 0..15 is clamped into it.
QRgb paletteColor(int index);

}  // namespace kurvimo
