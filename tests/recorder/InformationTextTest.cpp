#include "recorder/InformationText.h"

#include <gtest/gtest.h>

namespace {

using qf::InformationText;

TEST(InformationText, MegabytesAreDecimalWithABlankForTheSignAndNoTrailingZeros) {
    EXPECT_EQ(InformationText::megabytes(0), " 0");
    EXPECT_EQ(InformationText::megabytes(4), " 0.000004");
    EXPECT_EQ(InformationText::megabytes(176400), " 0.1764");
    EXPECT_EQ(InformationText::megabytes(1764000), " 1.764");
    EXPECT_EQ(InformationText::megabytes(3000000), " 3");
    // An hour of CD-quality sound, and the largest a plain WAV file can hold.
    EXPECT_EQ(InformationText::megabytes(635040000), " 635.04");
    EXPECT_EQ(InformationText::megabytes(4294967292), " 4294.967292");
    // Fifteen significant digits at most.
    EXPECT_EQ(InformationText::megabytes(123456789012345678), " 123456789012.346");
}

TEST(InformationText, ReplyCountsOnlyItsLeadingDigits) {
    EXPECT_EQ(InformationText::leadingBytes("1764000"), 1764000u);
    EXPECT_EQ(InformationText::leadingBytes(" 42 bytes"), 42u);
    EXPECT_EQ(InformationText::leadingBytes(""), 0u);
    EXPECT_EQ(InformationText::leadingBytes("not ready"), 0u);
    EXPECT_EQ(InformationText::leadingBytes("-5"), 0u);
    EXPECT_EQ(InformationText::leadingBytes("99999999999999999999999"), 0u);
}

} // namespace
