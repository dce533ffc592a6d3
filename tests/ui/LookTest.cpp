// What a person who sees poorly gets from the windows, as drawn in the program's own look and
// pictures: a focus mark that stands out from whatever it covers, captions of disabled buttons
// that can still be read, and texts that fit their boxes.

#include "AboutWindow.h"
#include "ContactWindow.h"
#include "FakeAppFolder.h"
#include "MainWindow.h"
#include "MediaCommandSender.h"
#include "ProgramLook.h"
#include "RecorderWindow.h"
#include "SaveWindow.h"
#include "SplashWindow.h"
#include "TestDoubles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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

double contrast(double luminanceA, double luminanceB) {
    return (std::max(luminanceA, luminanceB) + 0.05) / (std::min(luminanceA, luminanceB) + 0.05);
}

double contrast(QRgb a, QRgb b) {
    return contrast(luminance(a), luminance(b));
}

double meanLuminance(const QImage& image) {
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            sum += luminance(image.pixel(x, y));
        }
    }
    return sum / (image.width() * image.height());
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

class LookTest : public ::testing::Test {
protected:
    LookTest() : font_(QApplication::font()), style_(QApplication::style()->name()) {
        qf::ProgramLook::apply();
        // The program's real pictures: the focus mark and the captions are judged on them.
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

    static void bringUp(QWidget* window) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    // The pixels just around `control`, before and after it takes the focus: every pixel the
    // focus takes at least 3:1 away from what it showed is the mark, and the mark must cross
    // every row and column beside the control, on all four sides.
    static void expectRingAround(QWidget* window, QWidget* control) {
        constexpr int kLook = 4;
        const QRect area(control->mapTo(window, QPoint(0, 0)) - QPoint(kLook, kLook),
                         control->size() + QSize(2 * kLook, 2 * kLook));
        if (QWidget* focused = QApplication::focusWidget()) {
            focused->clearFocus();
        }
        QApplication::processEvents();
        const QImage before = shot(window, area);
        control->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(control->hasFocus()) << qPrintable(control->objectName());
        const QImage after = shot(window, area);

        const int band = static_cast<int>(kLook * after.devicePixelRatio());
        const int width = after.width();
        const int height = after.height();
        const auto marked = [&](int x, int y) {
            return contrast(before.pixel(x, y), after.pixel(x, y)) >= 3.0;
        };
        const auto crossed = [&](int from, int to, auto&& line) {
            int count = 0;
            for (int i = from; i < to; ++i) {
                for (int j = 0; j < band; ++j) {
                    if (line(i, j)) {
                        ++count;
                        break;
                    }
                }
            }
            return static_cast<double>(count) / (to - from);
        };
        const std::string name = control->objectName().toStdString();
        EXPECT_GE(crossed(band, width - band, [&](int x, int j) { return marked(x, j); }), 0.95)
            << name << " above";
        EXPECT_GE(
            crossed(band, width - band, [&](int x, int j) { return marked(x, height - 1 - j); }),
            0.95)
            << name << " below";
        EXPECT_GE(crossed(band, height - band, [&](int y, int j) { return marked(j, y); }), 0.95)
            << name << " left";
        EXPECT_GE(
            crossed(band, height - band, [&](int y, int j) { return marked(width - 1 - j, y); }),
            0.95)
            << name << " right";
    }

    static void expectRingsOnEveryStop(QWidget* window) {
        bringUp(window);
        int stops = 0;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) != 0 && control->isEnabled() &&
                control->isVisibleTo(window)) {
                expectRingAround(window, control);
                ++stops;
            }
        }
        EXPECT_GT(stops, 0);
    }

    // Each text against its box, in the font it is drawn in.
    static void expectTextsFit(QWidget* window) {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisibleTo(window)) {
                continue;
            }
            const std::string name =
                (window->objectName() + QLatin1Char('.') + label->objectName()).toStdString();
            if (label->wordWrap()) {
                const QFontMetrics metrics(label->font());
                for (const QString& word : label->text().split(QLatin1Char(' '))) {
                    EXPECT_LE(metrics.horizontalAdvance(word), label->contentsRect().width())
                        << name << ": " << qPrintable(word);
                }
                EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
            } else {
                EXPECT_LE(label->sizeHint().width(), label->width()) << name;
                EXPECT_LE(label->sizeHint().height(), label->height()) << name;
            }
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            const std::string name =
                (window->objectName() + QLatin1Char('.') + button->objectName()).toStdString();
            const QFontMetrics metrics(button->font());
            if (qobject_cast<const QCheckBox*>(button) != nullptr) {
                EXPECT_LE(button->sizeHint().width(), button->width()) << name;
            } else {
                // Room for the bevel and a pixel of air on each side.
                EXPECT_LE(metrics.horizontalAdvance(button->text()) + 4, button->width()) << name;
            }
            EXPECT_LE(metrics.height(), button->height()) << name;
        }
        for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
            EXPECT_LE(QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 8,
                      frame->width())
                << qPrintable(frame->objectName());
        }
        for (const QLineEdit* box : window->findChildren<QLineEdit*>()) {
            const QFontMetrics metrics(box->font());
            EXPECT_LE(metrics.horizontalAdvance(box->text()) + 8, box->width())
                << qPrintable(box->objectName());
            EXPECT_LE(metrics.height() + 4, box->height()) << qPrintable(box->objectName());
        }
    }

    qf::test::FakeAppFolder folder;
    qf::test::RecordingMessages messages;
    SilentMedia media;

