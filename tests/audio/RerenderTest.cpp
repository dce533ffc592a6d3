// An output with a deep queue puts the mix back to the frame about to be heard and renders
// again from there. With nothing changed, what it renders again must be the very samples it
// queued before; with a change, the change must be faded in from that frame like any other.

#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

namespace qf::sound {
namespace {

using namespace testkit;

constexpr std::size_t kBlocks = 30;
constexpr std::size_t kBackTo = 18;

// Renders block after block, keeping the mixer's state before each one.
struct Queue {
    explicit Queue(SoundDevice& device) : device(device) {}
    std::vector<float> renderBlock(std::size_t index) {
        device.mixer().save(states[index]);
        std::vector<float> out(2 * kBlockFrames);
        device.mixer().render(out.data(), kBlockFrames);
        return out;
    }
    SoundDevice& device;
    std::vector<Mixer::Resume> states = std::vector<Mixer::Resume>(kBlocks);
};

TEST(Rerender, WithNothingChangedItRendersTheSameSamples) {
    TempDir dir;
    auto device = offlineDevice();
    // Slower and faster than the output (the stretched filter), and in the blocks rendered
    // again: a jump, the end of a one-shot, a volume fade and a fade of the whole mix.
    const auto noisePath = dir.file("noise.wav");
    writePcm16(noisePath, kRecordingRate, 2, toPcm16(noise(kRecordingRate, 2, 0.3, 1)));
    auto slow = loadBuffer(*device, noisePath);
    auto fast = loadBuffer(*device, writeTone(dir, "t.wav", 441.0, 0.2));
    const auto shotPath = dir.file("shot.wav");
    writePcm16(shotPath, kDeviceRate, 2,
               toPcm16(noise(kBlockFrames * (kBackTo + 4) + 100, 2, 0.2, 2)));
    auto shot = loadBuffer(*device, shotPath);
    auto jumper = loadBuffer(*device, writeTone(dir, "j.wav", 300.0, 0.2));
    slow->Play(DSBPLAY_LOOPING);
    fast->SetFrequency(90000);
    fast->Play(DSBPLAY_LOOPING);
    shot->Play(0);
    pull(*device, kBlockFrames * (kBackTo - 3));
    jumper->SetCurrentPosition(1234);
    jumper->Play(DSBPLAY_LOOPING);
    slow->SetVolume(-1500);
    device->mixer().master().fadeTo(0.5f, 0.2);

    Queue queue(*device);
    std::vector<std::vector<float>> first;
    for (std::size_t b = 0; b < kBlocks; ++b) {
        first.push_back(queue.renderBlock(b));
    }
    // Nothing changed: the jump and the end have been made by now, and must be made again.
    device->mixer().restore(queue.states[0]);
    for (std::size_t b = 0; b < kBlocks; ++b) {
        SCOPED_TRACE(b);
        const auto again = queue.renderBlock(b);
        ASSERT_TRUE(std::equal(again.begin(), again.end(), first[b].begin()));
    }
}

TEST(Rerender, AChangeIsFadedInFromTheFrameItWasPutBackTo) {
    TempDir dir;
    auto device = offlineDevice();
    // A cosine starts at its peak: any step would show.
    auto tone = loadBuffer(*device, writeTone(dir, "c.wav", 441.0, 0.4, kRecordingRate,
                                              kRecordingRate, 2, std::numbers::pi / 2));
    tone->Play(DSBPLAY_LOOPING);
    pull(*device, kSettleFrames);
    Queue queue(*device);
    std::vector<float> heard;
    for (std::size_t b = 0; b < kBlocks; ++b) {
        const auto block = queue.renderBlock(b);
        if (b < kBackTo) {
            heard.insert(heard.end(), block.begin(), block.end());
        }
    }
    const double steady = std::max(maxStep(left(heard)), maxStep(right(heard)));

    tone->SetVolume(-2000);
    device->mixer().restore(queue.states[kBackTo]);
    for (std::size_t b = kBackTo; b < kBlocks; ++b) {
        const auto block = queue.renderBlock(b);
        heard.insert(heard.end(), block.begin(), block.end());
    }
    EXPECT_LE(std::max(maxStep(left(heard)), maxStep(right(heard))), steady * (1.0 + 1e-4));
    // Heard from the frame put back to: 20 dB down once the 5 ms fade is over.
    const std::span<const float> all(heard);
    const auto before = all.subspan(2 * kBlockFrames * (kBackTo - 4), 2 * kBlockFrames * 4);
    const auto after = all.subspan(2 * (kBlockFrames * kBackTo + 480), 2 * kBlockFrames * 4);
    EXPECT_NEAR(decibels(rms(after) / rms(before)), -20.0, 0.2);
}

} // namespace
} // namespace qf::sound
