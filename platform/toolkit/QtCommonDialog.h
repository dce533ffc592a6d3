#pragma once

#include "platform/toolkit/CommonDialog.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace qf {

// The open-file dialog over QFileDialog. It accepts a typed name of a file that does not exist
// yet (Save Config uses the same dialog) and never adds an extension to it.
class QtCommonDialog final : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void ShowOpen() override;

    // "Quietfield Files (*.qfc)| *.qfc" becomes the Qt filter "Quietfield Files (*.qfc)".
    static QString nameFilters(const std::string& filter);

private:
    QPointer<QWidget> parent_;
};

} // namespace qf
