#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace kurvimo {

// The nearest whole number to `value`, exact halves to the even neighbour: how plotted points,
// centres and screen sizes in twips round. NaN and values outside the 64-bit range give the lowest
// 64-bit value.
inline std::int64_t roundHalfEven(double value) {
#if defined(__SSE2__)
  return _mm_cvtsd_si64(_mm_set_sd(value));  // one instruction, in the default rounding mode
#else
  return std::fabs(value) < 0x1p63 ? static_cast<std::int64_t>(std::nearbyint(value))
                                   : std::numeric_limits<std::int64_t>::min();
#endif
}

}  // namespace kurvimo
