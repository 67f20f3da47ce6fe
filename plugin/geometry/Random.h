// The seeded random numbers that lay out a crew and draw wait times.
//
// One 32-bit state word; a seed always gives the same sequence on every platform, because
// the step is done in unsigned 32-bit arithmetic and the scale factors are exact doubles.
#pragma once

#include <cstdint>

/// A linear congruential generator whose state starts at 100.
class Random {
  public:
    Random() = default;

    /// Sets the state to `seed`.
    void Init(unsigned int seed) { state_ = static_cast<uint32_t>(seed); }

    /// The next number in [0, 1).
    double Get01();

    /// The next number in [-1, 1), from the same sequence as Get01.
    double Get11();

    /// The current state word.
    uint32_t GetState() const { return state_; }

  private:
    uint32_t Step();

    uint32_t state_ = 100;
};
