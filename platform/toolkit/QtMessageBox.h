#pragma once

#include "MessageBox.h"

#include <QPointer>
#include <QWidget>

namespace qf {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;

private:
    // The box centres over this window while it exists.
    QPointer<QWidget> parent_;
};

} // namespace qf
