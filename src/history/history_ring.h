#pragma once

#include <array>
#include <cstdint>

namespace kurvimo {

// Where a ring of the last kSlots recordings stands: the slot recorded next, whether it has gone
// round since the last reset, and the offset of the recording on show.
class RingPosition {
 public:
  static constexpr int kSlots = 1000;

  // Empties the ring for a new run; what the slots hold stays.
  void reset();
  // Moves on past the slot just recorded, wrapping after the last one.
  void advance();
  // Move the offset by n and report whether they did; a refused move changes nothing.
  bool moveBack(std::int16_t n);
  bool moveForward(std::int16_t n);

  // The slot the offset shows, counted back from the newest one.
  int selectedSlot() const;
  int nextSlot() const { return nextSlot_; }
  bool isWrapped() const { return wrapped_; }
  // How far back the recording on show lies: 0 the newest, -1 the one before; positive only once
  // wrapped.
  std::int16_t offset() const { return offset_; }

 private:
  int nextSlot_ = 0;
  bool wrapped_ = false;  // once true, the steps go round the whole ring
  std::int16_t offset_ = 0;
};

// The last kSlots recordings of an `Entry`, and the one on show.
template <typename Entry>
class HistoryRing : public RingPosition {
 public:
  // The slot to record into before advance().
  Entry &nextEntry() { return entries_[nextSlot()]; }
  const Entry &selectedEntry() const { return entries_[selectedSlot()]; }

 private:
  std::array<Entry, kSlots> entries_{};
};

}  // namespace kurvimo
