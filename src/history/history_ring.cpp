#include "history/history_ring.h"

#include <cstdlib>
#include <limits>

namespace kurvimo {

namespace {

bool fitsInt16(int value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

void RingPosition::reset() {
  nextSlot_ = 0;
  wrapped_ = false;
  offset_ = 0;
}

void RingPosition::advance() {
  if (++nextSlot_ == kSlots) {
    nextSlot_ = 0;
    wrapped_ = true;
  }
}

// Before the ring has wrapped only recorded figures can be reached. The 16-bit offset must also
// stay representable: a wrapped ring would otherwise let it count down forever and overflow.
bool RingPosition::moveBack(std::int16_t n) {
  if (!wrapped_ && std::abs(offset_) > nextSlot_ - (n + 1)) return false;
  const int moved = offset_ - n;
  if (!fitsInt16(moved)) return false;
  offset_ = static_cast<std::int16_t>(moved);
  return true;
}

bool RingPosition::moveForward(std::int16_t n) {
  const int moved = offset_ + n;
  if (!wrapped_ && moved > 0) return false;
  if (!fitsInt16(moved)) return false;
  offset_ = static_cast<std::int16_t>(moved);
  return true;
}

int RingPosition::selectedSlot() const {
  const int back = nextSlot_ - 1 - std::abs(static_cast<int>(offset_));
  return ((back % kSlots) + kSlots) % kSlots;
}

}  // namespace kurvimo
