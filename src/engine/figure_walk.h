#pragma once

#include <algorithm>
#include <array>
#include <span>

#include "engine/term_tables.h"

namespace kurvimo {

// Steps of each of the renderer's two passes.
constexpr int kStepsPerPass = 10001;
// Steps a walk hands on at a time.
constexpr int kWalkBlock = 32;

// The walk of the live terms, two cosines or sines per term and step. Every phase starts at 0, so
// the same terms always walk the same way.
class FigureWalk {
 public:
  FigureWalk(const TermTables &terms, int termCount);

  // Moves to the next position: one displacement from the current phases, then every phase
  // advances by its step.
  void next();
  double posX() const { return posX_; }
  double posY() const { return posY_; }

  // Makes `count` steps, and after each block of them calls visit(xs, ys) with the positions
  // reached.
  template <typename Visit>
  void advance(int count, Visit visit);

 private:
  const TermTables &terms_;
  const int n_;
  double posX_ = 0.0;
  double posY_ = 0.0;
  std::array<double, kTableSize> phaseX_{};
  std::array<double, kTableSize> phaseY_{};
  std::array<double, kTableSize> cosX_{};
  std::array<double, kTableSize> sinY_{};
};

template <typename Visit>
void FigureWalk::advance(int count, Visit visit) {
  std::array<double, kWalkBlock> x;
  std::array<double, kWalkBlock> y;
  for (int done = 0; done < count; done += kWalkBlock) {
    const int n = std::min(kWalkBlock, count - done);
    for (int i = 0; i < n; ++i) {
      next();
      x[i] = posX_;
      y[i] = posY_;
    }
    visit(std::span<const double>(x.data(), n), std::span<const double>(y.data(), n));
  }
}

}  // namespace kurvimo
