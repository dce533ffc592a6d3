#include "ui/MixerSlider.h"

#include <QKeyEvent>

namespace qf {

MixerSlider::MixerSlider(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    // A scroll bar inverts its keys and wheel so that they scroll content; here the value is
    // what the user sets, and it must follow the thumb.
    setInvertedControls(false);
}

void MixerSlider::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier) {
        int direction = 0;
        switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
            direction = 1;
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            direction = -1;
            break;
        default:
            break;
        }
        // A right-to-left layout draws the bar mirrored, so the thumb still follows the arrow.
        if (isRightToLeft() && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
            direction = -direction;
        }
        if (direction != 0) {
            setValue(qBound(minimum(), value() + direction * coarseStep_, maximum()));
            event->accept();
            return;
        }
    }
    QScrollBar::keyPressEvent(event);
}

} // namespace qf
