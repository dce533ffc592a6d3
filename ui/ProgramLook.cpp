#include "ProgramLook.h"

#include "FocusRingStyle.h"

#include <QApplication>
#include <QFont>

namespace qf {

void ProgramLook::apply() {
    // The layout was drawn for the desktop's 8-point dialog font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    QApplication::setStyle(new FocusRingStyle);
}

} // namespace qf
