#pragma once

#include <string>

namespace qf {

// The mixer's controls as the engine sees them, addressed by row 1 to 5. Setting a value runs
// that control's own handling when, and only when, the value changes, as a user's change would.
class MixerPanel {
public:
    virtual ~MixerPanel() = default;

    virtual int checkState(int row) const = 0;
    virtual void setCheckState(int row, int state) = 0;
    virtual int volumeValue(int row) const = 0;
    virtual void setVolumeValue(int row, int value) = 0;
    virtual int frequencyValue(int row) const = 0;
    virtual void setFrequencyValue(int row, int value) = 0;
    virtual int panValue() const = 0;

    virtual void showPicture(const std::string& path) = 0;
    virtual void setReadout(int row, const std::string& text) = 0;
    // The row's channel cannot play; the reason is shown to the user on the row.
    virtual void markUnavailable(int row, const std::string& reason) = 0;
};

} // namespace qf
