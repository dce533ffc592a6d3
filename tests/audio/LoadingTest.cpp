// Making buffers from files: what loads, how it sounds, and what is refused without harm.

#include "tests/audio/AllocationMeter.h"
#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>

namespace qf::sound {
namespace {

using namespace testkit;

class LoadingTest : public ::testing::Test {
protected:
    SoundResult tryLoad(const std::string& path, std::unique_ptr<VoiceHandle>& buffer,
                        std::string& reason, const WaveFormatEx& format = kEngineFormat) {
        BufferDescription description;
        description.flags = kEngineFlags;
        description.format = &format;
        return device_->CreateSoundBufferFromFile(path, description, format, buffer, &reason);
    }

    void writeBytes(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }

    std::string readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Plays a file on a device at 22050 Hz, where each output frame is one recorded frame.
    std::vector<float> playAtOwnRate(const std::string& path, std::size_t frames) {
        auto device = fixedRateDevice(kRecordingRate);
        auto buffer = loadBuffer(*device, path);
        buffer->Play(DSBPLAY_LOOPING);
        pull(*device, kSettleFrames);
        return pull(*device, frames);
    }

    TempDir dir_;
    std::unique_ptr<SoundDevice> device_ = offlineDevice();
};

// A canonical 44-byte WAV header followed by `data`, with every field under the test's control.
std::string wavBytes(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                     std::uint16_t bits, const std::string& data) {
    std::string out;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
        }
    };
    auto u16 = [&](std::uint16_t v) {
        out.push_back(static_cast<char>(v & 0xff));
        out.push_back(static_cast<char>(v >> 8));
    };
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    out += "RIFF";
    u32(static_cast<std::uint32_t>(36 + data.size()));
    out += "WAVEfmt ";
    u32(16);
    u16(tag);
    u16(channels);
    u32(rate);
    u32(rate * align);
    u16(align);
    u16(bits);
    out += "data";
    u32(static_cast<std::uint32_t>(data.size()));
    return out + data;
}

TEST_F(LoadingTest, MissingFileIsNotFound) {
    for (const std::string& path :
         {dir_.file("absent.wav"), dir_.file("no/such/folder/x.wav"), dir_.path().string()}) {
        SCOPED_TRACE(path);
        std::unique_ptr<VoiceHandle> buffer =
            loadBuffer(*device_, writeTone(dir_, "t.wav", 441, 0.1));
        std::string reason;
        EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::FileNotFound);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_FALSE(reason.empty());
    }
}

TEST_F(LoadingTest, MalformedFilesAreBadFormat) {
    std::mt19937 generator(7);
    std::string randomBytes(8192, '\0');
    for (char& c : randomBytes) {
        c = static_cast<char>(generator());
    }
    const std::string someSamples(400, '\x11');
    const std::string valid = wavBytes(1, 2, 22050, 16, someSamples);

    const std::pair<const char*, std::string> files[] = {
        {"random bytes", randomBytes},
        {"text", "This is not a recording.\n"},
        {"empty", ""},
        {"header cut short", valid.substr(0, 30)},
        {"riff of something else",
         std::string("RIFF\x20\0\0\0AVI LIST", 16) + std::string(24, '\0')},
        {"no frames", wavBytes(1, 2, 22050, 16, "")},
        {"no channels", wavBytes(1, 0, 22050, 16, someSamples)},
        {"absurd rate", wavBytes(1, 2, 5, 16, someSamples)},
        {"absurd channel count", wavBytes(1, 300, 22050, 16, std::string(2400, '\x11'))},
        {"unknown encoding", wavBytes(0x7777, 2, 22050, 16, someSamples)},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        const std::string path = dir_.file("broken.wav");
        writeBytes(path, bytes);
        std::unique_ptr<VoiceHandle> buffer;
        std::string reason;
        EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::BadFormat);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_FALSE(reason.empty());
    }
    // None of them took a voice: all of them are still free for good files.
    for (std::size_t i = 0; i < Mixer::kMaxVoices; ++i) {
        loadBuffer(*device_, writeTone(dir_, "ok.wav", 441, 0.1, 100));
    }
}

