#include "assets/UnitRandom.h"

UnitRandom::UnitRandom(std::uint64_t seed) : engine_(seed) {}

double UnitRandom::next() {
    // The top 53 bits fill a double's mantissa exactly, so the result is never 1.0.
    constexpr double scale = 1.0 / 9007199254740992.0; // 2^-53
    return static_cast<double>(engine_() >> 11) * scale;
}
