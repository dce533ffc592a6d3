#include "settings/SettingsText.h"
#include "tests/settings/ExampleMix.h"

#include <gtest/gtest.h>

#include <string>

using qf::settings::MixerSettings;
using qf::settings::SettingsText;

namespace {

const std::string kExample = "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,1000";

using qf::settings::test::exampleMix;

// The example with each comma replaced by the given line end.
std::string onSeparateLines(const std::string& lineEnd) {
    std::string text;
    for (char c : kExample) {
        if (c == ',') {
            text += lineEnd;
        } else {
            text += c;
        }
    }
    return text + lineEnd;
}

void expectExample(const std::string& text) {
    const auto parsed = SettingsText::parse(text);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.settings, exampleMix());
}

} // namespace

TEST(SettingsTextParse, TheWrittenLineReadsBack) {
    expectExample(kExample + "\r\n");
    expectExample(SettingsText::format(exampleMix()));
}

TEST(SettingsTextParse, LineEndIsNotNeeded) {
    expectExample(kExample);
    expectExample(kExample + "\n");
    expectExample(kExample + "\r");
}

TEST(SettingsTextParse, FifteenLinesReadLikeOneLine) {
    expectExample(onSeparateLines("\r\n"));
    expectExample(onSeparateLines("\n"));
    expectExample(onSeparateLines("\r"));
}

TEST(SettingsTextParse, LinesAndCommasMayBeMixed) {
    expectExample("1,0,0,1,0\r\n-1200,0,-250,-3000,0\n22050,1000,1000,8000,1000\r\n");
    expectExample("1,0,0,1,0\r-1200,0,-250,-3000,0\r22050\n1000\r\n1000,8000,1000");
}

TEST(SettingsTextParse, WhateverFollowsTheFifteenthFieldIsIgnored) {
    expectExample(kExample + ",5,6,7\r\n");
    expectExample(kExample + ",not a number at all\r\n");
    expectExample(kExample + "\r\n0,0,0\r\nanother line\r\n");
    expectExample(kExample + "\r\n" + std::string("\0\x01\xff garbage", 11));
    expectExample(onSeparateLines("\n") + "99999\nxyz\n");
}

TEST(SettingsTextParse, ExtraValuesStopBeingReadAtTheFifteenth) {
    const auto parsed = SettingsText::parse(kExample + ",123");
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.stop, kExample.size()) << "reading ends at the comma after field 15";
}

TEST(SettingsTextParse, BlanksAndTabsAroundValuesAreTolerated) {
    expectExample(" 1 ,\t0,0 , 1,0,  -1200\t,0,-250,-3000,0,22050,1000,1000,8000, 1000 \r\n");
    expectExample("1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,1000   \r\n");
}

TEST(SettingsTextParse, PlusSignAndLeadingZerosAreRead) {
    expectExample("+1,0,00,01,-0,-01200,+0,-250,-3000,0,022050,1000,+1000,8000,0001000");
}

TEST(SettingsTextParse, ByteOrderMarkAtTheStartIsSkipped) {
    expectExample("\xEF\xBB\xBF" + kExample + "\r\n");
}

TEST(SettingsTextParse, EdgesOfEveryRangeAreAccepted) {
    const auto low = SettingsText::parse("0,0,0,0,0,-3000,-3000,-3000,-3000,-3000,"
                                         "1000,1000,1000,1000,1000");
    ASSERT_TRUE(low.ok) << low.error;
    const auto high = SettingsText::parse("2,2,2,2,2,0,0,0,0,0,32767,32767,32767,32767,32767");
    ASSERT_TRUE(high.ok) << high.error;
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(low.settings.volume(row), -3000);
        EXPECT_EQ(high.settings.check(row), 2) << "the grey state is a valid check value";
        EXPECT_EQ(high.settings.frequency(row), 32767);
    }
}
