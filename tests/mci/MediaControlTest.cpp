// The recorder's commands, with fake devices that run faster than real time: every command
// of the recorder, every kind of error (which must change nothing), reply lengths, time
// formats and keywords in any case.

#include "platform/mci/MediaControl.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/mci/FakeAudioPorts.h"
#include "tests/mci/RecorderTestKit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

namespace qf::mci {
namespace {

using namespace std::chrono_literals;

using testkit::fileBytes;
using testkit::waitFor;

class MediaControlTest : public ::testing::Test {
protected:
    // The reply to a command, as the recorder reads it from its 255-character buffer.
    std::string ask(const char* command, unsigned* code = nullptr) {
        char reply[255];
        std::memset(reply, '#', sizeof reply);
        const unsigned result = media.send(command, reply, sizeof reply);
        if (code != nullptr) {
            *code = result;
        }
        return reply;
    }
    unsigned tell(const char* command) { return media.send(command, nullptr, 0); }
    std::uint64_t lengthNow() { return std::stoull(ask("status capture length")); }

    // Records until at least `bytes` are in, then stops.
    void recordAtLeast(std::uint64_t bytes) {
        ASSERT_EQ(tell("record capture"), 0u);
        ASSERT_TRUE(waitFor([&] { return media.device()->length() >= bytes; }));
        ASSERT_EQ(tell("stop capture"), 0u);
    }

