#pragma once

#include "widgets/ToolWindow.h"

class QLabel;

namespace qf {

// The Contact window: where to write to with a problem, a query or a suggestion.
class ContactWindow final : public ToolWindow {
    Q_OBJECT
public:
    explicit ContactWindow(std::string appFolder);

    QLabel* noticeLabel() const { return notice_; }
    QLabel* emailLabel() const { return email_; }

private:
    QLabel* notice(const char* name, const QString& text, QRect where);

    QLabel* notice_;
    QLabel* email_;
};

} // namespace qf
