#include "widgets/PictureButton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace qf {

namespace {

// A disabled button keeps a readable caption, set in a dark grey with a light line under it as
// if cut into a paler face: unlike the enabled look, yet far from its face.
const QColor kDisabledCaption(64, 64, 64);
const QColor kEngraving(255, 255, 255, 160);
const QColor kPaling(255, 255, 255, 110);

} // namespace

PictureButton::PictureButton(const QString& caption, const QPixmap& face, QWidget* parent)
    : QPushButton(caption, parent), face_(face) {}

void PictureButton::paintEvent(QPaintEvent* event) {
    if (face_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // A latched toggle (Mute while muted) stays pressed in, so its state shows.
    const bool down = isDown() || isChecked();
    const QSize faceSize = face_.deviceIndependentSize().toSize();
    const QPoint offset((width() - faceSize.width()) / 2, (height() - faceSize.height()) / 2);
    painter.drawPixmap(offset, face_);
    if (down) {
        painter.fillRect(rect(), QColor(0, 0, 0, 60));
    }
    if (!isEnabled()) {
        painter.fillRect(rect(), kPaling);
    }
    // A bevel makes the edge of the button visible on any face.
    painter.setPen(down ? QColor(60, 60, 60) : QColor(250, 250, 250));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(down ? QColor(250, 250, 250) : QColor(60, 60, 60));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);

    const QRect textArea = rect().translated(down ? 1 : 0, down ? 1 : 0);
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::ButtonText));
    } else {
        painter.setPen(kEngraving);
        painter.drawText(textArea.translated(1, 1), Qt::AlignCenter, text());
        painter.setPen(kDisabledCaption);
    }
    painter.drawText(textArea, Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 2, -3, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace qf
