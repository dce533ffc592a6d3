#include "recorder/RecorderLayout.h"

#include "widgets/AccessibleMarks.h"

#include <QPalette>

namespace qf {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);

QFont arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QGroupBox* silverFrame(QWidget* parent, const char* name, const QString& caption, QRect where) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(where);
    QPalette colours = frame->palette();
    colours.setColor(QPalette::Window, kSilver);
    frame->setPalette(colours);
    // A solid panel over the backdrop.
    frame->setAutoFillBackground(true);
    return frame;
}

// A display on black with a thin border, as the window's read-outs are drawn.
QLabel* display(QWidget* parent, const char* name, QRect where, const char* textColour) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    label->setTextFormat(Qt::PlainText);
    label->setStyleSheet(QStringLiteral("QLabel { background-color: black; color: %1; "
                                        "border: 1px solid gray; }")
                             .arg(QString::fromLatin1(textColour)));
    return label;
}

} // namespace

RecorderLayout::RecorderLayout(QWidget* client,
                               const std::function<QPixmap(const char*)>& picture) {
    backdrop = new Backdrop(client);
    backdrop->setObjectName(QStringLiteral("Picture1"));
    // Larger than the client area on purpose: the window crops it.
    backdrop->setGeometry(twips(0, 0, 6135, 2775));
    backdrop->setPicture(picture("background.jpg"));

    informationFrame =
        silverFrame(client, "Frame3", QStringLiteral("Information"), twips(120, 120, 2775, 2295));
    statusFrame =
        silverFrame(client, "Frame2", QStringLiteral("Status"), twips(3000, 120, 2775, 2295));
    buildInformation();
    buildStatus();
    buildButtons(client, picture);
    setFocusOrder();
}

void RecorderLayout::buildInformation() {
    informationLabel =
        display(informationFrame, "Label3", twips(120, 240, 2535, 1935), "rgb(128, 255, 128)");
    informationLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    informationLabel->setFont(arial(8.25, false));
    AccessibleMarks::markStatus(informationLabel);
}

void RecorderLayout::buildStatus() {
    timeBox = new QLineEdit(statusFrame);
    timeBox->setObjectName(QStringLiteral("Text1"));
    timeBox->setGeometry(twips(120, 240, 2535, 375));
    timeBox->setAlignment(Qt::AlignCenter);
    timeBox->setFont(arial(12, true));
    QPalette colours = timeBox->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, kSilver);
    timeBox->setPalette(colours);
    timeBox->setAccessibleName(QStringLiteral("Elapsed time"));

    modeLabel = display(statusFrame, "Label1", twips(120, 720, 2535, 375), "white");
    modeLabel->setAlignment(Qt::AlignCenter);
    // A status whose name is its text: a screen reader hears of each new mode.
    AccessibleMarks::markStatus(modeLabel);
}

void RecorderLayout::buildButtons(QWidget* client,
                                  const std::function<QPixmap(const char*)>& picture) {
    const QPixmap small = picture("button_small.jpg");
    const QPixmap wide = picture("button_wide.jpg");
    const auto button = [](const char* name, const char* caption, const QPixmap& face,
                           QWidget* parent, QRect where) {
        auto* b = new PictureButton(QString::fromLatin1(caption), face, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(where);
        return b;
    };
    saveButton = button("Command5", "Save ", wide, statusFrame, twips(120, 1560, 2535, 255));
    // These lie over the status frame but belong to the window, so they are made after it and
    // stack above it.
    recordButton = button("Command2", "Record", picture("button_red.jpg"), client,
                          twips(3120, 1320, 735, 255));
    stopButton = button("Command3", "Stop", small, client, twips(3960, 1320, 855, 255));
    playButton = button("Command4", "Play", small, client, twips(4920, 1320, 735, 255));
    resetButton = button("Command1", "Reset", wide, client, twips(3120, 2040, 1695, 255));
    helpButton = button("Command6", "Help", small, client, twips(4920, 2040, 735, 255));

    // The record button is red; its caption stays readable in white.
    QPalette red = recordButton->palette();
    red.setColor(QPalette::Button, Qt::red);
    red.setColor(QPalette::ButtonText, Qt::white);
    recordButton->setPalette(red);
}

void RecorderLayout::setFocusOrder() {
    QWidget* const order[] = {playButton,  stopButton, recordButton, saveButton,
                              resetButton, helpButton, timeBox};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void RecorderLayout::restoreInitialState() {
    timeBox->clear();
    modeLabel->clear();
    informationLabel->clear();
    for (QWidget* on : {static_cast<QWidget*>(recordButton), static_cast<QWidget*>(saveButton),
                        static_cast<QWidget*>(resetButton), static_cast<QWidget*>(helpButton)}) {
        on->setEnabled(true);
    }
    stopButton->setEnabled(false);
    playButton->setEnabled(false);
}

} // namespace qf
