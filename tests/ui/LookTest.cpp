// What a person who sees poorly gets from the windows, drawn in the program's own look and
// pictures: a focus mark that stands out from whatever it covers, captions of disabled buttons
// that can be read, and texts that fit their boxes.

#include "app/ConfigCommands.h"
#include "recorder/RecorderWindow.h"
#include "recorder/SaveWindow.h"
#include "tests/fixtures/FakeAppFolder.h"
#include "tests/fixtures/TestDoubles.h"
#include "ui/AboutWindow.h"
#include "ui/ContactWindow.h"
#include "ui/MainWindow.h"
#include "ui/ProgramLook.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
double luminance(QRgb colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) +
           0.0722 * linear(qBlue(colour));
}

double contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

double contrast(QRgb a, QRgb b) {
    return contrast(luminance(a), luminance(b));
}

// How a text written over a plain image reads: its pixels against the same pixels without it.
// Edges blend into the face whatever the colours, so the fullest tenth of the strokes counts.
double strokeContrast(const QImage& written, const QImage& plain) {
    std::vector<double> strokes;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (written.pixel(x, y) != plain.pixel(x, y)) {
                strokes.push_back(contrast(written.pixel(x, y), plain.pixel(x, y)));
            }
        }
    }
    if (strokes.empty()) {
        return 0.0;
    }
    std::sort(strokes.begin(), strokes.end());
    return strokes[strokes.size() * 9 / 10];
}

QImage shot(QWidget* widget, QRect area = {}) {
    return widget->grab(area.isNull() ? widget->rect() : area)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

class SilentMedia final : public qf::mci::MediaCommandSender {
public:
    unsigned send(const char*, char* reply, std::size_t length) override {
        if (reply != nullptr && length > 0) {
            reply[0] = '\0';
        }
        return 0;
    }
    std::string errorText(unsigned) const override { return {}; }
};

std::string nameOf(const QWidget* window, const QWidget* control) {
    return (window->objectName() + QLatin1Char('.') + control->objectName()).toStdString();
}

class LookTest : public ::testing::Test {
protected:
    LookTest() : font_(QApplication::font()), style_(QApplication::style()->name()) {
        qf::ProgramLook::apply();
        // The program's real pictures, as the marks and captions are seen on them.
        const QDir built(QStringLiteral(QF_APP_DIR));
        const QDir here(QString::fromStdString(folder.str()));
        for (const QString& name : built.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
            QFile::remove(here.filePath(name));
            QFile::copy(built.filePath(name), here.filePath(name));
        }
    }
    ~LookTest() override {
        QApplication::setStyle(style_);
        QApplication::setFont(font_);
    }

    // Every pixel just around a tab stop that its focus takes at least 3:1 away from what it
    // showed belongs to the mark; the mark must cross every row and column beside the control,
    // on all four sides.
    static void expectRingsOnEveryStop(QWidget* window) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) == 0 || !control->isEnabled() ||
                !control->isVisibleTo(window)) {
                continue;
            }
            constexpr int kLook = 4;
            const QRect area(control->mapTo(window, QPoint()) - QPoint(kLook, kLook),
                             control->size() + QSize(2 * kLook, 2 * kLook));
            if (QWidget* focused = QApplication::focusWidget()) {
                focused->clearFocus();
            }
            const QImage before = shot(window, area);
            control->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(control->hasFocus()) << nameOf(window, control);
            const QImage after = shot(window, area);

            const int band = static_cast<int>(kLook * after.devicePixelRatio());
            for (const bool across : {false, true}) {
                for (const bool far : {false, true}) {
                    const int length = across ? after.height() : after.width();
                    const int depth = across ? after.width() : after.height();
                    int crossed = 0;
                    for (int i = band; i < length - band; ++i) {
                        for (int j = 0; j < band; ++j) {
                            const int d = far ? depth - 1 - j : j;
                            const QPoint p = across ? QPoint(d, i) : QPoint(i, d);
                            if (contrast(before.pixel(p), after.pixel(p)) >= 3.0) {
                                ++crossed;
                                break;
                            }
                        }
                    }
                    EXPECT_GE(crossed, 0.95 * (length - 2 * band))
                        << nameOf(window, control) << (across ? " left/right" : " above/below");
                }
            }
        }
    }

    // Each text against its box, in the font it is drawn in.
    static void expectTextsFit(QWidget* window) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisibleTo(window)) {
                continue;
            }
            if (label->wordWrap()) {
                const QFontMetrics metrics(label->font());
                for (const QString& word : label->text().split(QLatin1Char(' '))) {
                    EXPECT_LE(metrics.horizontalAdvance(word), label->contentsRect().width())
                        << nameOf(window, label);
                }
                EXPECT_LE(label->heightForWidth(label->width()), label->height())
                    << nameOf(window, label);
            } else {
                EXPECT_LE(label->sizeHint().width(), label->width()) << nameOf(window, label);
                EXPECT_LE(label->sizeHint().height(), label->height()) << nameOf(window, label);
            }
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            const QFontMetrics metrics(button->font());
            // A check box needs room for its box; a button for its bevel and a pixel of air.
            EXPECT_LE(qobject_cast<const QCheckBox*>(button) != nullptr
                          ? button->sizeHint().width()
                          : metrics.horizontalAdvance(button->text()) + 4,
                      button->width())
                << nameOf(window, button);
            EXPECT_LE(metrics.height(), button->height()) << nameOf(window, button);
        }
        for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
            EXPECT_LE(QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 8,
                      frame->width())
                << nameOf(window, frame);
        }
    }

    qf::test::FakeAppFolder folder;
    qf::test::RecordingMessages messages;
    SilentMedia media;

