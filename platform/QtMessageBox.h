#pragma once

#include "MessageBox.h"

class QWidget;

namespace qf {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace qf
