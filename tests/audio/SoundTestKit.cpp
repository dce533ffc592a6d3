#include "tests/audio/SoundTestKit.h"

#include "audio/OfflineOutput.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <stdlib.h>

namespace qf::sound::testkit {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qf-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<float> sine(std::size_t frames, int channels, double rate, double hertz,
                        double amplitude, double phase) {
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t f = 0; f < frames; ++f) {
        const double value =
            amplitude *
            std::sin(2.0 * std::numbers::pi * hertz * static_cast<double>(f) / rate + phase);
        for (int c = 0; c < channels; ++c) {
            out[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<float>(value);
        }
    }
    return out;
}

std::vector<float> noise(std::size_t frames, int channels, double amplitude, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (float& x : out) {
        x = static_cast<float>(uniform(generator));
    }
    return out;
}

std::vector<std::int16_t> toPcm16(std::span<const float> samples) {
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double scaled = std::clamp(std::round(samples[i] * 32768.0), -32768.0, 32767.0);
        out[i] = static_cast<std::int16_t>(scaled);
    }
    return out;
}

namespace {

struct Writer {
    Writer(const std::string& path, int rate, int channels, int subformat) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | subformat;
        file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (file == nullptr) {
            throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
        }
    }
    ~Writer() { sf_close(file); }
    void check(sf_count_t written, sf_count_t wanted) const {
        if (written != wanted) {
            throw std::runtime_error("short write");
        }
    }
    SNDFILE* file = nullptr;
};

} // namespace

void writePcm16(const std::string& path, int rate, int channels,
                std::span<const std::int16_t> interleaved) {
    Writer writer(path, rate, channels, SF_FORMAT_PCM_16);
    const auto frames = static_cast<sf_count_t>(interleaved.size() / channels);
    writer.check(sf_writef_short(writer.file, interleaved.data(), frames), frames);
}

void writeFloat(const std::string& path, int rate, int channels,
                std::span<const float> interleaved) {
    Writer writer(path, rate, channels, SF_FORMAT_FLOAT);
    const auto frames = static_cast<sf_count_t>(interleaved.size() / channels);
    writer.check(sf_writef_float(writer.file, interleaved.data(), frames), frames);
}

void writePcm24(const std::string& path, int rate, int channels,
                std::span<const float> interleaved) {
    Writer writer(path, rate, channels, SF_FORMAT_PCM_24);
    // Whole numbers in the top 24 bits of an int, so nothing depends on float scaling.
    std::vector<int> words(interleaved.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        const double scaled =
            std::clamp(std::round(interleaved[i] * 8388608.0), -8388608.0, 8388607.0);
        words[i] = static_cast<int>(scaled) * 256;
    }
    const auto frames = static_cast<sf_count_t>(interleaved.size() / channels);
    writer.check(sf_writef_int(writer.file, words.data(), frames), frames);
}

std::string writeTone(const TempDir& dir, const std::string& name, double hertz, double amplitude,
                      std::size_t frames, int rate, int channels, double phase) {
    const std::string path = dir.file(name);
    writePcm16(path, rate, channels,
               toPcm16(sine(frames, channels, rate, hertz, amplitude, phase)));
    return path;
}

namespace {

std::unique_ptr<SoundDevice> create(DirectSound::OutputFactory factory) {
    DirectSound root(std::move(factory));
    std::unique_ptr<SoundDevice> device;
    const SoundResult result = root.DirectSoundCreate("", device);
    if (result != SoundResult::Ok || !device) {
        throw std::runtime_error("an offline device could not be made");
    }
    return device;
}

} // namespace

std::unique_ptr<SoundDevice> offlineDevice() {
    return create([] { return std::make_unique<OfflineOutput>(); });
}

std::unique_ptr<SoundDevice> fixedRateDevice(int rate) {
    return create([rate] { return std::make_unique<FixedRateOutput>(rate); });
}

std::unique_ptr<VoiceHandle> loadBuffer(SoundDevice& device, const std::string& path,
                                        std::uint32_t flags) {
    BufferDescription description;
    description.flags = flags;
    description.format = &kEngineFormat;
    std::unique_ptr<VoiceHandle> buffer;
    std::string reason;
    const SoundResult result =
        device.CreateSoundBufferFromFile(path, description, kEngineFormat, buffer, &reason);
    if (result != SoundResult::Ok || !buffer) {
        throw std::runtime_error("cannot load " + path + ": " + reason);
    }
    return buffer;
}

std::vector<float> pull(SoundDevice& device, std::size_t frames, std::size_t block) {
    std::vector<float> out(2 * frames);
    for (std::size_t done = 0; done < frames; done += block) {
        device.mixer().render(out.data() + 2 * done, std::min(block, frames - done));
    }
    return out;
}

std::vector<float> side(std::span<const float> interleaved, int which) {
    std::vector<float> out(interleaved.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = interleaved[2 * i + static_cast<std::size_t>(which)];
    }
    return out;
}

double rms(std::span<const float> x) {
    double sum = 0.0;
    for (float v : x) {
        sum += static_cast<double>(v) * v;
    }
    return x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
}

double peak(std::span<const float> x) {
    double top = 0.0;
    for (float v : x) {
        top = std::max(top, std::abs(static_cast<double>(v)));
    }
    return top;
}

double maxStep(std::span<const float> x) {
    double top = 0.0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        top = std::max(top, std::abs(static_cast<double>(x[i]) - x[i - 1]));
    }
    return top;
}

double toneFrequency(std::span<const float> x, double rate) {
    double first = -1.0;
    double last = -1.0;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double at = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (crossings == 0) {
                first = at;
            }
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return static_cast<double>(crossings - 1) * rate / (last - first);
}

double decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}

} // namespace qf::sound::testkit
