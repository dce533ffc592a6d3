#include "ui/ProgramLook.h"

#include "widgets/FocusRingStyle.h"

#include <QApplication>
#include <QFont>
#include <QPalette>

namespace qf {

void ProgramLook::apply() {
    // The layout was drawn for the desktop's 8-point dialog font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    QApplication::setStyle(new FocusRingStyle);
    // Unavailable texts (the recorder's Quality menu) stay grey, but a grey that can be read.
    QPalette palette = QApplication::palette();
    const QColor readableGrey(100, 100, 100);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, readableGrey);
    }
    QApplication::setPalette(palette);
}

} // namespace qf
