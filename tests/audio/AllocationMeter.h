#pragma once

#include <cstddef>

// Counts what the test program holds through operator new, so that a test can see the most that
// a piece of work held at once. Linking it replaces the program's global operator new and
// delete; memory that libraries take with malloc is not counted.
class AllocationMeter {
public:
    // Starts a measurement from what is held now.
    static void start() noexcept;
    // The most held at once since start(), above what was held then.
    static std::size_t peakSinceStart() noexcept;
    // How many blocks were taken since start(), including any given back meanwhile, which the
    // peak may not show.
    static std::size_t allocationsSinceStart() noexcept;
};
