#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qf::settings {

// The fifteen values of a mix, in the order they are stored: five check-box states, five
// volumes, five frequencies. Rows are counted from 1 at the top of the window.
struct MixerSettings {
    static constexpr int kFields = 15;
    static constexpr int kRows = 5;

    // The values a control may hold; a stored value outside them is refused, never clamped.
    struct Range {
        int minimum;
        int maximum;
        bool contains(long long v) const { return v >= minimum && v <= maximum; }
    };

    std::array<std::int16_t, kFields> values{};

    // The controls' initial values: everything off, full volume, sliders at 1000.
    static MixerSettings defaults();

    int check(int row) const;
    void setCheck(int row, int v);
    int volume(int row) const;
    void setVolume(int row, int v);
    int frequency(int row) const;
    void setFrequency(int row, int v);

    // Field numbers here count from 1, as a user reading the file would.
    static Range range(int field);
    static std::string fieldName(int field); // "row 2 volume"

    bool operator==(const MixerSettings&) const = default;

private:
    static int index(int row, int group);
};

} // namespace qf::settings
