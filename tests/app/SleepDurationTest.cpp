// What `--sleep` accepts, and the words it answers everything else with.

#include "app/SleepDuration.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qf {
namespace {

TEST(SleepDurationTest, MinutesHoursAndBoth) {
    const std::vector<std::pair<std::string, int>> good{
        {"45", 45},  {"45m", 45}, {"45M", 45},   {"2h", 120},    {"1h30m", 90},    {"1H30M", 90},
        {"0h5m", 5}, {"1", 1},    {"24h", 1440}, {"1440", 1440}, {"23h60m", 1440}, {"007", 7},
    };
    for (const auto& [text, minutes] : good) {
        std::string error;
        const auto parsed = SleepDuration::parse(text, error);
        ASSERT_TRUE(parsed.has_value()) << text << ": " << error;
        EXPECT_EQ(*parsed, minutes) << text;
        EXPECT_TRUE(error.empty()) << text;
    }
}

TEST(SleepDurationTest, AnythingElseIsRefusedWithAReason) {
    const std::vector<std::string> notTimes{
        "",    "m",  "h",   "abc", "45s", "1h30", "1h30h", "30m1h",
        "1.5", "-5", " 45", "45 ", "4 5", "1hm",  "h30m",  "45mm",
    };
    for (const auto& text : notTimes) {
        std::string error;
        EXPECT_FALSE(SleepDuration::parse(text, error).has_value()) << "'" << text << "'";
        EXPECT_NE(error.find("is not a time"), std::string::npos) << "'" << text << "': " << error;
        EXPECT_NE(error.find("1h30m"), std::string::npos) << "the message shows no example";
    }
    for (const std::string text : {"0", "0m", "0h0m", "1441", "24h1m", "25h", "1000000",
                                   "99999999999999999999h99999999999999999999m"}) {
        std::string error;
        EXPECT_FALSE(SleepDuration::parse(text, error).has_value()) << text;
        EXPECT_NE(error.find("from 1 minute to 24 hours"), std::string::npos)
            << text << ": " << error;
    }
}

} // namespace
} // namespace qf
