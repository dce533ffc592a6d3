#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

QString appPath(const char* file) {
    return QString::fromUtf8(QF_APP_DIR) + QLatin1Char('/') + QString::fromUtf8(file);
}

QImage load(const char* file) {
    QImage image(appPath(file));
    return image.convertToFormat(QImage::Format_ARGB32);
}

double luminance(QRgb c) {
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

struct MeanColour {
    double r = 0.0, g = 0.0, b = 0.0;
};

MeanColour meanColour(const QImage& image) {
    MeanColour m;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            m.r += qRed(c);
            m.g += qGreen(c);
            m.b += qBlue(c);
        }
    const double count = static_cast<double>(image.width()) * image.height();
    m.r /= count;
    m.g /= count;
    m.b /= count;
    return m;
}

double meanLuminance(const QImage& image, int x0, int y0, int width, int height) {
    double sum = 0.0;
    for (int y = y0; y < y0 + height; ++y)
        for (int x = x0; x < x0 + width; ++x)
            sum += luminance(image.pixel(x, y));
    return sum / (static_cast<double>(width) * height);
}

// Share of a column band that differs clearly from the plain field at the top of each column:
// how much of it the spectrum's filled area covers.
double coveredShare(const QImage& image, int x0, int x1) {
    int covered = 0, total = 0;
    for (int x = x0; x < x1; ++x) {
        const double field = luminance(image.pixel(x, 2));
        for (int y = 3; y < image.height() - 3; ++y) {
            covered += std::abs(luminance(image.pixel(x, y)) - field) > 40.0 ? 1 : 0;
            ++total;
        }
    }
    return static_cast<double>(covered) / total;
}

struct PictureFile {
    const char* name;
    const char* file;
    int width;
    int height;
    const char* format;
};

const PictureFile pictureFiles[] = {
    {"BrownChannel", "brown_noise.jpg", 313, 137, "jpeg"},
    {"PinkChannel", "pink_noise.jpg", 313, 137, "jpeg"},
    {"WhiteChannel", "white_noise.jpg", 313, 137, "jpeg"},
    {"BlueChannel", "blue_noise.jpg", 313, 137, "jpeg"},
    {"VioletChannel", "violet.jpg", 313, 137, "jpeg"},
    {"Background", "background.jpg", 1000, 800, "jpeg"},
    {"Logo", "logo.jpg", 288, 154, "jpeg"},
    {"SmallButton", "button_small.jpg", 65, 44, "jpeg"},
    {"WideButton", "button_wide.jpg", 326, 34, "jpeg"},
    {"RecordButton", "button_red.jpg", 65, 44, "jpeg"},
    {"Icon", "icon.png", 48, 48, "png"},
};

void PrintTo(const PictureFile& picture, std::ostream* out) {
    *out << picture.file;
}

class PictureFileTest : public ::testing::TestWithParam<PictureFile> {};

struct ChannelPicture {
    const char* name;
    const char* file;
    double slopeDbPerOctave;
    // Colour components from strongest to weakest, or empty for a neutral grey.
    const char* componentOrder;
};

const ChannelPicture channelPictures[] = {
    {"Brown", "brown_noise.jpg", -6.02, "rgb"}, {"Pink", "pink_noise.jpg", -3.01, "rbg"},
    {"White", "white_noise.jpg", 0.0, ""},      {"Blue", "blue_noise.jpg", 3.01, "bgr"},
    {"Violet", "violet.jpg", 6.02, "brg"},
};

void PrintTo(const ChannelPicture& picture, std::ostream* out) {
    *out << picture.file;
}

class ChannelPictureTest : public ::testing::TestWithParam<ChannelPicture> {};

double component(const MeanColour& m, char c) {
    return c == 'r' ? m.r : c == 'g' ? m.g : m.b;
}

} // namespace

