#include "widgets/PictureFile.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qf::PictureFile;

// A picture with detail everywhere (gradients crossed with stripes, so that any shift, scaling or
// edge effect of partial decoding changes pixels), saved as the program's pictures are.
QString savePicture(const QTemporaryDir& dir, const char* name, QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x / 9 + y / 7) % 2) * 200));
        }
    }
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(image.save(path, format, 90));
    return path;
}

// The part of a picture shown in a smaller place must be exactly what decoding the whole
// picture shows there: windows are compared pixel for pixel against their background file.
TEST(PictureFileTest, LargerPictureIsDecodedOnlyAsFarAsItShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* format : {"JPG", "PNG"}) {
        SCOPED_TRACE(format);
        const QString path = savePicture(dir, format, {1000, 800}, format);
        const QImage whole(path);
        ASSERT_FALSE(whole.isNull());

        const QPixmap shown = PictureFile::load(path, {554, 336});
        ASSERT_EQ(shown.size(), QSize(554, 336));
        const QImage part = shown.toImage().convertToFormat(whole.format());
        EXPECT_EQ(part, whole.copy(0, 0, 554, 336));

        // Clipped on one side only: the other keeps the whole picture's extent.
        EXPECT_EQ(PictureFile::load(path, {2000, 100}).size(), QSize(1000, 100));
    }
}

TEST(PictureFileTest, SmallerPictureAndMissingFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString icon = savePicture(dir, "icon.png", {48, 48}, "PNG");
    const QPixmap whole = PictureFile::load(icon, {313, 137});
    EXPECT_EQ(whole.size(), QSize(48, 48));
    EXPECT_EQ(whole.toImage().convertToFormat(QImage::Format_RGB32),
              QImage(icon).convertToFormat(QImage::Format_RGB32));

    EXPECT_TRUE(PictureFile::load(dir.filePath(QStringLiteral("missing.jpg")), {10, 10}).isNull());
    EXPECT_TRUE(PictureFile::load(dir.filePath(QStringLiteral("icon.png")), {0, 0}).size() ==
                QSize(48, 48));
}

} // namespace

// A screen of two pixels to the point gets the finer variant beside the picture, cut to the same
// place in points; where there is none, the picture itself.
TEST(PictureFileTest, FinerVariantForScreensOfTwoPixelsToThePoint) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = savePicture(dir, "background.jpg", {1000, 800}, "JPG");
    const QImage fine(savePicture(dir, "background@2x.jpg", {2000, 1600}, "JPG"));
    EXPECT_EQ(PictureFile::finerVariant(path), dir.filePath(QStringLiteral("background@2x.jpg")));

    const QPixmap shown = PictureFile::load(path, {554, 336}, 2.0);
    EXPECT_EQ(shown.devicePixelRatio(), 2.0);
    EXPECT_EQ(shown.deviceIndependentSize(), QSizeF(554, 336));
    EXPECT_EQ(shown.toImage().convertToFormat(fine.format()), fine.copy(0, 0, 1108, 672));

    EXPECT_EQ(PictureFile::load(path, {554, 336}, 1.0).devicePixelRatio(), 1.0);
    const QString alone = savePicture(dir, "logo.jpg", {288, 154}, "JPG");
    const QPixmap coarse = PictureFile::load(alone, {}, 2.0);
    EXPECT_EQ(coarse.devicePixelRatio(), 1.0);
    EXPECT_EQ(coarse.size(), QSize(288, 154));
}
