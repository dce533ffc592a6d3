// A full disk, made real with small tmpfs mounts (so this needs root; it is skipped with a
// message otherwise): recording stops at what fitted, which stays playable and savable, and a
// save that does not fit leaves an existing file as it was.

#include "platform/mci/MediaControl.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/mci/FakeAudioPorts.h"
#include "tests/mci/RecorderTestKit.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qf::mci {
namespace {

using testkit::fileBytes;
using testkit::readWave;
using testkit::waitFor;

class FullDiskTest : public ::testing::Test {
protected:
    // A tmpfs of `size` at a new folder; empty when mounting is not allowed here.
    std::filesystem::path mountSmall(const std::string& name, const char* size) {
        const auto point = dir.path() / name;
        std::filesystem::create_directory(point);
        const std::string options = std::string("size=") + size;
        if (mount("tmpfs", point.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            why = std::strerror(errno);
            return {};
        }
        mounted.push_back(point);
        return point;
    }
    ~FullDiskTest() override {
        media.send("close all", nullptr, 0);
        for (const auto& point : mounted) {
            umount2(point.c_str(), MNT_DETACH);
        }
    }
    unsigned tell(const std::string& command) { return media.send(command.c_str(), nullptr, 0); }

    sound::testkit::TempDir dir;
    std::vector<std::filesystem::path> mounted;
    std::string why;
    std::shared_ptr<fake::FakeSound> sound = std::make_shared<fake::FakeSound>();
    std::unique_ptr<fake::FakeAudioPorts> ports = std::make_unique<fake::FakeAudioPorts>(sound);
    MediaControl media{std::move(ports), dir.path() / "cache"};
};

TEST_F(FullDiskTest, RecordingStopsAtWhatFittedWhichStaysUsable) {
    const auto cache = mountSmall("cache", "1m");
    if (cache.empty()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << why << "); needs root";
    }
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    ASSERT_EQ(tell("record capture"), 0u);
    char reply[255] = "";
    ASSERT_TRUE(waitFor([&] {
        media.send("status capture mode", reply, sizeof reply);
        return std::string(reply) == "stopped";
    })) << "recording never stopped on a full disk";
    WaveAudioDevice& device = *media.device();
    const std::uint64_t length = device.length();
    EXPECT_GT(length, 512u * 1024);
    EXPECT_LE(length, 1024u * 1024);
    EXPECT_EQ(length % 4, 0u);
    EXPECT_NE(device.problem().find(std::strerror(ENOSPC)), std::string::npos) << device.problem();
    const auto scratch = fileBytes(device.scratchPath());
    ASSERT_EQ(scratch.size(), length);
    EXPECT_TRUE(fake::countsUp(scratch.data(), scratch.size()));

    ASSERT_EQ(tell("play capture from 0"), 0u);
    ASSERT_TRUE(waitFor([&] { return device.mode() == WaveAudioDevice::Mode::Stopped; }));
    EXPECT_EQ(std::memcmp(sound->played().data(), scratch.data(), length), 0);

    const auto elsewhere = dir.path() / "what fitted.wav";
    const unsigned code = tell("save capture " + elsewhere.string());
    ASSERT_EQ(code, 0u) << media.errorText(code);
    EXPECT_EQ(readWave(elsewhere).bytes, scratch);

    // Recording again starts afresh: the space is free again.
    ASSERT_EQ(tell("record capture"), 0u);
    EXPECT_EQ(device.mode(), WaveAudioDevice::Mode::Recording);
    EXPECT_TRUE(device.problem().empty());
}

TEST_F(FullDiskTest, ASaveThatDoesNotFitLeavesTheOldFile) {
    const auto small = mountSmall("small", "256k");
    if (small.empty()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << why << "); needs root";
    }
    const auto target = small / "take.wav";
    std::ofstream(target) << "an older take";
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    ASSERT_EQ(tell("record capture"), 0u);
    ASSERT_TRUE(waitFor([&] { return media.device()->length() > 512 * 1024; }));
    ASSERT_EQ(tell("stop capture"), 0u);

    const unsigned code = tell("save capture " + target.string());
    EXPECT_EQ(code, static_cast<unsigned>(MediaError::SaveFailed));
    const std::string text = media.errorText(code);
    EXPECT_NE(text.find(std::strerror(ENOSPC)), std::string::npos) << text;
    const auto kept = fileBytes(target);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "an older take");
    // Nothing but the old file is left there.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace qf::mci
