#include "platform/files/FileLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

class FileLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qf-lookup-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_ / "Sub");
        std::ofstream(dir_ / "violet.wav") << "x";
        std::ofstream(dir_ / "Sub" / "Help.HTM") << "x";
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(FileLookupTest, LeadingSeparatorAndTrailingBlankAreNotPartOfTheName) {
    EXPECT_EQ(qf::FileLookup::cleanName("\\violet.Wav "), "violet.Wav");
    EXPECT_EQ(qf::FileLookup::cleanName("\\settings.ini"), "settings.ini");
    EXPECT_EQ(qf::FileLookup::cleanName("\\a\\b.txt"), "a/b.txt");
}

TEST_F(FileLookupTest, MatchesWithoutRegardToCase) {
    EXPECT_EQ(qf::FileLookup::resolve(dir_.string(), "\\violet.Wav "),
              (dir_ / "violet.wav").string());
    EXPECT_EQ(qf::FileLookup::resolve(dir_.string(), "\\sub\\help.htm"),
              (dir_ / "Sub" / "Help.HTM").string());
}

TEST_F(FileLookupTest, MissingFileKeepsTheNameAsked) {
    EXPECT_EQ(qf::FileLookup::resolve(dir_.string(), "\\Pink_Noise.Wav"),
              (dir_ / "Pink_Noise.Wav").string());
    EXPECT_EQ(qf::FileLookup::resolve((dir_ / "nowhere").string(), "\\x.jpg"),
              (dir_ / "nowhere" / "x.jpg").string());
}

TEST_F(FileLookupTest, ExactNameWinsOverOtherCases) {
    std::ofstream(dir_ / "Violet.wav") << "y";
    EXPECT_EQ(qf::FileLookup::resolve(dir_.string(), "\\Violet.wav"),
              (dir_ / "Violet.wav").string());
}

} // namespace
