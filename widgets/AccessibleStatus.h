#pragma once

#include <QAccessibleWidget>

class QLabel;

namespace qf {

// A label that shows a changing status: a screen reader finds it as a status bar whose name is
// what it shows (or its accessible name, where the program publishes the text at its own pace),
// so a change of the text is a change of the name it can announce.
class AccessibleStatus final : public QAccessibleWidget {
public:
    explicit AccessibleStatus(QLabel* label);

    QString text(QAccessible::Text t) const override;
};

} // namespace qf
