#pragma once

#include <QCheckBox>

namespace qf {

// A row's on/off box. Only the program can put it in the grey state; a click always toggles
// between on and off (from grey it turns on), as users expect of a plain check box.
class ChannelCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    explicit ChannelCheckBox(const QString& text, QWidget* parent = nullptr);

    // Values as stored in a mix: 0 clear, 1 checked, 2 grey.
    int value() const;
    void setValue(int value);

signals:
    // Whenever the box's state changes, by a click or by the program. Qt 6.7 renamed the
    // signal for this; this one is the same on every Qt the program builds with.
    void valueChanged();

protected:
    void nextCheckState() override;
};

} // namespace qf