TEST_F(LoadingTest, FileCutShortIsRefusedHoweverLittleIsMissing) {
    const std::string path = writeTone(dir_, "whole.wav", 441.0, 0.4);
    const std::string whole = readBytes(path);
    const std::size_t header = whole.find("data") + 8;
    ASSERT_EQ(whole.size(), header + 4 * kRecordingRate);
    // The header still claims the whole second; the last byte, the last frame, most of the
    // sound and all of it are gone.
    const std::pair<std::size_t, const char*> cuts[] = {
        {whole.size() - 1, "88200 bytes of sound but it holds 88196"},
        {whole.size() - 4, "88200 bytes of sound but it holds 88196"},
        {header + 4 * 1000, "1.00 seconds of sound but it holds 0.0454 seconds"},
        {header, "1.00 seconds of sound but it holds 0.00 seconds"},
    };
    for (const auto& [size, claim] : cuts) {
        SCOPED_TRACE(size);
        writeBytes(path, whole.substr(0, size));
        std::unique_ptr<VoiceHandle> buffer;
        std::string reason;
        EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::BadFormat);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(reason, std::string("the file is cut short: its header claims ") + claim);
    }
}

TEST_F(LoadingTest, CopyOfAShippedRecordingCutToAKilobyteIsRefused) {
    const std::string whole = readBytes(QF_APP_DIR "/Blue_Noise.Wav");
    ASSERT_GT(whole.size(), 1000u);
    const std::string path = dir_.file("Blue_Noise.Wav");
    writeBytes(path, whole.substr(0, 1000));
    std::unique_ptr<VoiceHandle> buffer;
    std::string reason;
    EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::BadFormat);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(reason,
              "the file is cut short: its header claims 30.0 seconds of sound but it holds 0.0108 "
              "seconds");
}

TEST_F(LoadingTest, SampleSizeThatIsNotWholeBytesIsRefused) {
    const std::string tone = readBytes(writeTone(dir_, "tone.wav", 441.0, 0.4));
    const std::size_t bitsField = tone.find("fmt ") + 8 + 14;
    ASSERT_EQ(tone.substr(bitsField, 2), std::string("\x10\0", 2));
    for (int bits : {7, 12, 20}) {
        SCOPED_TRACE(bits);
        // The 16-bit samples stay as they are: only the header misstates their size.
        std::string bytes = tone;
        bytes[bitsField] = static_cast<char>(bits);
        const std::string path = dir_.file("misstated.wav");
        writeBytes(path, bytes);
        std::unique_ptr<VoiceHandle> buffer;
        std::string reason;
        EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::BadFormat);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(reason, std::to_string(bits) + " bits per sample is not a whole number of bytes");
    }
}

TEST_F(LoadingTest, UndamagedFilesOfEveryShapeStillLoadWhole) {
    // Checks that every frame of the file made it into the buffer, and none more.
    auto expectFrames = [&](const std::string& path, std::uint32_t frames) {
        SCOPED_TRACE(path);
        std::unique_ptr<VoiceHandle> buffer;
        std::string reason;
        ASSERT_EQ(tryLoad(path, buffer, reason), SoundResult::Ok) << reason;
        EXPECT_EQ(buffer->SetCurrentPosition((frames - 1) * 4), SoundResult::Ok);
        EXPECT_EQ(buffer->SetCurrentPosition(frames * 4), SoundResult::InvalidParam);
    };
    for (const char* name :
         {"Brown_Noise.Wav", "Pink_Noise.Wav", "White_Noise.Wav", "Blue_Noise.Wav", "violet.Wav"}) {
        expectFrames(std::string(QF_APP_DIR) + "/" + name, 30 * 22050);
    }
    const auto tone = sine(1001, 2, kRecordingRate, 441.0, 0.4);
    const auto mono = sine(1001, 1, kRecordingRate, 441.0, 0.4);
    writePcm16(dir_.file("mono.wav"), kRecordingRate, 1, toPcm16(mono));
    writePcm24(dir_.file("wide.wav"), kRecordingRate, 2, tone);
    writePcm24(dir_.file("wide-mono.wav"), kRecordingRate, 1, mono);
    writeFloat(dir_.file("float.wav"), kRecordingRate, 2, tone);
    for (const char* name : {"mono.wav", "wide.wav", "wide-mono.wav", "float.wav"}) {
        expectFrames(dir_.file(name), 1001);
    }

    // 101 bytes of 8-bit mono: followed by its pad byte, counting it in the size without it
    // being there, or ending the file right after the data.
    const std::string odd(101, '\x90');
    const std::string padded = wavBytes(1, 1, kRecordingRate, 8, odd) + '\0';
    std::string countsThePad = wavBytes(1, 1, kRecordingRate, 8, odd);
    countsThePad[countsThePad.find("data") + 4] = 102;
    const std::pair<const char*, std::string> files[] = {
        {"padded.wav", padded},
        {"counts-the-pad.wav", countsThePad},
        {"unpadded.wav", wavBytes(1, 1, kRecordingRate, 8, odd)},
        // A chunk after the data: the file is longer than the data it claims.
        {"listed.wav",
         wavBytes(1, 1, kRecordingRate, 8, odd) + '\0' + std::string("LIST\4\0\0\0INFO", 12)},
    };
    for (const auto& [name, bytes] : files) {
        writeBytes(dir_.file(name), bytes);
        expectFrames(dir_.file(name), 101);
    }
}

