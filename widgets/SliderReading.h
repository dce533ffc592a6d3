#pragma once

#include <QString>

namespace qf {

// How a mixer slider's position reads to a person: the quantity it sets, in its unit, and in
// words. Volume and pan positions are hundredths of a decibel, as the sound output takes them:
// a volume is the attenuation (0 is loudest), a pan the attenuation of the other side, so a
// negative pan sounds from the left.
class SliderReading {
public:
    enum class Scale { Volume, Frequency, Pan };

    explicit SliderReading(Scale scale) : scale_(scale) {}

    Scale scale() const { return scale_; }
    // Decibels for volume and pan (pan negative to the left), hertz for frequency.
    double quantity(int position) const;
    // The position nearest to a quantity.
    int position(double quantity) const;
    // "-15.0 dB", "22050 Hz", "left 10 dB", "centre", "right 2.5 dB".
    QString text(int position) const;

private:
    Scale scale_;
};

} // namespace qf
