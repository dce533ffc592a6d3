#pragma once

#include "widgets/SliderReading.h"

class QAccessibleInterface;
class QLabel;
class QObject;
class QScrollBar;
class QString;

namespace qf {

// Marks widgets whose meaning Qt's own accessible interfaces miss, so that screen readers get one
// that fits: a scroll bar that is a mixer slider, a label that shows a picture, a label that
// shows a status. Mark a widget when it is made, before anything asks for its interface.
class AccessibleMarks {
public:
    // Any scroll bar, of any subclass, becomes a slider read in the scale's unit.
    static void markSlider(QScrollBar* bar, SliderReading::Scale scale);
    static void markPicture(QLabel* label);
    static void markStatus(QLabel* label);

private:
    static void install();
    static QAccessibleInterface* create(const QString& className, QObject* object);
};

} // namespace qf
