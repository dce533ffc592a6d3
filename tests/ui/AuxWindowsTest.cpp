#include "platform/toolkit/QtShell.h"
#include "ui/AboutWindow.h"
#include "ui/ContactWindow.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using qf::AboutWindow;
using qf::ContactWindow;
using qf::SplashWindow;
using qf::ToolWindow;

const QColor kDarkBlue(0, 0, 64);
const QColor kLightYellow(255, 255, 192);

// An application folder with pictures that show where and how they were drawn: a dark gradient
// background (so scaling or shifting it changes the pixels, and white text stands out) and a
// logo with a red corner on green.
class PictureFolder {
public:
    explicit PictureFolder(bool withPictures = true) {
        if (!withPictures) {
            return;
        }
        QImage background(1000, 800, QImage::Format_RGB32);
        for (int y = 0; y < background.height(); ++y) {
            for (int x = 0; x < background.width(); ++x) {
                background.setPixel(x, y, qRgb(x * 60 / 1000, y * 60 / 800, 30));
            }
        }
        background.save(dir_.filePath(QStringLiteral("background.jpg")), "JPG", 100);
        QImage logo(288, 154, QImage::Format_RGB32);
        logo.fill(QColor(0, 200, 0));
        QPainter(&logo).fillRect(0, 0, 40, 40, QColor(220, 0, 0));
        logo.save(dir_.filePath(QStringLiteral("logo.jpg")), "JPG", 100);
        QImage icon(48, 48, QImage::Format_RGB32);
        icon.fill(Qt::yellow);
        icon.save(dir_.filePath(QStringLiteral("icon.png")));
    }

    std::string str() const { return dir_.path().toStdString(); }
    QImage image(const char* name) const {
        return QImage(dir_.filePath(QString::fromLatin1(name)));
    }

private:
    QTemporaryDir dir_;
};

QImage shot(QWidget& window) {
    return window.grab().toImage();
}

bool nearlyWhite(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

bool anyPixel(const QImage& image, QRect area, const std::function<bool(QRgb)>& test) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (test(image.pixel(x, y))) {
                return true;
            }
        }
    }
    return false;
}

// The smallest rectangle holding every dark pixel of the area: where the text was drawn.
QRect ink(const QImage& image, QRect area) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

// The windows close themselves into deleteLater; run those deletions now.
void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct WindowCase {
    const char* caption;
    QSize client;
    std::function<ToolWindow*(const std::string&)> make;
};

const WindowCase kWindows[] = {
    {"Quietfield", {304, 211}, [](const std::string& f) { return new SplashWindow(f); }},
    {"Quietfield v2.0", {305, 267}, [](const std::string& f) { return new AboutWindow(f); }},
    {"Contact Us", {312, 76}, [](const std::string& f) { return new ContactWindow(f); }},
};

TEST(ToolWindowTest, SmallFixedToolWindowsWithACloseBoxOnly) {
    PictureFolder folder;
    for (const WindowCase& c : kWindows) {
        SCOPED_TRACE(c.caption);
        QPointer<ToolWindow> window = c.make(folder.str());
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_EQ(window->windowType(), Qt::Tool);
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
        EXPECT_EQ(window->parentWidget(), nullptr);
        EXPECT_EQ(window->windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(window->minimumSize(), c.client);
        EXPECT_EQ(window->maximumSize(), c.client);
        EXPECT_FALSE(window->windowIcon().isNull());

        // Keys that close a dialog do nothing here; only the close box does.
        window->show();
        QTest::keyClick(window, Qt::Key_Escape);
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_TRUE(window->isVisible());
        for (QLabel* label : window->findChildren<QLabel*>()) {
            EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << label->objectName().toStdString();
            EXPECT_EQ(label->textInteractionFlags(), Qt::NoTextInteraction);
        }
        window->close();
        flushDeletions();
        EXPECT_TRUE(window.isNull()) << "closing unloads the window";
    }
}

TEST(ToolWindowTest, CentredWhenFirstShownThenLeftWhereItIs) {
    PictureFolder folder;
    QPointer<ToolWindow> window = new AboutWindow(folder.str());
    window->show();
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 1);

    window->move(7, 9);
    window->hide();
    window->show();
    window->raise();
    EXPECT_EQ(window->pos(), QPoint(7, 9));
    delete window;
}

