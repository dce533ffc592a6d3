#pragma once

#include "widgets/ToolWindow.h"

class QLabel;

namespace qf {

// The About window: the logo, the program's name, who owns it, where to find them and who
// designed it.
class AboutWindow final : public ToolWindow {
    Q_OBJECT
public:
    explicit AboutWindow(std::string appFolder);

    QLabel* logoBox() const { return logo_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* ownershipLabel() const { return ownership_; }
    QLabel* designerLabel() const { return designer_; }
    QLabel* webAddressLabel() const { return webAddress_; }

private:
    QLabel* logo_;
    QLabel* title_;
    QLabel* ownership_;
    QLabel* webAddress_;
    QLabel* designer_;
};

} // namespace qf