private:
    QFont font_;
    QString style_;
};

TEST_F(LookTest, EveryTabStopOfTheMainWindowGetsARingThatStandsOut) {
    qf::MainWindow main(folder.str(), messages, qf::test::offlineOutputs());
    expectRingsOnEveryStop(&main);
}

TEST_F(LookTest, EveryTabStopOfTheRecorderAndTheSaveWindowGetsARingThatStandsOut) {
    const std::unique_ptr<qf::RecorderWindow> recorder(new qf::RecorderWindow(folder.str(), media));
    expectRingsOnEveryStop(recorder.get());
    const std::unique_ptr<qf::SaveWindow> save(new qf::SaveWindow(folder.str(), media, &messages));
    expectRingsOnEveryStop(save.get());
}

TEST_F(LookTest, DisabledCaptionsCanBeReadAndStillLookDisabled) {
    const std::unique_ptr<qf::RecorderWindow> recorder(new qf::RecorderWindow(folder.str(), media));
    bringUp(recorder.get());
    const qf::RecorderLayout& ui = recorder->controls();
    for (QPushButton* button :
         {static_cast<QPushButton*>(ui.stopButton), static_cast<QPushButton*>(ui.playButton),
          static_cast<QPushButton*>(ui.saveButton), static_cast<QPushButton*>(ui.resetButton)}) {
        ASSERT_FALSE(button->isEnabled()) << qPrintable(button->text());
        const QString caption = button->text();
        const QImage written = shot(button);
        button->setText(QString());
        const QImage face = shot(button);
        button->setEnabled(true);
        const QImage enabledFace = shot(button);
        button->setEnabled(false);
        button->setText(caption);

        // The caption's pixels against the face beneath them; the fullest strokes count, as
        // edges blend into the face whatever the colours.
        std::vector<double> caption_contrast;
        for (int y = 0; y < written.height(); ++y) {
            for (int x = 0; x < written.width(); ++x) {
                if (written.pixel(x, y) != face.pixel(x, y)) {
                    caption_contrast.push_back(contrast(written.pixel(x, y), face.pixel(x, y)));
                }
            }
        }
        ASSERT_FALSE(caption_contrast.empty()) << qPrintable(caption);
        std::sort(caption_contrast.begin(), caption_contrast.end());
        EXPECT_GE(caption_contrast[caption_contrast.size() * 9 / 10], 3.0) << qPrintable(caption);
        // Disabled is told by more than the caption: the face itself looks different.
        EXPECT_GE(contrast(meanLuminance(face), meanLuminance(enabledFace)), 1.25)
            << qPrintable(caption);
    }
}

TEST_F(LookTest, TextsFitTheirBoxesInEveryWindow) {
    qf::MainWindow main(folder.str(), messages, qf::test::offlineOutputs());
    // The widest reading the frequency sliders can ask for.
    for (int row = 1; row <= 5; ++row) {
        main.setReadout(row, "32767");
    }
    main.show();
    expectTextsFit(&main);

    const std::unique_ptr<qf::RecorderWindow> recorder(new qf::RecorderWindow(folder.str(), media));
    recorder->show();
    QTest::mouseClick(recorder->controls().recordButton, Qt::LeftButton);
    expectTextsFit(recorder.get());

    std::vector<std::unique_ptr<QWidget>> others;
    others.push_back(std::make_unique<qf::SaveWindow>(folder.str(), media, &messages));
    others.push_back(std::make_unique<qf::AboutWindow>(folder.str()));
    others.push_back(std::make_unique<qf::ContactWindow>(folder.str()));
    others.push_back(std::make_unique<qf::SplashWindow>(folder.str()));
    for (const auto& window : others) {
        window->show();
        expectTextsFit(window.get());
    }
}

} // namespace
