#include "settings/SettingsText.h"

#include <gtest/gtest.h>

#include <string>

using qf::settings::SettingsText;

namespace {

const std::string kGood = "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,1000";

// The good line with one field (from 1) replaced by the given text.
std::string withField(int field, const std::string& value) {
    std::string text;
    int current = 1;
    std::size_t start = 0;
    while (start <= kGood.size()) {
        const std::size_t comma = kGood.find(',', start);
        const std::size_t end = comma == std::string::npos ? kGood.size() : comma;
        text += current == field ? value : kGood.substr(start, end - start);
        if (comma == std::string::npos) {
            break;
        }
        text += ',';
        start = comma + 1;
        ++current;
    }
    return text + "\r\n";
}

struct Broken {
    const char* kind;
    std::string text;
    int field;
    std::string error;
};

void PrintTo(const Broken& broken, std::ostream* os) {
    *os << broken.kind;
}

class SettingsTextError : public ::testing::TestWithParam<Broken> {};

} // namespace

TEST_P(SettingsTextError, IsRefusedNamingTheFieldAndWhy) {
    const Broken& broken = GetParam();
    const auto parsed = SettingsText::parse(broken.text);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.field, broken.field);
    EXPECT_EQ(parsed.error, broken.error);
}

INSTANTIATE_TEST_SUITE_P(
    TooShort, SettingsTextError,
    ::testing::Values(Broken{"empty", "", 1, "the file is empty"},
                      Broken{"blank", " \r\n\r\n\t", 1, "the file holds no values"},
                      Broken{"nine values", "1,0,0,1,0,-1200,0,-250,-3000\r\n", 10,
                             "the file ends after 9 of 15 values"},
                      Broken{"nine lines", "1\n0\n0\n1\n0\n-1200\n0\n-250\n-3000\n\n\n", 10,
                             "the file ends after 9 of 15 values"},
                      Broken{"comma after the fourteenth",
                             "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000,", 15,
                             "the file ends after 14 of 15 values"},
                      Broken{"fourteen without line end",
                             "1,0,0,1,0,-1200,0,-250,-3000,0,22050,1000,1000,8000", 15,
                             "the file ends after 14 of 15 values"}));

INSTANTIATE_TEST_SUITE_P(EmptyField, SettingsTextError,
                         ::testing::Values(Broken{"double comma", withField(3, ""), 3,
                                                  "field 3 (row 3 on/off): empty"},
                                           Broken{"only blanks", withField(8, " \t "), 8,
                                                  "field 8 (row 3 volume): empty"},
                                           Broken{"empty line between values", "1,0\r\n\r\n0,1,0",
                                                  3, "field 3 (row 3 on/off): empty"}));

INSTANTIATE_TEST_SUITE_P(
    NotANumber, SettingsTextError,
    ::testing::Values(
        Broken{"word", withField(7, "abc"), 7,
               "field 7 (row 2 volume): \"abc\" is not a whole number"},
        Broken{"sign alone", withField(6, "-"), 6,
               "field 6 (row 1 volume): \"-\" is not a whole number"},
        Broken{"two signs", withField(11, "--1000"), 11,
               "field 11 (row 1 frequency): \"--1000\" is not a whole number"},
        Broken{"inner blank", withField(12, "10 00"), 12,
               "field 12 (row 2 frequency): \"10 00\" is not a whole number"},
        Broken{"hexadecimal", withField(13, "0x3E8"), 13,
               "field 13 (row 3 frequency): \"0x3E8\" is not a whole number"},
        Broken{"quoted", withField(1, "\"1\""), 1,
               "field 1 (row 1 on/off): \"\\x221\\x22\" is not a whole number"},
        Broken{"NUL inside", withField(2, std::string("0\0", 2)), 2,
               "field 2 (row 2 on/off): \"0\\x00\" is not a whole number"},
        Broken{"binary junk", std::string("\x7f\x80\xfe\x01,0,0", 8), 1,
               "field 1 (row 1 on/off): \"\\x7F\\x80\\xFE\\x01\" is not a whole number"},
        Broken{"long junk is cut short", withField(9, std::string(100, 'x')), 9,
               "field 9 (row 4 volume): \"xxxxxxxxxxxxxxxxxxxx...\" is not a whole number"}));

INSTANTIATE_TEST_SUITE_P(
    NotWhole, SettingsTextError,
    ::testing::Values(Broken{"fraction", withField(11, "1.5"), 11,
                             "field 11 (row 1 frequency): \"1.5\" is not a whole number"},
                      Broken{"exponent", withField(12, "1e3"), 12,
                             "field 12 (row 2 frequency): \"1e3\" is not a whole number"},
                      Broken{"decimal point", withField(1, "1."), 1,
                             "field 1 (row 1 on/off): \"1.\" is not a whole number"}));

// Every control range lies inside 16 bits, so a value that does not fit is also outside its
// control's range; the point is that it never wraps round into an accepted value.
INSTANTIATE_TEST_SUITE_P(
    SixteenBitOverflow, SettingsTextError,
    ::testing::Values(
        Broken{"wraps to 1000", withField(11, "66536"), 11,
               "field 11 (row 1 frequency): 66536 is outside 1000 to 32767"},
        Broken{"just above", withField(15, "32768"), 15,
               "field 15 (row 5 frequency): 32768 is outside 1000 to 32767"},
        Broken{"wraps to 0", withField(6, "-65536"), 6,
               "field 6 (row 1 volume): -65536 is outside -3000 to 0"},
        Broken{"wraps to 1", withField(1, "4294967297"), 1,
               "field 1 (row 1 on/off): 4294967297 is outside 0 to 2"},
        Broken{"huge", withField(10, "-99999999999999999999999999"), 10,
               "field 10 (row 5 volume): -9999999999999999999... is outside -3000 to 0"}));

INSTANTIATE_TEST_SUITE_P(
    OutOfControlRange, SettingsTextError,
    ::testing::Values(
        Broken{"check 3", withField(4, "3"), 4, "field 4 (row 4 on/off): 3 is outside 0 to 2"},
        Broken{"check -1", withField(5, "-1"), 5, "field 5 (row 5 on/off): -1 is outside 0 to 2"},
        Broken{"volume positive", withField(6, "1"), 6,
               "field 6 (row 1 volume): 1 is outside -3000 to 0"},
        Broken{"volume too low", withField(10, "-3001"), 10,
               "field 10 (row 5 volume): -3001 is outside -3000 to 0"},
        Broken{"frequency low", withField(14, "999"), 14,
               "field 14 (row 4 frequency): 999 is outside 1000 to 32767"},
        Broken{"frequency 40000", withField(12, "40000"), 12,
               "field 12 (row 2 frequency): 40000 is outside 1000 to 32767"},
        Broken{"frequency zero", withField(15, "0"), 15,
               "field 15 (row 5 frequency): 0 is outside 1000 to 32767"}));

TEST(SettingsTextErrorOrder, TheFirstWrongFieldIsTheOneNamed) {
    const auto parsed = SettingsText::parse("1,x,5,1,0,9,0,0,0,0,0,0,0,0,0");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.field, 2);
}

TEST(SettingsTextErrorOrder, StopMarksTheEndOfTheWrongField) {
    const std::string text = "1,0,abc,1";
    const auto parsed = SettingsText::parse(text);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.stop, 7u);
    const auto cut = SettingsText::parse("1,0,0");
    EXPECT_EQ(cut.stop, 5u) << "a text that runs out stops at its end";
}
