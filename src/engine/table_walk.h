#pragma once

#include <algorithm>
#include <array>
#include <span>

#include "engine/figure_model.h"

namespace kurvimo {

// Steps a walk hands on at a time; the vector unit sums that many in registers.
constexpr int kWalkBlock = 32;

// p / 10 without a divide, as fma(p, kTenth, p * -kTenthExcess): 0.1 exceeds 1/10 by 2^-55/5, and
// the fused multiply-add takes that excess off before its only rounding. The tests compare every
// product a term can make, in every step of a walk, with the plain walk's p / 10.
constexpr double kTenth = 0.1;
constexpr double kTenthExcess = 0.2 * 0x1p-55;

// FigureWalk's walk with every cosine and sine read from the PhaseTable.
class TableWalk {
 public:
  // Amplitudes and phase steps 0..10: the table's range, and the one the fast sums are checked on.
  static constexpr int kMaxValue = 10;

  // Whether every live term lies inside that range.
  static bool fits(const TermTables &terms, int n);
  // How a block's term sums are formed: a step at a time, or four or eight steps at once.
  enum class Unit { Scalar, Avx2, Avx512 };
  // Whether this CPU can run `unit`: AVX2 and FMA, or AVX-512F.
  static bool available(Unit unit);

  // Only for terms that fit, and only with an available unit.
  TableWalk(const TermTables &terms, int n, Unit unit);

  // Makes `count` steps, at most 2 * kStepsPerPass in all, and after each block of them calls
  // visit(posX, posY) with the positions reached.
  template <typename Visit>
  void advance(int count, Visit visit);

  struct Term {
    const double *row;
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
void TableWalk::advance(int count, Visit visit) {
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
