#pragma once

#include "widgets/SliderReading.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class QScrollBar;

namespace qf {

// What a screen reader finds in a scroll bar that works as a mixer slider: a slider whose value
// is in decibels or hertz rather than raw steps, with the value in words as its description
// (the one place the desktop's accessibility bus carries such words from Qt).
class AccessibleSlider final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    AccessibleSlider(QScrollBar* bar, SliderReading reading);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleValueInterface
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    QScrollBar* bar() const;

    SliderReading reading_;
};

} // namespace qf