TEST_P(PictureFileTest, LoadsWithItsSizeAndFormat) {
    QImageReader reader(appPath(GetParam().file));
    EXPECT_EQ(reader.format(), QByteArray(GetParam().format));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.width(), GetParam().width);
    EXPECT_EQ(image.height(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFileTest, ::testing::ValuesIn(pictureFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ChannelPictureTest, IsTheColourOfItsNoise) {
    const MeanColour m = meanColour(load(GetParam().file));
    const std::string order = GetParam().componentOrder;
    if (order.empty()) {
        EXPECT_GT(std::min({m.r, m.g, m.b}), 150.0);
        EXPECT_LT(std::max({m.r, m.g, m.b}) - std::min({m.r, m.g, m.b}), 12.0);
        return;
    }
    EXPECT_GT(component(m, order[0]), component(m, order[1]) + 10.0);
    EXPECT_GT(component(m, order[1]), component(m, order[2]) + 10.0);
}

TEST_P(ChannelPictureTest, SpectrumFollowsTheSlope) {
    const QImage image = load(GetParam().file);
    const double low = coveredShare(image, 10, 60);
    const double high = coveredShare(image, image.width() - 60, image.width() - 10);
    RecordProperty("low_end_cover", std::to_string(low));
    RecordProperty("high_end_cover", std::to_string(high));
    // Every picture shows some spectrum; its fall or rise must match the noise.
    EXPECT_GT(low + high, 0.2);
    const double slope = GetParam().slopeDbPerOctave;
    if (slope < 0.0)
        EXPECT_GT(low, high + 0.2);
    else if (slope > 0.0)
        EXPECT_GT(high, low + 0.2);
    else
        EXPECT_NEAR(low, high, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Channels, ChannelPictureTest, ::testing::ValuesIn(channelPictures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WindowPictures, BackgroundRunsFromBrownToCreamDiagonally) {
    const QImage image = load("background.jpg");
    const QRgb topLeft = image.pixel(5, 5);
    const QRgb bottomRight = image.pixel(994, 794);
    EXPECT_GT(luminance(bottomRight), luminance(topLeft) + 100.0);
    // Brown: red well above blue. Cream: light, red still a little above blue.
    EXPECT_GT(qRed(topLeft), qBlue(topLeft) + 30);
    EXPECT_GT(luminance(bottomRight), 200.0);
    EXPECT_GE(qRed(bottomRight), qBlue(bottomRight));
    // Diagonal: it brightens both to the right and downwards.
    EXPECT_GT(meanLuminance(image, 900, 0, 50, 50), meanLuminance(image, 0, 0, 50, 50) + 40.0);
    EXPECT_GT(meanLuminance(image, 0, 750, 50, 50), meanLuminance(image, 0, 0, 50, 50) + 40.0);
}

TEST(WindowPictures, LogoIsOnADarkBlueField) {
    const QImage image = load("logo.jpg");
    const QRgb corner = image.pixel(2, 2);
    EXPECT_LT(luminance(corner), 80.0);
    EXPECT_GT(qBlue(corner), qRed(corner) + 30);
    // The wave bands bring in colours far from the field.
    int bright = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            bright += luminance(image.pixel(x, y)) > 150.0 ? 1 : 0;
    EXPECT_GT(bright, 500);
}

TEST(WindowPictures, RecordButtonFaceIsADeepRedThatCarriesWhiteText) {
    const MeanColour m = meanColour(load("button_red.jpg"));
    EXPECT_GT(m.r, 2.0 * m.g);
    EXPECT_GT(m.r, 2.0 * m.b);
    EXPECT_GT(m.r, 120.0);
    EXPECT_LT(m.r + m.g + m.b, 3 * 160.0);
}

TEST(WindowPictures, ButtonFacesAreGreyWithHorizontalStreaks) {
    for (const char* file : {"button_small.jpg", "button_wide.jpg"}) {
        SCOPED_TRACE(file);
        const QImage image = load(file);
        const MeanColour m = meanColour(image);
        EXPECT_LT(std::max({m.r, m.g, m.b}) - std::min({m.r, m.g, m.b}), 10.0);
        EXPECT_GT(m.g, 100.0);
        EXPECT_LT(m.g, 220.0);

        // Brushing runs along the rows: neighbours in a row differ less than neighbours in a
        // column. The bevelled edge rows are left out.
        double along = 0.0, across = 0.0;
        for (int y = 3; y + 4 < image.height(); ++y)
            for (int x = 0; x + 1 < image.width(); ++x) {
                along += std::abs(luminance(image.pixel(x + 1, y)) - luminance(image.pixel(x, y)));
                across += std::abs(luminance(image.pixel(x, y + 1)) - luminance(image.pixel(x, y)));
            }
        EXPECT_LT(along * 1.5, across);
    }
}

namespace {

// Screens of two pixels to the point get name@2x.jpg: the same picture, drawn at twice the
// detail rather than enlarged, so lines and edges stay sharp.
void expectFinerVariant(const char* name) {
    const QString file = QString::fromUtf8(name);
    const QString finerName = file.left(file.lastIndexOf(QLatin1Char('.'))) +
                              QStringLiteral("@2x") + file.mid(file.lastIndexOf(QLatin1Char('.')));
    const QImage coarse = load(name);
    const QImage fine = load(finerName.toUtf8().constData());
    ASSERT_EQ(fine.size(), coarse.size() * 2);

    // Seen from a distance (both reduced to a coarse grid) they are one picture.
    const QSize grid = coarse.size() / 4;
    const QImage a = coarse.scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = fine.scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0.0;
    for (int y = 0; y < grid.height(); ++y)
        for (int x = 0; x < grid.width(); ++x)
            difference += std::abs(luminance(a.pixel(x, y)) - luminance(b.pixel(x, y)));
    EXPECT_LT(difference / (grid.width() * grid.height()), 6.0);

    // Up close the finer one is crisper than the coarse one enlarged: its steepest steps from
    // one pixel to the next are steeper. A smooth gradient has no steps to compare.
    if (file == QStringLiteral("background.jpg"))
        return;
    const QImage enlarged =
        coarse.scaled(fine.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const auto steepest = [](const QImage& image) {
        std::vector<double> steps;
        for (int y = 0; y + 1 < image.height(); ++y)
            for (int x = 0; x + 1 < image.width(); ++x)
                steps.push_back(
                    std::abs(luminance(image.pixel(x, y + 1)) - luminance(image.pixel(x, y))) +
                    std::abs(luminance(image.pixel(x + 1, y)) - luminance(image.pixel(x, y))));
        std::sort(steps.begin(), steps.end());
        return steps[steps.size() * 99 / 100];
    };
    const double sharp = steepest(fine);
    const double soft = steepest(enlarged);
    EXPECT_GT(sharp, soft * 1.3);
}

} // namespace

TEST(PictureVariants, EveryPictureButTheIconHasAFinerVariantThatShowsTheSamePicture) {
    for (const PictureFile& picture : pictureFiles) {
        // The icon comes in the icon theme's sizes instead.
        if (std::string(picture.format) == "png")
            continue;
        SCOPED_TRACE(picture.file);
        expectFinerVariant(picture.file);
    }
}

TEST(WindowPictures, IconHasTransparentCornersAndAnOpaqueCentre) {
    const QImage image = load("icon.png");
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(47, 47)), 0);
    EXPECT_EQ(qAlpha(image.pixel(24, 24)), 255);
}
