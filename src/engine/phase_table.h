#pragma once

#include <cstddef>
#include <vector>

#include "engine/renderer.h"

namespace kurvimo {

// Cosines and sines of every phase a figure reaches. Every phase starts at 0 and grows by
// step/10 with a step of 0..10, so eleven sequences serve every figure; accumulated and evaluated
// as FigureWalk does, they hold the same bits.
class PhaseTable {
 public:
  static constexpr int kMaxStep = 10;
  static constexpr int kPhases = 2 * kStepsPerPass;
  // Readable entries past the last phase: walks read whole blocks, and fetch ahead.
  static constexpr int kPadding = 128;
  static constexpr int kRowLength = kPhases + kPadding;

  PhaseTable();

  // Built on first use, once per process.
  static const PhaseTable &shared();

  // Entry s is the cosine (sine) of the phase before step s, for a phase step 0..kMaxStep.
  const double *cos(int step) const { return row(step); }
  const double *sin(int step) const { return row(step + kMaxStep + 1); }
  std::size_t bytes() const { return values_.size() * sizeof(double); }

 private:
  const double *row(int row) const { return values_.data() + std::size_t(row) * kRowLength; }

  std::vector<double> values_;
};

}  // namespace kurvimo
