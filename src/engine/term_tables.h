#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace kurvimo {

// Room in each term table; only the first `termCount` (at most 16) entries are ever live.
constexpr int kTableSize = 31;

using TermTable = std::array<std::int16_t, kTableSize>;

// How many table entries `termCount` makes live, never more than the tables hold.
inline int liveTerms(int termCount) {
  return std::clamp(termCount, 0, kTableSize);
}

// Term values count tenths, of an amplitude unit and of a radian of phase per step: a value
// divided by kTermScale is what it counts.
constexpr double kTermScale = 10.0;

// The four parallel term tables: entry i of each together is term i of the figure.
struct TermTables {
  TermTable xAmp{};   // x amplitude, in tenths
  TermTable yAmp{};   // y amplitude, in tenths
  TermTable xFreq{};  // x phase step, in tenths of a radian
  TermTable yFreq{};  // y phase step, in tenths of a radian

  bool operator==(const TermTables &) const = default;
};

// Copies the entries that `termCount` makes live; the others keep what they hold.
inline void copyLiveTerms(const TermTables &from, TermTables &to, int termCount) {
  const int n = liveTerms(termCount);
  std::copy_n(from.xAmp.begin(), n, to.xAmp.begin());
  std::copy_n(from.yAmp.begin(), n, to.yAmp.begin());
  std::copy_n(from.xFreq.begin(), n, to.xFreq.begin());
  std::copy_n(from.yFreq.begin(), n, to.yFreq.begin());
}

}  // namespace kurvimo