TEST(ToolWindowTest, MissingPicturesLeaveThePlainColours) {
    PictureFolder empty(false);
    for (const WindowCase& c : kWindows) {
        SCOPED_TRACE(c.caption);
        QPointer<ToolWindow> window = c.make(empty.str());
        const QImage image = shot(*window);
        EXPECT_TRUE(window->background().isNull());
        EXPECT_TRUE(window->windowIcon().isNull());
        EXPECT_EQ(image.pixelColor(2, 2), window->palette().color(QPalette::Window));
        if (auto* logoBox = window->findChild<QLabel*>(QStringLiteral("Picture1"))) {
            EXPECT_EQ(image.pixelColor(logoBox->geometry().center()), kDarkBlue);
        }
        delete window;
    }
}

// Splash and About share the picture box and the white title under it.
template <class Window>
void expectLogoAndTitle(Window& window, const PictureFolder& folder, int titleTop) {
    const QImage image = shot(window);
    const QImage background = folder.image("background.jpg");
    const QImage logo = folder.image("logo.jpg");

    // The background is drawn unscaled from the corner, so window pixels are picture pixels.
    for (const QPoint at : {QPoint(3, 3), QPoint(300, 5), QPoint(2, titleTop - 4)}) {
        EXPECT_EQ(image.pixel(at), background.pixel(at)) << at.x() << "," << at.y();
    }

    EXPECT_EQ(window.logoBox()->geometry(), QRect(8, 8, 289, 165));
    const QPoint box = window.logoBox()->pos();
    EXPECT_EQ(image.pixel(box + QPoint(5, 5)), logo.pixel(5, 5));
    EXPECT_EQ(image.pixel(box + QPoint(100, 100)), logo.pixel(100, 100));
    EXPECT_EQ(image.pixelColor(box + QPoint(288, 5)), kDarkBlue) << "right of the logo";
    EXPECT_EQ(image.pixelColor(box + QPoint(5, 160)), kDarkBlue) << "below the logo";

    QLabel* title = window.titleLabel();
    EXPECT_EQ(title->text(), QStringLiteral("Quietfield"));
    EXPECT_EQ(title->geometry(), QRect(8, titleTop, 169, 25));
    const QFontInfo face(title->font());
    EXPECT_TRUE(face.bold());
    EXPECT_NEAR(face.pointSizeF(), 9.75, 0.01);
    EXPECT_TRUE(anyPixel(image, title->geometry(), nearlyWhite)) << "white text";
    // Past the end of the word the label shows the background, not a fill of its own.
    const QPoint past(title->geometry().right() - 2, titleTop + 3);
    EXPECT_EQ(image.pixel(past), background.pixel(past));

    EXPECT_EQ(window.ownershipLabel()->text(),
              QStringLiteral("Copyright © 2026 Quietfield Sound Works"));
    EXPECT_EQ(window.ownershipLabel()->geometry(), QRect(8, titleTop + 16, 257, 33));
    EXPECT_TRUE(anyPixel(image, window.ownershipLabel()->geometry().intersected(image.rect()),
                         nearlyWhite));
}

TEST(SplashTest, LogoOnDarkBlueAndTheNameInWhite) {
    PictureFolder folder;
    SplashWindow splash(folder.str());
    expectLogoAndTitle(splash, folder, 176);
}

TEST(AboutTest, LogoNameNoticeAddressAndCredit) {
    PictureFolder folder;
    AboutWindow about(folder.str());
    expectLogoAndTitle(about, folder, 184);

    const QImage image = shot(about);
    const QImage background = folder.image("background.jpg");
    EXPECT_EQ(about.webAddressLabel()->text(), QStringLiteral("www.quietfield.example"));
    EXPECT_EQ(about.webAddressLabel()->geometry(), QRect(8, 216, 233, 17));
    EXPECT_EQ(about.webAddressLabel()->textFormat(), Qt::PlainText) << "an address, not a link";
    EXPECT_EQ(about.designerLabel()->text(), QStringLiteral("Designed by the Quietfield team"));
    EXPECT_EQ(about.designerLabel()->geometry(), QRect(8, 232, 265, 33));
    // panningLabel lies over the second line of Label2's box; beyond its short text the background
    // still shows through both.
    const QPoint overlap(about.webAddressLabel()->geometry().right() - 2, 222);
    EXPECT_EQ(image.pixel(overlap), background.pixel(overlap));
    EXPECT_TRUE(anyPixel(image, about.designerLabel()->geometry(), nearlyWhite));
}

