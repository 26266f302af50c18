#pragma once

#include <cstdint>

#include "engine/term_tables.h"

namespace kurvimo {

// How a run begins: on the clean background, or on the picture drawn so far.
enum class DrawMode { New, Reserve };

// The numeric state of the main window: terms, slider copies, run flags, centring state.
struct FigureModel {
  TermTables terms;

  int termCount = 0;      // live terms, 4..16
  int magnification = 0;  // canvas pixels per unit of the walk, 0..20
  int xPosition = 0;      // canvas x of the walk's origin, 0..500
  int yPosition = 0;      // canvas y of the walk's origin, 0..500
  int changeSpeed = 0;    // each tick nudges changeSpeed + 1 times, 0..10
  int colorIndex = 0;     // palette entry, 0..15

  bool running = false;
  DrawMode drawMode = DrawMode::New;
  int figureCount = 0;  // figures drawn since Start

  // 16-bit, as the centring arithmetic saturates there.
  std::int16_t xShift = 0;           // added to every plotted x
  std::int16_t referenceCenter = 0;  // where figures are centred; 0 = no reference
  bool drawnSinceStart = false;      // the first figure after Start takes the reference

  bool operator==(const FigureModel &) const = default;
};

}  // namespace kurvimo
