#include "engine/fast_walk.h"

#include <immintrin.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace kurvimo {

namespace {

constexpr int kBlock = kWalkBlock;
// p / 10 without a divide, as fma(p, kTenth, p * -kTenthExcess): the double nearest 1/10 exceeds
// it by 2^-55/5, and the fused multiply-add takes that excess off before its only rounding.
constexpr double kTenth = 1 / kTermScale;
constexpr double kTenthExcess = 0.2 * 0x1p-55;
// Table rows are fetched this many entries ahead: they cross a page every 512 steps, and hardware
// prefetching stops there.
constexpr int kFetchAhead = 64;
constexpr int kCacheLine = 64 / sizeof(double);

// Cosines and sines of every phase a figure reaches. Every phase starts at 0 and grows by
// step / 10 with a step of 0..10, so eleven sequences serve every figure; accumulated and
// evaluated as FigureWalk does, they hold the same bits.
class PhaseTable {
 public:
  static constexpr int kSteps = FastWalk::kMaxValue + 1;
  // Readable entries past the last phase: walks read whole blocks, and fetch ahead.
  static constexpr int kRowLength = 2 * kStepsPerPass + kBlock + kFetchAhead;

  PhaseTable() : values_(std::size_t(2 * kSteps) * kRowLength) {
    clearUpperVectorHalves();
    for (int step = 0; step < kSteps; ++step) {
      fillRow(row(step), step, [](double phase) { return std::cos(phase); });
      fillRow(row(kSteps + step), step, [](double phase) { return std::sin(phase); });
    }
  }

  // Built on first use, once per process.
  static const PhaseTable &shared() {
    static const PhaseTable table;
    return table;
  }

  // Entry s is the cosine (sine) of the phase before step s, for a phase step 0..kMaxValue.
  const double *cos(int step) const { return row(step); }
  const double *sin(int step) const { return row(kSteps + step); }

 private:
  double *row(int row) { return values_.data() + std::size_t(row) * kRowLength; }
  const double *row(int row) const { return values_.data() + std::size_t(row) * kRowLength; }

  // One loop per function: the compiler would merge a cosine and a sine of the same phase into a
  // sincos call, which need not round as they do.
  template <typename Function>
  static void fillRow(double *row, int step, Function function) {
    const double increment = step / kTermScale;
    double phase = 0.0;
    for (int s = 0; s < kRowLength; ++s) {
      row[s] = function(phase);
      phase = phase + increment;
    }
  }

