#include "history/history_ring.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace kurvimo {

namespace {

bool fitsInt16(int value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

void HistoryRing::reset() {
  nextSlot = 0;
  wrapped = false;
  offset = 0;
}

void HistoryRing::record(const TermTables &terms, int termCount) {
  for (int i = 0; i < liveTerms(termCount); ++i) {
    xAmp[i][nextSlot] = terms.xAmp[i];
    yAmp[i][nextSlot] = terms.yAmp[i];
    xFreq[i][nextSlot] = terms.xFreq[i];
    yFreq[i][nextSlot] = terms.yFreq[i];
  }
  if (++nextSlot == kSlots) {
    nextSlot = 0;
    wrapped = true;
  }
}

// Before the ring has wrapped only recorded figures can be reached. The 16-bit offset must also
// stay representable: a wrapped ring would otherwise let it count down forever and overflow.
bool HistoryRing::moveBack(std::int16_t n) {
  if (!wrapped && std::abs(offset) > nextSlot - (n + 1)) return false;
  const int moved = offset - n;
  if (!fitsInt16(moved)) return false;
  offset = static_cast<std::int16_t>(moved);
  return true;
}

bool HistoryRing::moveForward(std::int16_t n) {
  const int moved = offset + n;
  if (!wrapped && moved > 0) return false;
  if (!fitsInt16(moved)) return false;
  offset = static_cast<std::int16_t>(moved);
  return true;
}

int HistoryRing::selectedSlot() const {
  const int back = nextSlot - 1 - std::abs(static_cast<int>(offset));
  return ((back % kSlots) + kSlots) % kSlots;
}

void HistoryRing::restore(TermTables &terms, int termCount) const {
  const int slot = selectedSlot();
  for (int i = 0; i < liveTerms(termCount); ++i) {
    terms.xAmp[i] = xAmp[i][slot];
    terms.yAmp[i] = yAmp[i][slot];
    terms.xFreq[i] = xFreq[i][slot];
    terms.yFreq[i] = yFreq[i][slot];
  }
}

}  // namespace kurvimo
