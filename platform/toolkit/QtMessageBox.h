#pragma once

#include "platform/toolkit/MessageBox.h"

#include <QPointer>
#include <QWidget>

namespace qf {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;
    // From now on texts go to standard error instead of a box: once the platform is taking the
    // program down, nobody is there to press OK and a box would only hold the end up.
    void sendToStandardError() { toStandardError_ = true; }
    bool sendsToStandardError() const { return toStandardError_; }

private:
    bool toStandardError_ = false;
    // The box centres over this window while it exists.
    QPointer<QWidget> parent_;
};

} // namespace qf
