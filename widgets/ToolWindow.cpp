#include "widgets/ToolWindow.h"

#include "platform/files/FileLookup.h"
#include "widgets/PictureFile.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>

#include <utility>

namespace qf {

ToolWindow::ToolWindow(std::string appFolder, const QString& caption, int clientWidthTwips,
                       int clientHeightTwips)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      appFolder_(std::move(appFolder)) {
    // Qt adds the window menu to any title bar with buttons; these windows carry none, so no
    // menu or icon should appear at the left of the caption.
    overrideWindowFlags(windowFlags() & ~Qt::WindowSystemMenuHint);
    setWindowTitle(caption);
    setFixedSize(clientWidthTwips / kTwipsPerPixel, clientHeightTwips / kTwipsPerPixel);
    // Qt lets tool windows die with the last ordinary window; these must not: the program runs
    // on until the last of its windows, whatever its kind, is closed.
    setAttribute(Qt::WA_QuitOnClose, true);
    // Closing unloads the window; showing it again makes a fresh one, centred again.
    setAttribute(Qt::WA_DeleteOnClose, true);

    const QPixmap icon = picture("icon.png");
    if (!icon.isNull()) {
        setWindowIcon(icon);
    }
}

QPixmap ToolWindow::picture(const std::string& name) const {
    // Nothing beyond the fixed client area can show.
    return PictureFile::load(QString::fromStdString(FileLookup::resolve(appFolder_, name)), size(),
                             devicePixelRatioF());
}

void ToolWindow::setBackground(const QPixmap& background) {
    background_ = background;
    update();
}

QLabel* ToolWindow::addLabel(const char* name, const QString& text, QRect where) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    // Plain text, so an address never turns into a link, and nothing to select or focus.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setText(text);
    return label;
}

QLabel* ToolWindow::addCaptionLabel(const char* name, const QString& text, QRect where) {
    QLabel* label = addLabel(name, text, where);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colours);
    // The labels overlap one another; without a fill of their own only their text shows.
    label->setAutoFillBackground(false);
    return label;
}

QLabel* ToolWindow::addLogoBox(QRect where) {
    QLabel* box = addLabel("Picture1", QString(), where);
    box->setWordWrap(false);
    QPalette colours = box->palette();
    colours.setColor(QPalette::Window, QColor(0, 0, 64));
    box->setPalette(colours);
    box->setAutoFillBackground(true);
    const QPixmap logo = picture("logo.jpg");
    if (!logo.isNull()) {
        box->setPixmap(logo);
    }
    return box;
}

QFont ToolWindow::titleFont() {
    // The face the layout was drawn with is a Windows bitmap font; asking for it by name still
    // lets a machine that has it use it, and the style hint sends every other machine to its own
    // sans-serif face (DejaVu Sans on most Linux desktops) at the same size and weight.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setBold(true);
    return font;
}

void ToolWindow::paintEvent(QPaintEvent* /*event*/) {
    if (background_.isNull()) {
        return;
    }
    // Unscaled and cropped by the window, as the picture was made larger than any of them.
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void ToolWindow::showEvent(QShowEvent* event) {
    // Only the first showing places the window; bringing an open window to the front again
    // leaves it where the user put it.
    if (!placed_) {
        placed_ = true;
        centre();
    }
    QWidget::showEvent(event);
}

void ToolWindow::centre() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    // The frame counts where the desktop has already told us its size; elsewhere the client
    // area is centred, a title bar's height off at most.
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace qf
