#include "widgets/Backdrop.h"

#include <QPainter>

namespace qf {

Backdrop::Backdrop(QWidget* parent) : QWidget(parent) {}

void Backdrop::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void Backdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawPixmap(0, 0, picture_);
}

} // namespace qf
