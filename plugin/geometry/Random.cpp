#include "plugin/geometry/Random.h"

#include <cstdint>

namespace {

// 0x7fffffff * 2^-62 and 0x7fffffff * 2^-61: a full 31-bit state maps to just below 2^-31
// and 2^-30 times itself, so the results stay below 1.
constexpr double kScale01 = 0x1.fffffffcp-32;
constexpr double kScale11 = 0x1.fffffffcp-31;
static_assert(kScale01 == 4.656612870908988e-10, "scale of Get01");
static_assert(kScale11 == 9.313225741817976e-10, "scale of Get11");

} // namespace

uint32_t Random::Step() {
    const uint32_t next = (state_ + 1u) * 69069u;
    state_ = next & 0x7fffffffu;
    return state_;
}

double Random::Get01() {
    return static_cast<double>(Step()) * kScale01;
}

double Random::Get11() {
    return static_cast<double>(Step()) * kScale11 - 1.0;
}