  std::vector<double> values_;
};

// A fixed length lets the compiler use both lanes of SSE2.
void sumTermsScalar(const FastWalk::Terms &terms, int first, double *__restrict steps) {
  std::fill_n(steps, kBlock, 0.0);
  for (int k = 0; k < terms.count; ++k) {
    const double amp = terms.term[k].amp;
    const double *__restrict row = terms.term[k].row + first;
    for (int i = 0; i < kBlock; ++i) steps[i] = steps[i] + (amp * row[i]) / kTermScale;
  }
}

// The vector units, a lane a step. Each adds amp × row / 10 to a sum as the plain walk does, with
// one rounding; vectors go by reference, so that no call without the unit passes one by value.
struct Avx2 {
  using Vector = __m256d;
  static constexpr int kLanes = 4;
  [[gnu::target("avx2,fma")]] static void clear(Vector &sum) { sum = _mm256_setzero_pd(); }
  [[gnu::target("avx2,fma")]] static void addTenths(Vector &sum, double amp, const double *row) {
    const __m256d product = _mm256_mul_pd(_mm256_set1_pd(amp), _mm256_loadu_pd(row));
    const __m256d excess = _mm256_mul_pd(product, _mm256_set1_pd(-kTenthExcess));
    sum = _mm256_add_pd(sum, _mm256_fmadd_pd(product, _mm256_set1_pd(kTenth), excess));
  }
  [[gnu::target("avx2,fma")]] static void store(double *to, const Vector &sum) {
    _mm256_storeu_pd(to, sum);
  }
};

struct Avx512 {
  using Vector = __m512d;
  static constexpr int kLanes = 8;
  [[gnu::target("avx512f")]] static void clear(Vector &sum) { sum = _mm512_setzero_pd(); }
  [[gnu::target("avx512f")]] static void addTenths(Vector &sum, double amp, const double *row) {
    const __m512d product = _mm512_mul_pd(_mm512_set1_pd(amp), _mm512_loadu_pd(row));
    const __m512d excess = _mm512_mul_pd(product, _mm512_set1_pd(-kTenthExcess));
    sum = _mm512_add_pd(sum, _mm512_fmadd_pd(product, _mm512_set1_pd(kTenth), excess));
  }
  [[gnu::target("avx512f")]] static void store(double *to, const Vector &sum) {
    _mm512_storeu_pd(to, sum);
  }
};

// Every lane adds its terms in term order, from +0. Only the kernels below call it, and they
// inline all of it.
template <typename Unit>
void sumTermsWith(const FastWalk::Terms &terms, int first, double *steps) {
  constexpr int kVectors = kBlock / Unit::kLanes;
  typename Unit::Vector sum[kVectors];
#pragma GCC unroll 8
  for (auto &s : sum) Unit::clear(s);
  for (int k = 0; k < terms.count; ++k) {
    const double amp = terms.term[k].amp;
    const double *row = terms.term[k].row + first;
#pragma GCC unroll 8
    for (int line = 0; line < kBlock; line += kCacheLine) {
      _mm_prefetch(reinterpret_cast<const char *>(row + kFetchAhead + line), _MM_HINT_T0);
    }
#pragma GCC unroll 8
    for (int v = 0; v < kVectors; ++v) Unit::addTenths(sum[v], amp, row + Unit::kLanes * v);
  }
#pragma GCC unroll 8
  for (int v = 0; v < kVectors; ++v) Unit::store(steps + Unit::kLanes * v, sum[v]);
}

[[gnu::target("avx2,fma"), gnu::flatten]] void sumTermsAvx2(const FastWalk::Terms &terms, int first,
                                                            double *steps) {
  sumTermsWith<Avx2>(terms, first, steps);
}

[[gnu::target("avx512f"), gnu::flatten]] void sumTermsAvx512(const FastWalk::Terms &terms,
                                                             int first, double *steps) {
  sumTermsWith<Avx512>(terms, first, steps);
}

FastWalk::SumTerms kernel(int lanes) {
  switch (lanes) {
    case Avx512::kLanes:
      return sumTermsAvx512;
    case Avx2::kLanes:
      return sumTermsAvx2;
    default:
      return sumTermsScalar;
  }
}

bool inside(int value) {
  return value >= 0 && value <= FastWalk::kMaxValue;
}

// A zero amplitude adds ±0 to a sum that starts at +0 and so is never -0: it changes nothing.
void collect(FastWalk::Terms &terms, int amp, const double *row) {
  if (amp != 0) terms.term[terms.count++] = {row, static_cast<double>(amp)};
}

[[gnu::target("avx")]] void zeroUpper() {
  _mm256_zeroupper();
}

}  // namespace

bool FastWalk::fits(const TermTables &t, int termCount) {
  for (int j = 0; j < liveTerms(termCount); ++j) {
    if (!inside(t.xAmp[j]) || !inside(t.yAmp[j]) || !inside(t.xFreq[j]) || !inside(t.yFreq[j])) {
      return false;
    }
  }
  return true;
}

bool FastWalk::runs(int lanes) {
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  static const bool avx512 = __builtin_cpu_supports("avx512f");
  return lanes == 1 || (lanes == Avx2::kLanes && avx2) || (lanes == Avx512::kLanes && avx512);
}

int FastWalk::widestLanes() {
  for (int lanes : {Avx512::kLanes, Avx2::kLanes}) {
    if (runs(lanes)) return lanes;
  }
  return 1;
}

FastWalk::FastWalk(const TermTables &t, int termCount, int lanes) : sum_(kernel(lanes)) {
  const PhaseTable &table = PhaseTable::shared();
  for (int j = 0; j < liveTerms(termCount); ++j) {
    collect(x_, t.xAmp[j], table.cos(t.xFreq[j]));
    collect(y_, t.yAmp[j], table.sin(t.yFreq[j]));
  }
}

void clearUpperVectorHalves() {
  if (__builtin_cpu_supports("avx")) zeroUpper();
}

}  // namespace kurvimo
