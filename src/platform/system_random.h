#pragma once

#include <cstdint>
#include <random>

#include "platform/random_source.h"

namespace kurvimo {

class SystemRandom final : public RandomSource {
 public:
  void SeedFromClock() override;
  float Next() override;

 private:
  std::mt19937 engine_;
};

}  // namespace kurvimo
