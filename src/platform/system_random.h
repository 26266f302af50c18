#pragma once

#include <cstdint>
#include <random>

#include "platform/random_source.h"

namespace kurvimo {

class SystemRandom final : public RandomSource {
 public:
  void seedFromClock() override;
  float next() override;

 private:
  std::mt19937 engine_;
};

}  // namespace kurvimo
