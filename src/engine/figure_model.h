#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace kurvimo {

// Room in each term table; only the first `kansuu` (at most 16) entries are ever live.
constexpr int kTableSize = 31;

using TermTable = std::array<std::int16_t, kTableSize>;

// How many table entries `kansuu` makes live, never more than the tables hold.
inline int LiveTerms(int kansuu) {
  return std::clamp(kansuu, 0, kTableSize);
}

// The four parallel term tables: entry i of each together is term i of the figure.
struct TermTables {
  TermTable xAmp{};   // x amplitude, in tenths
  TermTable yAmp{};   // y amplitude, in tenths
  TermTable xFreq{};  // x phase step, in tenths of a radian
  TermTable yFreq{};  // y phase step, in tenths of a radian
};

// The numeric state of the main window: terms, slider copies, run flags, centring state.
struct FigureModel {
  TermTables terms;

  std::int16_t kansuu = 0;      // live terms, 4..16
  std::int16_t bairitu = 0;     // magnification, 0..20
  std::int16_t xichi = 0;       // canvas x of the walk's origin, 0..500
  std::int16_t yichi = 0;       // canvas y of the walk's origin, 0..500
  std::int16_t henka = 0;       // change speed, 0..10
  std::int16_t colorIndex = 0;  // palette entry, 0..15

  std::int16_t running = 0;
  std::int16_t reserveMode = 0;
  std::int32_t drawCount = 0;

  std::int16_t xShift = 0;      // added to every plotted x
  std::int16_t xCenterRef = 0;  // where figures are centred; 0 = no reference
  std::int16_t centerSet = 0;   // 1 once the first figure after Start is drawn
};

}  // namespace kurvimo
