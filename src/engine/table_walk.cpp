#include "engine/table_walk.h"

#include <immintrin.h>

#include <algorithm>

#include "engine/phase_table.h"

namespace kurvimo {

namespace {

// The vector unit sums a block of consecutive steps at once, a lane a step, in registers.
constexpr int kLanes = 4;
constexpr int kBlock = kWalkBlock;
constexpr int kBlockVectors = kBlock / kLanes;
// Table rows are fetched this many entries ahead: they cross a page every 512 steps, and hardware
// prefetching stops there.
constexpr int kFetchAhead = 64;
constexpr int kCacheLine = 64 / sizeof(double);
static_assert(PhaseTable::kPadding >= kBlock + kFetchAhead);
static_assert(TableWalk::kMaxValue == PhaseTable::kMaxStep);

// A fixed length lets the compiler use both lanes of SSE2.
void sumTermsScalar(const TableWalk::Terms &terms, int first, double *__restrict steps) {
  std::fill_n(steps, kBlock, 0.0);
  for (int k = 0; k < terms.count; ++k) {
    const double amp = terms.term[k].amp;
    const double *__restrict row = terms.term[k].row + first;
    for (int i = 0; i < kBlock; ++i) steps[i] = steps[i] + (amp * row[i]) / kTenths;
  }
}

__attribute__((target("avx2,fma"))) inline __m256d part(__m256d amp, const double *row,
                                                        __m256d tenth, __m256d excess) {
  const __m256d product = _mm256_mul_pd(amp, _mm256_loadu_pd(row));
  return _mm256_fmadd_pd(product, tenth, _mm256_mul_pd(product, excess));
}

// A lane a step; every lane still adds its terms in term order, from +0.
__attribute__((target("avx2,fma"))) void sumTermsVector(const TableWalk::Terms &terms, int first,
                                                        double *steps) {
  const __m256d tenth = _mm256_set1_pd(kTenth);
  const __m256d excess = _mm256_set1_pd(-kTenthExcess);
  __m256d sum[kBlockVectors];
#pragma GCC unroll 8
  for (__m256d &s : sum) s = _mm256_setzero_pd();
  for (int k = 0; k < terms.count; ++k) {
    const __m256d amp = _mm256_set1_pd(terms.term[k].amp);
    const double *row = terms.term[k].row + first;
#pragma GCC unroll 8
    for (int line = 0; line < kBlock; line += kCacheLine) {
      _mm_prefetch(reinterpret_cast<const char *>(row + kFetchAhead + line), _MM_HINT_T0);
    }
#pragma GCC unroll 8
    for (int v = 0; v < kBlockVectors; ++v) {
      sum[v] = _mm256_add_pd(sum[v], part(amp, row + kLanes * v, tenth, excess));
    }
  }
#pragma GCC unroll 8
  for (int v = 0; v < kBlockVectors; ++v) _mm256_storeu_pd(steps + kLanes * v, sum[v]);
}

__attribute__((target("avx512f"))) inline __m512d widePart(__m512d amp, const double *row,
                                                           __m512d tenth, __m512d excess) {
  const __m512d product = _mm512_mul_pd(amp, _mm512_loadu_pd(row));
  return _mm512_fmadd_pd(product, tenth, _mm512_mul_pd(product, excess));
}

// sumTermsVector with eight lanes.
__attribute__((target("avx512f"))) void sumTermsWide(const TableWalk::Terms &terms, int first,
                                                     double *steps) {
  constexpr int kWideLanes = 8;
  const __m512d tenth = _mm512_set1_pd(kTenth);
  const __m512d excess = _mm512_set1_pd(-kTenthExcess);
  __m512d sum[kBlock / kWideLanes];
#pragma GCC unroll 4
  for (__m512d &s : sum) s = _mm512_setzero_pd();
  for (int k = 0; k < terms.count; ++k) {
    const __m512d amp = _mm512_set1_pd(terms.term[k].amp);
    const double *row = terms.term[k].row + first;
#pragma GCC unroll 8
    for (int line = 0; line < kBlock; line += kCacheLine) {
      _mm_prefetch(reinterpret_cast<const char *>(row + kFetchAhead + line), _MM_HINT_T0);
    }
#pragma GCC unroll 4
    for (int v = 0; v < kBlock / kWideLanes; ++v) {
      sum[v] = _mm512_add_pd(sum[v], widePart(amp, row + kWideLanes * v, tenth, excess));
    }
  }
#pragma GCC unroll 4
  for (int v = 0; v < kBlock / kWideLanes; ++v) _mm512_storeu_pd(steps + kWideLanes * v, sum[v]);
}

bool inside(int value) {
  return value >= 0 && value <= TableWalk::kMaxValue;
}

// A zero amplitude adds ±0 to a sum that starts at +0 and so is never -0: it changes nothing.
void collect(TableWalk::Terms &terms, int amp, const double *row) {
  if (amp != 0) terms.term[terms.count++] = {row, static_cast<double>(amp)};
}

__attribute__((target("avx"))) void zeroUpper() {
  _mm256_zeroupper();
}

}  // namespace

bool TableWalk::fits(const TermTables &t, int n) {
  for (int j = 0; j < liveTerms(n); ++j) {
    if (!inside(t.xAmp[j]) || !inside(t.yAmp[j]) || !inside(t.xFreq[j]) || !inside(t.yFreq[j])) {
      return false;
    }
  }
  return true;
}

bool TableWalk::available(Unit unit) {
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  static const bool avx512 = __builtin_cpu_supports("avx512f");
  return unit == Unit::Scalar || (unit == Unit::Avx2 && avx2) || (unit == Unit::Avx512 && avx512);
}

TableWalk::TableWalk(const TermTables &t, int n, Unit unit)
    : sum_(unit == Unit::Avx512 ? sumTermsWide
           : unit == Unit::Avx2 ? sumTermsVector
                                : sumTermsScalar) {
  const PhaseTable &table = PhaseTable::shared();
  for (int j = 0; j < liveTerms(n); ++j) {
    collect(x_, t.xAmp[j], table.cos(t.xFreq[j]));
    collect(y_, t.yAmp[j], table.sin(t.yFreq[j]));
  }
}

void clearUpperVectorHalves() {
  if (__builtin_cpu_supports("avx")) zeroUpper();
}

}  // namespace kurvimo
