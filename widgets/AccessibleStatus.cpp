#include "widgets/AccessibleStatus.h"

#include <QLabel>

namespace qf {

AccessibleStatus::AccessibleStatus(QLabel* label)
    : QAccessibleWidget(label, QAccessible::StatusBar) {}

QString AccessibleStatus::text(QAccessible::Text t) const {
    const auto* label = static_cast<const QLabel*>(widget());
    if (t == QAccessible::Name && label->accessibleName().isEmpty()) {
        return label->text().simplified();
    }
    return QAccessibleWidget::text(t);
}

} // namespace qf
