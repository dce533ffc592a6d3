#pragma once

#include <QScrollBar>

namespace qf {

// A mixer slider: a scroll bar whose keys and wheel move the value the way the thumb moves, as on
// any slider. Right, Up and the wheel turned away from the user raise the value (thumb to the
// right); Page Up and Page Down move by the large step, Home and End go to the ends, and Ctrl
// with an arrow moves by a coarse step a person can hear. Every movement is an ordinary value
// change, so whoever follows valueChanged sees it like a drag.
class MixerSlider final : public QScrollBar {
    Q_OBJECT
public:
    MixerSlider(Qt::Orientation orientation, QWidget* parent);

    // How far Ctrl with an arrow moves the value.
    int coarseStep() const { return coarseStep_; }
    void setCoarseStep(int step) { coarseStep_ = step; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int coarseStep_ = 1;
};

} // namespace qf
