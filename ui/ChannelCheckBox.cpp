#include "ui/ChannelCheckBox.h"

namespace qf {

ChannelCheckBox::ChannelCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(this, &QCheckBox::checkStateChanged, this, &ChannelCheckBox::valueChanged);
#else
    connect(this, &QCheckBox::stateChanged, this, &ChannelCheckBox::valueChanged);
#endif
}

int ChannelCheckBox::value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void ChannelCheckBox::setValue(int value) {
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void ChannelCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

} // namespace qf
