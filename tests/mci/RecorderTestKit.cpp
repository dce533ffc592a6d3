#include "tests/mci/RecorderTestKit.h"

#include <sndfile.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace qf::mci::testkit {

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

WaveFile readWave(const std::filesystem::path& path) {
    WaveFile wave;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return wave;
    }
    wave.opened = true;
    wave.rate = info.samplerate;
    wave.channels = info.channels;
    wave.format = info.format;
    std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
    samples.resize(static_cast<std::size_t>(
        sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()))));
    sf_close(file);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(samples.data());
    wave.bytes.assign(raw, raw + samples.size() * sizeof(short));
    return wave;
}

} // namespace qf::mci::testkit
