#pragma once

#include <array>
#include <cstdint>

#include "history/term_tables.h"

namespace kurvimo {

// The last 1000 recorded term sets, and the offset of the one on show.
class HistoryRing {
 public:
  static constexpr int kSlots = 1000;
  // Declared with room for one slot more than the ring uses; that slot is never touched.
  using Table = std::array<std::array<std::int16_t, kSlots + 1>, kTableSize>;

  // Empties the ring for a new run; the recorded values stay in the tables.
  void Reset();
  // Stores the live entries in the slot at histPos and moves histPos on, wrapping after 999.
  void Record(const TermTables &terms, std::int16_t kansuu);

  // Move the offset by n and report whether they did; a refused move changes nothing.
  bool MoveBack(std::int16_t n);
  bool MoveForward(std::int16_t n);

  // The slot the current offset shows, counted back from the newest one.
  int SelectedSlot() const;
  // Copies the selected slot into the live entries of `terms`.
  void Restore(TermTables &terms, std::int16_t kansuu) const;

  Table histXAmp{};
  Table histYAmp{};
  Table histXFreq{};
  Table histYFreq{};
  std::int16_t histPos = 0;
  std::int16_t histFull = 0;
  std::int16_t modoru = 0;
};

}  // namespace kurvimo