    sound::testkit::TempDir dir;
    std::shared_ptr<fake::FakeSound> sound = std::make_shared<fake::FakeSound>();
    MediaControl media{std::make_unique<fake::FakeAudioPorts>(sound), dir.path() / "cache"};
};

TEST_F(MediaControlTest, TheRecordersCommandsRecordPlayAndClose) {
    EXPECT_EQ(tell("close all"), 0u);
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    EXPECT_EQ(ask("status capture mode"), "stopped");
    EXPECT_EQ(tell("set capture time format bytes"), 0u);
    EXPECT_EQ(ask("status capture length"), "0");

    EXPECT_EQ(tell("seek capture to start"), 0u);
    EXPECT_EQ(tell("set capture samplespersec 44100 channels 2 bitspersample 16 alignment 4 "
                   "bytespersec 176400"),
              0u);
    // The input is open only while recording.
    EXPECT_EQ(sound->openCaptures.load(), 0);
    EXPECT_EQ(tell("record capture"), 0u);
    EXPECT_EQ(ask("status capture mode"), "recording");
    EXPECT_EQ(sound->openCaptures.load(), 1);
    ASSERT_TRUE(waitFor([&] { return lengthNow() >= 100000; }));
    const std::uint64_t during = lengthNow();
    ASSERT_TRUE(waitFor([&] { return lengthNow() > during; })) << "the length does not grow";

    EXPECT_EQ(tell("stop capture"), 0u);
    EXPECT_EQ(ask("status capture mode"), "stopped");
    EXPECT_EQ(sound->openCaptures.load(), 0);
    const std::uint64_t recorded = lengthNow();
    EXPECT_EQ(recorded % 4, 0u);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(lengthNow(), recorded) << "the length moves after stopping";

    EXPECT_EQ(tell("play capture from 0"), 0u);
    EXPECT_EQ(ask("status capture mode"), "playing");
    ASSERT_TRUE(waitFor([&] { return ask("status capture mode") == "stopped"; }))
        << "playback never ends";
    EXPECT_GE(sound->playedBytes.load(), recorded);
    EXPECT_EQ(lengthNow(), recorded);

    const auto scratch = media.device()->scratchPath();
    EXPECT_TRUE(std::filesystem::exists(scratch));
    EXPECT_EQ(tell("close capture"), 0u);
    EXPECT_FALSE(std::filesystem::exists(scratch)) << "the scratch file outlives the device";
    unsigned code = 0;
    EXPECT_EQ(ask("status capture mode", &code), "");
    EXPECT_NE(code, 0u);
}

TEST_F(MediaControlTest, AFailingCommandChangesNothingAndSaysWhy) {
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    ASSERT_EQ(tell("set capture time format bytes"), 0u);
    recordAtLeast(50000);
    const std::string length = ask("status capture length");

    const std::pair<const char*, MediaError> failures[] = {
        {"", MediaError::UnknownCommand},
        {"rewind capture", MediaError::UnknownCommand},
        {"status capture", MediaError::BadSyntax},
        {"status capture position", MediaError::BadSyntax},
        {"status capture mode now", MediaError::BadSyntax},
        {"status other mode", MediaError::NoSuchAlias},
        {"record", MediaError::BadSyntax},
        {"record capture overwrite", MediaError::BadSyntax},
        {"seek capture to end", MediaError::BadSyntax},
        {"open new type waveaudio alias capture", MediaError::AliasInUse},
        {"open new type waveaudio alias second", MediaError::AliasInUse},
        {"open new type cdaudio alias second", MediaError::UnsupportedDevice},
        {"open new type waveaudio", MediaError::BadSyntax},
        {"set capture time format frames", MediaError::BadSyntax},
        {"set capture time format", MediaError::BadSyntax},
        {"set capture samplespersec 22050 channels 2", MediaError::UnsupportedFormat},
        {"set capture channels 1", MediaError::UnsupportedFormat},
        {"set capture bitspersample 8", MediaError::UnsupportedFormat},
        {"set capture samplespersec 44.1", MediaError::BadNumber},
        {"set capture samplespersec -44100", MediaError::BadNumber},
        {"set capture bytespersec 99999999999999999999999", MediaError::BadNumber},
        {"set capture samplespersec", MediaError::BadSyntax},
        {"set capture volume 5", MediaError::BadSyntax},
        {"play capture from x", MediaError::BadNumber},
        {"play capture from", MediaError::BadNumber},
        {"play capture from 999999999999", MediaError::OutOfRange},
        {"play capture to 0", MediaError::BadSyntax},
        {"save capture", MediaError::BadSyntax},
        {"save capture d:\\elsewhere.wav", MediaError::BadPath},
        {"close other", MediaError::NoSuchAlias},
        {"close all now", MediaError::BadSyntax},
    };
    std::set<std::string> texts;
    for (const auto& [command, expected] : failures) {
        unsigned code = 0;
        EXPECT_EQ(ask(command, &code), "") << command;
        EXPECT_EQ(code, static_cast<unsigned>(expected)) << command;
        texts.insert(media.errorText(code));
        // Still open, stopped, the same length, still counted in bytes.
        EXPECT_EQ(ask("status capture mode"), "stopped") << command;
        EXPECT_EQ(ask("status capture length"), length) << command;
    }
    EXPECT_EQ(sound->playbackOpens.load(), 0);
    // One sentence for each kind of failure.
    EXPECT_EQ(texts.size(), 9u);
    EXPECT_EQ(ask("status capture mode"), "stopped");

    // A failing command while recording does not stop it.
    ASSERT_EQ(tell("record capture"), 0u);
    EXPECT_NE(tell("record capture overwrite"), 0u);
    EXPECT_NE(tell("open new type waveaudio alias capture"), 0u);
    EXPECT_EQ(ask("status capture mode"), "recording");
}

TEST_F(MediaControlTest, KeywordsAndAliasesAreReadWithoutRegardToCase) {
    ASSERT_EQ(tell("OPEN New TYPE WaveAudio ALIAS Capture"), 0u);
    EXPECT_EQ(ask("STATUS CAPTURE MODE"), "stopped");
    EXPECT_EQ(tell("Set capture Time Format BYTES"), 0u);
    EXPECT_EQ(tell("set capture SamplesPerSec 44100 CHANNELS 2 BitsPerSample 16"), 0u);
    EXPECT_EQ(tell("  record \t capture  "), 0u);
    EXPECT_EQ(ask("status capture mode"), "recording");
    EXPECT_EQ(tell("STOP capture"), 0u);
    EXPECT_EQ(tell("CLOSE ALL"), 0u);
    EXPECT_EQ(media.device(), nullptr);
}

TEST_F(MediaControlTest, RepliesNeverPassTheBuffersLength) {
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    char reply[16];
    std::memset(reply, '#', sizeof reply);
    EXPECT_EQ(media.send("status capture mode", reply, 4), 0u);
    EXPECT_STREQ(reply, "sto");
    EXPECT_EQ(reply[4], '#');
    EXPECT_EQ(media.send("status capture mode", reply, 1), 0u);
    EXPECT_EQ(reply[0], '\0');
    EXPECT_EQ(reply[1], 't');
    std::memset(reply, '#', sizeof reply);
    EXPECT_EQ(media.send("status capture mode", reply, 0), 0u);
    EXPECT_EQ(reply[0], '#');
    EXPECT_EQ(media.send("status capture mode", nullptr, 255), 0u);
    EXPECT_NE(media.send(nullptr, reply, sizeof reply), 0u);
    EXPECT_EQ(reply[0], '\0');
    // A failure empties the reply.
    std::memset(reply, '#', sizeof reply);
    EXPECT_NE(media.send("status capture volume", reply, sizeof reply), 0u);
    EXPECT_EQ(reply[0], '\0');
}

TEST_F(MediaControlTest, LengthIsInMillisecondsUntilBytesAreAskedFor) {
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    recordAtLeast(3 * 176400);
    const std::uint64_t bytes = media.device()->length();
    EXPECT_EQ(std::stoull(ask("status capture length")), bytes * 1000 / 176400);
    ASSERT_EQ(tell("set capture time format bytes"), 0u);
    EXPECT_EQ(std::stoull(ask("status capture length")), bytes);
    ASSERT_EQ(tell("set capture time format ms"), 0u);
    EXPECT_EQ(std::stoull(ask("status capture length")), bytes * 1000 / 176400);

    // A position in milliseconds: playing from 2 s plays the rest only.
    ASSERT_EQ(tell("play capture from 2000"), 0u);
    ASSERT_TRUE(waitFor([&] { return ask("status capture mode") == "stopped"; }));
    const auto played = sound->played();
    const auto file = fileBytes(media.device()->scratchPath());
    ASSERT_EQ(file.size(), bytes);
    const std::size_t rest = bytes - 2 * 176400;
    ASSERT_GE(played.size(), rest);
    EXPECT_EQ(std::memcmp(played.data(), file.data() + 2 * 176400, rest), 0)
        << "playback did not start at 2 s";

    // A new device counts in milliseconds again.
    ASSERT_EQ(tell("set capture time format bytes"), 0u);
    ASSERT_EQ(tell("close capture"), 0u);
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    recordAtLeast(176400);
    EXPECT_EQ(std::stoull(ask("status capture length")), media.device()->length() * 1000 / 176400);
}

TEST_F(MediaControlTest, OneAliasAtATime) {
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    EXPECT_EQ(tell("open new type waveaudio alias other"),
              static_cast<unsigned>(MediaError::AliasInUse));
    EXPECT_EQ(sound->captureOpens.load(), 1);
    ASSERT_EQ(tell("close capture"), 0u);
    ASSERT_EQ(tell("open new type waveaudio alias other"), 0u);
    EXPECT_EQ(ask("status other mode"), "stopped");
    EXPECT_EQ(tell("status capture mode"), static_cast<unsigned>(MediaError::NoSuchAlias));
}

TEST_F(MediaControlTest, WithoutAnInputEveryCommandFailsQuietly) {
    sound->noInput = true;
    EXPECT_EQ(tell("close all"), 0u);
    const unsigned code = tell("open new type waveaudio alias capture");
    EXPECT_EQ(code, static_cast<unsigned>(MediaError::DeviceUnavailable));
    EXPECT_NE(media.errorText(code).find("no input device"), std::string::npos)
        << media.errorText(code);
    unsigned status = 0;
    EXPECT_EQ(ask("status capture mode", &status), "");
    EXPECT_NE(status, 0u);
    for (const char* command : {"set capture time format bytes", "status capture length",
                                "seek capture to start", "record capture", "stop capture",
                                "play capture from 0", "save capture c:\\x.wav", "close capture"}) {
        EXPECT_EQ(ask(command, &status), "") << command;
        EXPECT_NE(status, 0u) << command;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.wav"));
    // Nothing is left behind in the cache folder.
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "cache"));
}

TEST(MediaControlScratchTest, AnUnusableScratchFolderRefusesToOpenAndSaysWhy) {
    // The cache folder's place is taken by a plain file, as with a broken XDG_CACHE_HOME.
    sound::testkit::TempDir dir;
    std::ofstream(dir.path() / "cache") << "not a folder";
    MediaControl media{std::make_unique<fake::FakeAudioPorts>(std::make_shared<fake::FakeSound>()),
                       dir.path() / "cache"};
    const unsigned code = media.send("open new type waveaudio alias capture", nullptr, 0);
    EXPECT_EQ(code, static_cast<unsigned>(MediaError::DeviceUnavailable));
    EXPECT_NE(media.errorText(code).find("cache"), std::string::npos) << media.errorText(code);
    EXPECT_NE(media.send("record capture", nullptr, 0), 0u);
}

TEST_F(MediaControlTest, AnInputGoneBeforeRecordingKeepsTheOldRecording) {
    ASSERT_EQ(tell("open new type waveaudio alias capture"), 0u);
    recordAtLeast(10000);
    const std::uint64_t length = media.device()->length();
    sound->noInput = true;
    const unsigned code = tell("record capture");
    EXPECT_EQ(code, static_cast<unsigned>(MediaError::DeviceUnavailable));
    EXPECT_NE(media.errorText(code).find("no input device"), std::string::npos);
    EXPECT_EQ(ask("status capture mode"), "stopped");
    EXPECT_EQ(media.device()->length(), length);
    EXPECT_EQ(std::filesystem::file_size(media.device()->scratchPath()), length);
}

} // namespace
} // namespace qf::mci
