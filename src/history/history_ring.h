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
  void reset();
  // Stores the live entries in the slot at nextSlot and moves nextSlot on, wrapping after 999.
  void record(const TermTables &terms, int termCount);

  // Move the offset by n and report whether they did; a refused move changes nothing.
  bool moveBack(std::int16_t n);
  bool moveForward(std::int16_t n);

  // The slot the current offset shows, counted back from the newest one.
  int selectedSlot() const;
  // Copies the selected slot into the live entries of `terms`.
  void restore(TermTables &terms, int termCount) const;

  // One table per term table, indexed by term and slot.
  Table xAmp{};
  Table yAmp{};
  Table xFreq{};
  Table yFreq{};
  int nextSlot = 0;      // the slot the next figure is recorded in, 0..999
  bool wrapped = false;  // once true, the steps go round the whole ring
  // How far back the figure on show lies: 0 the newest, -1 the one before; positive only once
  // wrapped. 16-bit, and the steps keep it so.
  std::int16_t offset = 0;

  bool operator==(const HistoryRing &) const = default;
};

}  // namespace kurvimo
