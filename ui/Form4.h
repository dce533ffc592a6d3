#pragma once

#include "ToolWindow.h"

class QLabel;

namespace qf {

// The Contact window: where to write to with a problem, a query or a suggestion.
class Form4 final : public ToolWindow {
    Q_OBJECT
public:
    explicit Form4(std::string appFolder);

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }

private:
    QLabel* notice(const char* name, const QString& text, QRect where);

    QLabel* label1_;
    QLabel* label2_;
};

} // namespace qf
