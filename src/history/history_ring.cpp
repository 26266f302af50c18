#include "history/history_ring.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace kurvimo {

namespace {

bool FitsInt16(int value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

void HistoryRing::Reset() {
  histPos = 0;
  histFull = 0;
  modoru = 0;
}

void HistoryRing::Record(const TermTables &terms, std::int16_t kansuu) {
  for (int i = 0; i < LiveTerms(kansuu); ++i) {
    histXAmp[i][histPos] = terms.xAmp[i];
    histYAmp[i][histPos] = terms.yAmp[i];
    histXFreq[i][histPos] = terms.xFreq[i];
    histYFreq[i][histPos] = terms.yFreq[i];
  }
  if (++histPos == kSlots) {
    histPos = 0;
    histFull = 1;
  }
}

// Before the ring has wrapped only recorded figures can be reached. The 16-bit offset must also
// stay representable: a wrapped ring would otherwise let it count down forever and overflow.
bool HistoryRing::MoveBack(std::int16_t n) {
  if (histFull == 0 && std::abs(modoru) > histPos - (n + 1)) return false;
  const int moved = modoru - n;
  if (!FitsInt16(moved)) return false;
  modoru = static_cast<std::int16_t>(moved);
  return true;
}

bool HistoryRing::MoveForward(std::int16_t n) {
  const int moved = modoru + n;
  if (histFull == 0 && moved > 0) return false;
  if (!FitsInt16(moved)) return false;
  modoru = static_cast<std::int16_t>(moved);
  return true;
}

int HistoryRing::SelectedSlot() const {
  const int back = histPos - 1 - std::abs(static_cast<int>(modoru));
  return ((back % kSlots) + kSlots) % kSlots;
}

void HistoryRing::Restore(TermTables &terms, std::int16_t kansuu) const {
  const int slot = SelectedSlot();
  for (int i = 0; i < LiveTerms(kansuu); ++i) {
    terms.xAmp[i] = histXAmp[i][slot];
    terms.yAmp[i] = histYAmp[i][slot];
    terms.xFreq[i] = histXFreq[i][slot];
    terms.yFreq[i] = histYFreq[i][slot];
  }
}

}  // namespace kurvimo
