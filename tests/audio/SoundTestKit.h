#pragma once

#include "audio/AudioOutput.h"
#include "platform/sound/DirectSound.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/SoundTypes.h"
#include "platform/sound/VoiceHandle.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

// Shared tools of the sound tests: recordings written to disk as real WAV files, devices that
// are pulled by hand, and the measurements the tests judge the output by.
namespace qf::sound::testkit {

// What the engine passes when it makes its noise buffers.
constexpr std::uint32_t kEngineFlags = 0x80E2;
constexpr WaveFormatEx kEngineFormat{WAVE_FORMAT_PCM, 2, 4, 16, 0};
constexpr int kDeviceRate = DirectSound::kPreferredRate;
constexpr int kRecordingRate = 22050;
// The peak of the test tones: loud, yet under the limiter's knee, so that only the gains a test
// sets shape the level.
constexpr double kToneAmplitude = 0.4;
// How long every gain change takes to settle, with room to spare (the ramp is about 5 ms).
constexpr std::size_t kSettleFrames = 1024;
// What an audio device pulls at a time.
constexpr std::size_t kBlockFrames = 512;

// A folder of its own for one test's recordings, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Interleaved samples, full scale 1.0.
std::vector<float> sine(std::size_t frames, int channels, double rate, double hertz,
                        double amplitude, double phase = 0.0);
std::vector<float> noise(std::size_t frames, int channels, double amplitude, unsigned seed);
std::vector<std::int16_t> toPcm16(std::span<const float> samples);

// Write WAV files through libsndfile; they fail the calling test when writing fails.
void writePcm16(const std::string& path, int rate, int channels,
                std::span<const std::int16_t> interleaved);
void writeFloat(const std::string& path, int rate, int channels,
                std::span<const float> interleaved);
void writePcm24(const std::string& path, int rate, int channels,
                std::span<const float> interleaved);

// A 16-bit tone recording in `dir`; returns its path. One second of 441 Hz at 22050 Hz is
// exactly 441 periods, so such a recording loops without a seam.
std::string writeTone(const TempDir& dir, const std::string& name, double hertz, double amplitude,
                      std::size_t frames = kRecordingRate, int rate = kRecordingRate,
                      int channels = 2, double phase = 0.0);

// An output that opens at a rate of the test's choosing and is only ever pulled by hand.
class FixedRateOutput final : public AudioOutput {
public:
    explicit FixedRateOutput(int rate) : rate_(rate) {}
    bool open(int, std::string&) override { return true; }
    int sampleRate() const override { return rate_; }
    void start(Mixer&) override {}

private:
    int rate_;
};

// A device mixing offline: the default 48 kHz offline output, or a fixed rate.
std::unique_ptr<SoundDevice> offlineDevice();
std::unique_ptr<SoundDevice> fixedRateDevice(int rate);

// Loads a file the way the engine does; the test fails if it does not load.
std::unique_ptr<VoiceHandle> loadBuffer(SoundDevice& device, const std::string& path,
                                        std::uint32_t flags = kEngineFlags);

// Pulls `frames` frames in device-sized blocks, as an audio callback would.
std::vector<float> pull(SoundDevice& device, std::size_t frames, std::size_t block = kBlockFrames);

// Measurements over one side of an interleaved stereo stream.
std::vector<float> side(std::span<const float> interleaved, int which);
inline std::vector<float> left(std::span<const float> s) {
    return side(s, 0);
}
inline std::vector<float> right(std::span<const float> s) {
    return side(s, 1);
}
double rms(std::span<const float> x);
double peak(std::span<const float> x);
double maxStep(std::span<const float> x);
// Frequency of a steady tone, from its rising zero crossings (interpolated between samples).
double toneFrequency(std::span<const float> x, double rate);
double decibels(double ratio);

} // namespace qf::sound::testkit
