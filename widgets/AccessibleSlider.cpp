#include "widgets/AccessibleSlider.h"

#include <QScrollBar>

namespace qf {

AccessibleSlider::AccessibleSlider(QScrollBar* bar, SliderReading reading)
    : QAccessibleWidget(bar, QAccessible::Slider), reading_(reading) {}

QString AccessibleSlider::text(QAccessible::Text t) const {
    if (t == QAccessible::Value ||
        (t == QAccessible::Description && bar()->accessibleDescription().isEmpty())) {
        return reading_.text(bar()->value());
    }
    return QAccessibleWidget::text(t);
}

void* AccessibleSlider::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::ValueInterface) {
        return static_cast<QAccessibleValueInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(t);
}

QVariant AccessibleSlider::currentValue() const {
    return reading_.quantity(bar()->value());
}

void AccessibleSlider::setCurrentValue(const QVariant& value) {
    bar()->setValue(reading_.position(value.toDouble()));
}

QVariant AccessibleSlider::maximumValue() const {
    return reading_.quantity(bar()->maximum());
}

QVariant AccessibleSlider::minimumValue() const {
    return reading_.quantity(bar()->minimum());
}

QVariant AccessibleSlider::minimumStepSize() const {
    return reading_.quantity(bar()->singleStep());
}

QScrollBar* AccessibleSlider::bar() const {
    return static_cast<QScrollBar*>(widget());
}

} // namespace qf
