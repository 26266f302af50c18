#pragma once

namespace kurvimo {

// The program's single source of randomness, so tests can feed exact values.
class RandomSource {
 public:
  virtual ~RandomSource() = default;

  // Reseeds from the clock.
  virtual void seedFromClock() = 0;
  // The next value r with 0 <= r < 1.
  virtual float next() = 0;
};

}  // namespace kurvimo
