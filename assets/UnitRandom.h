#pragma once

#include <cstdint>
#include <random>

// Uniform numbers in [0, 1) that come out the same on every standard library: the
// engine's output is specified exactly, but std::uniform_real_distribution is not.
class UnitRandom {
public:
    explicit UnitRandom(std::uint64_t seed);

    double next();

private:
    std::mt19937_64 engine_;
};
