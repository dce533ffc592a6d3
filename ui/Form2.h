#pragma once

#include "ToolWindow.h"

class QLabel;

namespace qf {

// The About window: the logo, the program's name, who owns it, where to find them and who
// designed it.
class Form2 final : public ToolWindow {
    Q_OBJECT
public:
    explicit Form2(std::string appFolder);

    QLabel* Picture1() const { return picture1_; }
    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QLabel* Label3() const { return label3_; }
    QLabel* Label4() const { return label4_; }

private:
    QLabel* picture1_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label4_;
    QLabel* label3_;
};

} // namespace qf