private:
    QFont font_;
    QString style_;
};

TEST_F(LookTest, EveryTabStopGetsARingThatStandsOutFromWhatItCovers) {
    qf::MainWindow main(folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
                        qf::test::offlineOutputs());
    expectRingsOnEveryStop(&main);
    const std::unique_ptr<qf::RecorderWindow> recorder(new qf::RecorderWindow(folder.str(), media));
    expectRingsOnEveryStop(recorder.get());
    const std::unique_ptr<qf::SaveWindow> save(new qf::SaveWindow(folder.str(), media, &messages));
    expectRingsOnEveryStop(save.get());
}

TEST_F(LookTest, DisabledCaptionsCanBeReadAndStillLookDisabled) {
    const std::unique_ptr<qf::RecorderWindow> recorder(new qf::RecorderWindow(folder.str(), media));
    recorder->show();
    const qf::RecorderLayout& ui = recorder->controls();
    for (QPushButton* button :
         std::vector<QPushButton*>{ui.stopButton, ui.playButton, ui.saveButton, ui.resetButton}) {
        ASSERT_FALSE(button->isEnabled()) << button->text().toStdString();
        const QString caption = button->text();
        const QImage written = shot(button);
        button->setText(QString());
        const QImage face = shot(button);
        button->setEnabled(true);
        const QImage enabledFace = shot(button);
        button->setEnabled(false);
        button->setText(caption);

        EXPECT_GE(strokeContrast(written, face), 3.0) << caption.toStdString();
        double faceLight = 0.0;
        double enabledLight = 0.0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                faceLight += luminance(face.pixel(x, y));
                enabledLight += luminance(enabledFace.pixel(x, y));
            }
        }
        // Disabled shows in more than the caption: the face itself changes.
        const double pixels = face.width() * face.height();
        EXPECT_GE(contrast(faceLight / pixels, enabledLight / pixels), 1.25)
            << caption.toStdString();
    }
    // The unavailable Quality menu is greyed, and can still be read.
    QMenu* quality = recorder->qualityMenu();
    ASSERT_FALSE(quality->isEnabled());
    const QImage titled = shot(recorder->menuBar());
    quality->setTitle(QString());
    EXPECT_GE(strokeContrast(titled, shot(recorder->menuBar())), 3.0) << "Quality";
}

TEST_F(LookTest, TextsFitTheirBoxesInEveryWindow) {
    qf::MainWindow main(folder.str(), messages, qf::ConfigCommands::inFolder(folder.str()),
                        qf::test::offlineOutputs());
    // The widest reading the frequency sliders can ask for.
    for (int row = 1; row <= 5; ++row) {
        main.setReadout(row, "32767");
    }
    main.show();
    expectTextsFit(&main);

    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<qf::RecorderWindow>(folder.str(), media));
    windows.push_back(std::make_unique<qf::SaveWindow>(folder.str(), media, &messages));
    windows.push_back(std::make_unique<qf::AboutWindow>(folder.str()));
    windows.push_back(std::make_unique<qf::ContactWindow>(folder.str()));
    windows.push_back(std::make_unique<qf::SplashWindow>(folder.str()));
    for (const auto& window : windows) {
        window->show();
        expectTextsFit(window.get());
    }
}

} // namespace