TEST_F(LoadingTest, DataSizeLeftUnknownByAStreamingWriterPlaysToTheEnd) {
    const std::string path = writeTone(dir_, "streamed.wav", 441.0, 0.4, 1000);
    std::string bytes = readBytes(path);
    bytes.replace(bytes.find("data") + 4, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    bytes.replace(4, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    writeBytes(path, bytes);
    std::unique_ptr<VoiceHandle> buffer;
    std::string reason;
    ASSERT_EQ(tryLoad(path, buffer, reason), SoundResult::Ok) << reason;
    EXPECT_EQ(buffer->SetCurrentPosition(999 * 4), SoundResult::Ok);
    EXPECT_EQ(buffer->SetCurrentPosition(1000 * 4), SoundResult::InvalidParam);
}

TEST_F(LoadingTest, HeaderClaimingHoursOfSoundInAFewBytesIsRefused) {
    const std::string path = writeTone(dir_, "claims.wav", 441.0, 0.4, 256);
    std::string bytes = readBytes(path);
    const std::size_t size = bytes.find("data") + 4;
    ASSERT_EQ(bytes.size(), size + 4 + 1024);
    // Two gigabytes claimed, one kilobyte there.
    bytes.replace(size, 4, std::string("\xF0\xFF\xFF\x7F", 4));
    writeBytes(path, bytes);

    AllocationMeter::start();
    std::unique_ptr<VoiceHandle> buffer;
    std::string reason;
    EXPECT_EQ(tryLoad(path, buffer, reason), SoundResult::BadFormat);
    EXPECT_LT(AllocationMeter::peakSinceStart(), std::size_t{64} << 10);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(reason,
              "the file is cut short: its header claims 6.8 hours of sound but it holds 0.0116 "
              "seconds");
}

TEST_F(LoadingTest, LoadingHoldsLittleMoreThanTheSamplesThemselves) {
    // Ten seconds at 44.1 kHz: as 16-bit stereo that is 1.7 MB, as float up to twice as much.
    const std::size_t frames = 441000;
    const std::size_t samples = frames * 2 * sizeof(std::int16_t);
    const auto tone = sine(frames, 2, 44100, 441.0, 0.4);
    const auto mono = sine(frames, 1, 44100, 441.0, 0.4);
    writePcm16(dir_.file("stereo.wav"), 44100, 2, toPcm16(tone));
    writePcm16(dir_.file("mono.wav"), 44100, 1, toPcm16(mono));
    writeFloat(dir_.file("float.wav"), 44100, 2, tone);
    for (const char* name : {"stereo.wav", "mono.wav", "float.wav"}) {
        SCOPED_TRACE(name);
        AllocationMeter::start();
        auto buffer = loadBuffer(*device_, dir_.file(name));
        const std::size_t held = AllocationMeter::peakSinceStart();
        EXPECT_GE(held, samples);
        EXPECT_LE(held, samples + (std::size_t{128} << 10));
    }
}

TEST_F(LoadingTest, MonoPlaysOnBothSides) {
    const std::string path =
        writeTone(dir_, "mono.wav", 441.0, 0.4, kRecordingRate, kRecordingRate, 1);
    auto buffer = loadBuffer(*device_, path);
    buffer->Play(DSBPLAY_LOOPING);
    pull(*device_, kSettleFrames);
    const auto out = pull(*device_, kDeviceRate);
    EXPECT_EQ(left(out), right(out));
    EXPECT_NEAR(rms(left(out)), 0.4 / std::sqrt(2.0), 0.004);
    EXPECT_NEAR(toneFrequency(left(out), kDeviceRate), 441.0, 0.5);
}

TEST_F(LoadingTest, ExtraChannelsBeyondTwoAreLeftOut) {
    const std::size_t frames = kRecordingRate;
    const auto a = sine(frames, 1, kRecordingRate, 441.0, 0.3);
    const auto b = sine(frames, 1, kRecordingRate, 882.0, 0.2);
    const auto loud = noise(frames, 2, 0.9, 8);
    std::vector<float> four(4 * frames);
    for (std::size_t f = 0; f < frames; ++f) {
        four[4 * f] = a[f];
        four[4 * f + 1] = b[f];
        four[4 * f + 2] = loud[2 * f];
        four[4 * f + 3] = loud[2 * f + 1];
    }
    const std::string path = dir_.file("four.wav");
    writePcm16(path, kRecordingRate, 4, toPcm16(four));

    const auto out = playAtOwnRate(path, frames);
    const auto leftIn = toPcm16(a);
    const auto rightIn = toPcm16(b);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t at = (kSettleFrames + i) % frames;
        ASSERT_EQ(out[2 * i], leftIn[at] / 32768.0f) << i;
        ASSERT_EQ(out[2 * i + 1], rightIn[at] / 32768.0f) << i;
    }
}

TEST_F(LoadingTest, FloatAndWidePcmKeepTheirLevel) {
    const std::size_t frames = kRecordingRate;
    for (double amplitude : {0.25, 0.05}) {
        SCOPED_TRACE(amplitude);
        const auto tone = sine(frames, 2, kRecordingRate, 441.0, amplitude);
        const std::string floatPath = dir_.file("float.wav");
        const std::string widePath = dir_.file("wide.wav");
        writeFloat(floatPath, kRecordingRate, 2, tone);
        writePcm24(widePath, kRecordingRate, 2, tone);
        for (const std::string& path : {floatPath, widePath}) {
            SCOPED_TRACE(path);
            const auto out = playAtOwnRate(path, frames);
            for (std::size_t i = 0; i < out.size(); ++i) {
                // Within the 16-bit step the recording is held at.
                ASSERT_NEAR(out[i], tone[(2 * kSettleFrames + i) % tone.size()], 1.0 / 32768) << i;
            }
        }
    }
}

TEST_F(LoadingTest, FloatBeyondFullScaleIsHeldNotWrapped) {
    const std::size_t frames = kRecordingRate;
    const auto tone = sine(frames, 2, kRecordingRate, 441.0, 1.5);
    const std::string path = dir_.file("hot.wav");
    writeFloat(path, kRecordingRate, 2, tone);
    const auto out = playAtOwnRate(path, frames);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float in = tone[(2 * kSettleFrames + i) % tone.size()];
        if (std::abs(in) > 0.01f) {
            ASSERT_GT(out[i] * in, 0.0f) << i;
        }
        ASSERT_LE(std::abs(out[i]), 1.0f) << i;
    }
}

TEST_F(LoadingTest, OnlyPcmBuffersAreMade) {
    const std::string path = writeTone(dir_, "t.wav", 441.0, 0.1);
    WaveFormatEx format = kEngineFormat;
    format.formatTag = 3;
    std::unique_ptr<VoiceHandle> buffer;
    std::string reason;
    EXPECT_EQ(tryLoad(path, buffer, reason, format), SoundResult::InvalidParam);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_FALSE(reason.empty());
}

TEST_F(LoadingTest, BuffersBeyondTheVoiceCountAreRefused) {
    const std::string path = writeTone(dir_, "t.wav", 441.0, 0.1, 100);
    std::vector<std::unique_ptr<VoiceHandle>> buffers;
    for (std::size_t i = 0; i < Mixer::kMaxVoices; ++i) {
        buffers.push_back(loadBuffer(*device_, path));
    }
    std::unique_ptr<VoiceHandle> extra;
    std::string reason;
    EXPECT_EQ(tryLoad(path, extra, reason), SoundResult::OutOfVoices);
    EXPECT_EQ(extra, nullptr);
}

} // namespace
} // namespace qf::sound