TEST(ContactTest, YellowBoxedNoticesOnThePlainWindowColour) {
    PictureFolder folder;
    QPointer<ContactWindow> contact = new ContactWindow(folder.str());
    const QImage image = shot(*contact);
    QLabel* notice = contact->noticeLabel();
    QLabel* address = contact->emailLabel();
    EXPECT_EQ(notice->text(), QStringLiteral("If you have a problem, query or a suggestion about "
                                             "this product, please contact us at the address "
                                             "below."));
    EXPECT_EQ(address->text(), QStringLiteral("support@quietfield.example"));
    EXPECT_EQ(notice->geometry(), QRect(8, 8, 297, 33));
    EXPECT_EQ(address->geometry(), QRect(8, 40, 297, 25));

    EXPECT_TRUE(contact->background().isNull());
    EXPECT_EQ(image.pixelColor(2, 2), contact->palette().color(QPalette::Window));
    for (QLabel* label : {notice, address}) {
        const QRect box = label->geometry();
        EXPECT_EQ(image.pixelColor(box.bottomLeft() + QPoint(3, -3)), kLightYellow);
        EXPECT_EQ(qGray(image.pixel(box.left(), box.center().y())), 0) << "single-line border";
        EXPECT_EQ(qGray(image.pixel(box.right(), box.center().y())), 0);
    }

    // The notice is longer than its box is wide, so it wraps onto a second line; the address is
    // centred, as far from the left border as from the right one.
    const QRect noticeInk = ink(image, notice->geometry().adjusted(2, 2, -2, -2));
    EXPECT_GT(noticeInk.height(), 2 * QFontMetrics(notice->font()).ascent());
    const QRect inside = address->geometry().adjusted(2, 2, -2, -2);
    const QRect addressInk = ink(image, inside);
    ASSERT_FALSE(addressInk.isEmpty());
    EXPECT_LE(std::abs((addressInk.left() - inside.left()) - (inside.right() - addressInk.right())),
              3);
    delete contact;
}

// One wait covers both: a splash left alone fires once, a splash closed early never does.
TEST(SplashTest, TimerFiresOnceUnlessTheSplashIsClosedFirst) {
    PictureFolder folder;
    QPointer<SplashWindow> left = new SplashWindow(folder.str());
    QPointer<SplashWindow> closed = new SplashWindow(folder.str());
    QSignalSpy leftFired(left.data(), &SplashWindow::timerFired);
    QSignalSpy closedFired(closed.data(), &SplashWindow::timerFired);
    EXPECT_EQ(left->cueTimer().interval(), 2000);
    EXPECT_TRUE(left->cueTimer().isActive());
    left->show();
    closed->show();

    closed->close();
    EXPECT_FALSE(closed->cueTimer().isActive());
    flushDeletions();
    EXPECT_TRUE(closed.isNull());

    QTest::qWait(1800);
    EXPECT_EQ(leftFired.count(), 0);
    QTest::qWait(300);
    EXPECT_EQ(leftFired.count(), 1);
    EXPECT_FALSE(left->cueTimer().isActive()) << "no second tick may follow";
    EXPECT_EQ(closedFired.count(), 0);
    delete left;
}

// Qt lets tool windows close with the last ordinary window; the About window must keep the
// program running after the main window has gone.
TEST(ToolWindowTest, KeepsTheProgramRunningUntilItIsClosed) {
    PictureFolder folder;
    QWidget mainWindow;
    QPointer<AboutWindow> about = new AboutWindow(folder.str());
    mainWindow.show();
    about->show();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    int afterMain = -1;
    QTimer::singleShot(0, [&] { mainWindow.close(); });
    QTimer::singleShot(50, [&] {
        afterMain = static_cast<int>(lastClosed.count());
        about->close();
    });
    QTimer::singleShot(100, qApp, &QCoreApplication::quit);
    QApplication::exec();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    EXPECT_EQ(afterMain, 0);
    EXPECT_EQ(lastClosed.count(), 1);
    flushDeletions();
}

TEST(QtShellTest, MissingDocumentShowsNothingOfOurs) {
    QTemporaryDir nowhere;
    const QWidgetList before = QApplication::topLevelWidgets();
    qf::QtShell shell;
    shell.open(nowhere.filePath(QStringLiteral("help.htm")).toStdString(), 0);
    QTest::qWait(50);
    EXPECT_EQ(QApplication::topLevelWidgets(), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
