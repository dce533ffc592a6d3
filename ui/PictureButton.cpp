#include "PictureButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace qf {

PictureButton::PictureButton(const QString& caption, const QPixmap& face, QWidget* parent)
    : QPushButton(caption, parent), face_(face) {}

void PictureButton::paintEvent(QPaintEvent* event) {
    if (face_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const bool down = isDown();
    const QPoint offset((width() - face_.width()) / 2, (height() - face_.height()) / 2);
    painter.drawPixmap(offset, face_);
    if (down) {
        painter.fillRect(rect(), QColor(0, 0, 0, 60));
    }
    // A bevel makes the edge of the button visible on any face.
    painter.setPen(down ? QColor(60, 60, 60) : QColor(250, 250, 250));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(down ? QColor(250, 250, 250) : QColor(60, 60, 60));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);

    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    const QRect textArea = rect().translated(down ? 1 : 0, down ? 1 : 0);
    painter.drawText(textArea, Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 2, -3, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace qf
