#pragma once

#include "engine/MixerControls.h"
#include "engine/MixerPanel.h"

#include <array>
#include <string>
#include <vector>

namespace qf::test {

// Controls without a window: like the real ones, a value that changes runs the handler at once.
class FakePanel final : public MixerPanel {
public:
    MixerControls* controls = nullptr;
    std::array<int, 5> checks{};
    std::array<int, 5> volumes{};
    std::array<int, 5> frequencies{1000, 1000, 1000, 1000, 1000};
    int pan = 0;
    std::array<std::string, 5> readouts;
    std::array<std::string, 5> unavailable;
    std::vector<std::string> pictures;

    int checkState(int row) const override { return checks[row - 1]; }
    void setCheckState(int row, int state) override {
        if (checks[row - 1] != state) {
            checks[row - 1] = state;
            if (controls) {
                controls->checkChanged(row, state);
            }
        }
    }
    int volumeValue(int row) const override { return volumes[row - 1]; }
    void setVolumeValue(int row, int value) override {
        if (volumes[row - 1] != value) {
            volumes[row - 1] = value;
            if (controls) {
                controls->volumeChanged(row, value);
            }
        }
    }
    int frequencyValue(int row) const override { return frequencies[row - 1]; }
    int panValue() const override { return pan; }
    void setFrequencyValue(int row, int value) override {
        if (frequencies[row - 1] != value) {
            frequencies[row - 1] = value;
            if (controls) {
                controls->frequencyChanged(row, value);
            }
        }
    }
    void showPicture(const std::string& path) override { pictures.push_back(path); }
    void setReadout(int row, const std::string& text) override { readouts[row - 1] = text; }
    void markUnavailable(int row, const std::string& reason) override {
        unavailable[row - 1] = reason;
    }
};

} // namespace qf::test
