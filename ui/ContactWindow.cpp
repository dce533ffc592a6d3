#include "ui/ContactWindow.h"

#include "ui/MakerTexts.h"

#include <QLabel>

#include <utility>

namespace qf {

ContactWindow::ContactWindow(std::string appFolder)
    : ToolWindow(std::move(appFolder), QStringLiteral("Contact Us"), 4680, 1140) {
    setObjectName(QStringLiteral("Form4"));
    notice_ = notice("Label1",
                     QStringLiteral("If you have a problem, query or a suggestion about this "
                                    "product, please contact us at the address below."),
                     twips(120, 120, 4455, 495));
    email_ = notice("Label2", QString::fromUtf8(maker::kSupportEmail), twips(120, 600, 4455, 375));
}

QLabel* ContactWindow::notice(const char* name, const QString& text, QRect where) {
    QLabel* label = addLabel(name, text, where);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    // A framed label keeps half a letter of space inside its frame on every side; with two lines
    // of today's desktop font that leaves no room for the second line's descenders, so one pixel
    // of space is kept instead.
    label->setIndent(1);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 192));
    // Fixed dark text: a dark desktop theme's light text would vanish on the yellow.
    colours.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace qf
