#pragma once

#include <QPixmap>
#include <QWidget>

namespace qf {

// A plain area with a picture drawn unscaled from its top-left corner and cropped by its edges,
// the way the program's windows show their background.
class Backdrop final : public QWidget {
    Q_OBJECT
public:
    explicit Backdrop(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

} // namespace qf
