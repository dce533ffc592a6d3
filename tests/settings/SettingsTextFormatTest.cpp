#include "settings/SettingsText.h"
#include "tests/settings/ExampleMix.h"

#include <gtest/gtest.h>

#include <random>

using qf::settings::MixerSettings;
using qf::settings::SettingsText;

using qf::settings::test::exampleMix;

TEST(SettingsTextFormat, ExampleMixIsFiftySixCharactersAndCrLf) {
    const std::string text = SettingsText::format(exampleMix());
    EXPECT_EQ(text, "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,1000\r\n");
    EXPECT_EQ(text.size(), 58u);
}

TEST(SettingsTextFormat, FirstRunWritesTenZerosAndFiveThousands) {
    EXPECT_EQ(SettingsText::format(MixerSettings::defaults()),
              "0,0,0,0,0,0,0,0,0,0,1000,1000,1000,1000,1000\r\n");
}

TEST(SettingsTextFormat, ExtremesHaveNoPlusNoPaddingAndSingleCommas) {
    MixerSettings mix;
    for (int row = 1; row <= 5; ++row) {
        mix.setCheck(row, 2);
        mix.setVolume(row, -3000);
        mix.setFrequency(row, 32767);
    }
    EXPECT_EQ(SettingsText::format(mix), "2,2,2,2,2,-3000,-3000,-3000,-3000,-3000,32767,32767,"
                                         "32767,32767,32767\r\n");
    MixerSettings zeros;
    EXPECT_EQ(SettingsText::format(zeros), "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
}

TEST(SettingsTextFormat, AnyMixInRangeReadsBackTheSame) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        MixerSettings mix;
        for (int row = 1; row <= 5; ++row) {
            mix.setCheck(row, static_cast<int>(random() % 3));
            mix.setVolume(row, -static_cast<int>(random() % 3001));
            mix.setFrequency(row, 1000 + static_cast<int>(random() % 31768));
        }
        const auto parsed = SettingsText::parse(SettingsText::format(mix));
        ASSERT_TRUE(parsed.ok) << parsed.error;
        ASSERT_EQ(parsed.settings, mix) << SettingsText::format(mix);
    }
}
