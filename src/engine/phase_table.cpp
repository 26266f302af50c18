#include "engine/phase_table.h"

#include <cmath>

#include "engine/table_walk.h"

namespace kurvimo {

namespace {

constexpr int kRows = 2 * (PhaseTable::kMaxStep + 1);

// One loop per function: the compiler would merge a cosine and a sine of the same phase into a
// sincos call, which need not round as they do.
template <typename Function>
void fillRow(double *row, int step, Function function) {
  const double increment = step / kTenths;
  double phase = 0.0;
  for (int s = 0; s < PhaseTable::kRowLength; ++s) {
    row[s] = function(phase);
    phase = phase + increment;
  }
}

}  // namespace

PhaseTable::PhaseTable() : values_(std::size_t(kRows) * kRowLength) {
  clearUpperVectorHalves();
  for (int step = 0; step <= kMaxStep; ++step) {
    fillRow(values_.data() + std::size_t(step) * kRowLength, step,
            [](double phase) { return std::cos(phase); });
    fillRow(values_.data() + std::size_t(step + kMaxStep + 1) * kRowLength, step,
            [](double phase) { return std::sin(phase); });
  }
}

const PhaseTable &PhaseTable::shared() {
  static const PhaseTable table;
  return table;
}

}  // namespace kurvimo
