#pragma once

#include <cstdint>

#include "history/term_tables.h"

namespace kurvimo {

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
