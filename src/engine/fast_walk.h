#pragma once

#include <algorithm>
#include <array>
#include <span>

#include "engine/figure_walk.h"

namespace kurvimo {

// FigureWalk's walk, bit for bit, with every cosine and sine read from a table built once per
// process, and the terms of a block of steps summed together, in vector registers where the CPU
// has them.
class FastWalk {
 public:
  // Amplitudes and phase steps 0..10: the table's range, and the one the fast sums are checked on.
  static constexpr int kMaxValue = 10;

  // Whether every live term lies inside that range.
  static bool fits(const TermTables &terms, int termCount);
  // Steps summed at once: 1 portably, 4 with AVX2 and FMA, 8 with AVX-512F.
  static bool runs(int lanes);
  // The most this CPU runs.
  static int widestLanes();

  // Only for terms that fit, and lanes that run.
  FastWalk(const TermTables &terms, int termCount, int lanes);

  // Makes `count` steps, at most 2 * kStepsPerPass in all, and after each block of them calls
  // visit(xs, ys) with the positions reached.
  template <typename Visit>
  void advance(int count, Visit visit);

  struct Term {
    const double *row;  // the term's cosines or sines, a step an entry
    double amp;
  };
  struct Terms {
    std::array<Term, kTableSize> term;
    int count = 0;
  };
  // Writes the kWalkBlock steps from step `first` on.
  using SumTerms = void (*)(const Terms &terms, int first, double *steps);

 private:
  Terms x_;
  Terms y_;
  SumTerms sum_;
  int next_ = 0;
  double posX_ = 0.0;
  double posY_ = 0.0;
};

template <typename Visit>
void FastWalk::advance(int count, Visit visit) {
  alignas(32) std::array<std::array<double, kWalkBlock>, 2> x;
  alignas(32) std::array<std::array<double, kWalkBlock>, 2> y;
  double posX = posX_;
  double posY = posY_;
  sum_(x_, next_, x[0].data());
  sum_(y_, next_, y[0].data());
  for (int done = 0, b = 0; done < count; done += kWalkBlock, b ^= 1) {
    const int n = std::min(kWalkBlock, count - done);
    // The next block's sums first, so that they overlap this block's serial chain.
    if (done + kWalkBlock < count) {
      sum_(x_, next_ + done + kWalkBlock, x[b ^ 1].data());
      sum_(y_, next_ + done + kWalkBlock, y[b ^ 1].data());
    }
    for (int i = 0; i < n; ++i) {
      posX = x[b][i] = posX + x[b][i];
      posY = y[b][i] = posY + y[b][i];
    }
    visit(std::span<const double>(x[b].data(), n), std::span<const double>(y[b].data(), n));
  }
  next_ += count;
  posX_ = posX;
  posY_ = posY;
}

// Library code (QImage::fill, for one) can leave the upper halves of the vector registers in use;
// until they are cleared every SSE instruction waits on them, which slows a walk more than tenfold.
void clearUpperVectorHalves();

}  // namespace kurvimo
