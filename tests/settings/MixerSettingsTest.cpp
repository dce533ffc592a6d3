#include "settings/MixerSettings.h"

#include <gtest/gtest.h>

#include <stdexcept>

using qf::settings::MixerSettings;

TEST(MixerSettings, DefaultsAreTheControlsInitialValues) {
    const MixerSettings mix = MixerSettings::defaults();
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(mix.check(row), 0) << row;
        EXPECT_EQ(mix.volume(row), 0) << row;
        EXPECT_EQ(mix.frequency(row), 1000) << row;
    }
}

TEST(MixerSettings, RowsMapToFieldsInFileOrder) {
    MixerSettings mix;
    for (int row = 1; row <= 5; ++row) {
        mix.setCheck(row, row % 3);
        mix.setVolume(row, -100 * row);
        mix.setFrequency(row, 10000 + row);
    }
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(mix.values[row - 1], row % 3);
        EXPECT_EQ(mix.values[4 + row], -100 * row);
        EXPECT_EQ(mix.values[9 + row], 10000 + row);
    }
}

TEST(MixerSettings, RowsOutsideOneToFiveAreRefused) {
    MixerSettings mix;
    EXPECT_THROW(mix.check(0), std::out_of_range);
    EXPECT_THROW(mix.setVolume(6, 0), std::out_of_range);
    EXPECT_THROW(mix.frequency(-1), std::out_of_range);
}

TEST(MixerSettings, EachFieldHasItsControlsRangeAndName) {
    EXPECT_EQ(MixerSettings::fieldName(1), "row 1 on/off");
    EXPECT_EQ(MixerSettings::fieldName(7), "row 2 volume");
    EXPECT_EQ(MixerSettings::fieldName(15), "row 5 frequency");
    for (int field = 1; field <= 5; ++field) {
        EXPECT_EQ(MixerSettings::range(field).minimum, 0);
        EXPECT_EQ(MixerSettings::range(field).maximum, 2);
    }
    for (int field = 6; field <= 10; ++field) {
        EXPECT_EQ(MixerSettings::range(field).minimum, -3000);
        EXPECT_EQ(MixerSettings::range(field).maximum, 0);
    }
    for (int field = 11; field <= 15; ++field) {
        EXPECT_EQ(MixerSettings::range(field).minimum, 1000);
        EXPECT_EQ(MixerSettings::range(field).maximum, 32767);
    }
    EXPECT_THROW(MixerSettings::range(16), std::out_of_range);
    EXPECT_THROW(MixerSettings::fieldName(0), std::out_of_range);
}
