#include "settings/MixerSettings.h"

#include <stdexcept>

namespace qf::settings {

namespace {

enum Group { kCheck = 0, kVolume = 1, kFrequency = 2 };

constexpr MixerSettings::Range kRanges[] = {
    {0, 2},        // 2 is the grey state of a check box, which a file may ask for
    {-3000, 0},    // hundredths of a decibel
    {1000, 32767}, // hertz
};

constexpr const char* kGroupNames[] = {"on/off", "volume", "frequency"};

int groupOf(int field) {
    if (field < 1 || field > MixerSettings::kFields) {
        throw std::out_of_range("mixer field " + std::to_string(field) + " does not exist");
    }
    return (field - 1) / MixerSettings::kRows;
}

} // namespace

MixerSettings MixerSettings::defaults() {
    MixerSettings mix;
    for (int row = 1; row <= kRows; ++row) {
        mix.setFrequency(row, 1000);
    }
    return mix;
}

int MixerSettings::index(int row, int group) {
    if (row < 1 || row > kRows) {
        throw std::out_of_range("mixer row " + std::to_string(row) + " does not exist");
    }
    return group * kRows + row - 1;
}

int MixerSettings::check(int row) const {
    return values[index(row, kCheck)];
}
void MixerSettings::setCheck(int row, int v) {
    values[index(row, kCheck)] = static_cast<std::int16_t>(v);
}

int MixerSettings::volume(int row) const {
    return values[index(row, kVolume)];
}
void MixerSettings::setVolume(int row, int v) {
    values[index(row, kVolume)] = static_cast<std::int16_t>(v);
}

int MixerSettings::frequency(int row) const {
    return values[index(row, kFrequency)];
}
void MixerSettings::setFrequency(int row, int v) {
    values[index(row, kFrequency)] = static_cast<std::int16_t>(v);
}

MixerSettings::Range MixerSettings::range(int field) {
    return kRanges[groupOf(field)];
}

std::string MixerSettings::fieldName(int field) {
    const int row = (field - 1) % kRows + 1;
    return "row " + std::to_string(row) + " " + kGroupNames[groupOf(field)];
}

} // namespace qf::settings
