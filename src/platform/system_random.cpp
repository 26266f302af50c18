#include "platform/system_random.h"

#include <chrono>

namespace kurvimo {

namespace {
// 24 random bits scaled by 2^-24 fill a float's mantissa exactly and never reach 1.
constexpr float kScale24 = 1.0f / 16777216.0f;
constexpr int kDroppedBits = 8;
}  // namespace

void SystemRandom::seedFromClock() {
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  engine_.seed(static_cast<std::uint32_t>(ticks ^ (ticks >> 32)));
}

float SystemRandom::next() {
  return static_cast<float>(engine_() >> kDroppedBits) * kScale24;
}

}  // namespace kurvimo
