// The interface thread changes buffers while the audio thread mixes them. Under
// ThreadSanitizer this shows any unguarded sharing; in every build it shows the mix stays sane
// and that no change, however it interleaves with mixing, leaves a buffer stuck.

#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace qf::sound {
namespace {

using namespace testkit;

TEST(ThreadingTest, InterfaceChangesWhileTheAudioThreadMixes) {
    TempDir dir;
    const std::string tone = writeTone(dir, "tone.wav", 441.0, 0.4);
    const std::string shortTone = writeTone(dir, "short.wav", 441.0, 0.4, 300);
    auto device = offlineDevice();
    std::vector<std::unique_ptr<VoiceHandle>> buffers;
    buffers.push_back(loadBuffer(*device, tone));
    buffers.push_back(loadBuffer(*device, shortTone));

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<long> badSamples{0};
    std::thread audio([&] {
        std::vector<float> out(2 * kBlockFrames);
        while (!done.load()) {
            device->mixer().render(out.data(), kBlockFrames);
            for (float x : out) {
                if (!std::isfinite(x) || std::abs(x) > 1.0f) {
                    badSamples.fetch_add(1);
                }
            }
            blocks.fetch_add(1);
        }
    });
    while (blocks.load() == 0) {
        std::this_thread::yield();
    }

    std::mt19937 random(11);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const long startBlocks = blocks.load();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    long changes = 0;
    while (std::chrono::steady_clock::now() < until || blocks.load() - startBlocks < 200) {
        // Buffers are also made and dropped while mixing goes on, as the engine may do.
        if (changes == 2000 || changes == 4000) {
            buffers.push_back(loadBuffer(*device, changes == 2000 ? tone : shortTone));
        }
        if (changes == 6000) {
            buffers.erase(buffers.begin() + 1);
        }
        VoiceHandle& buffer = *buffers[static_cast<std::size_t>(pick(0, 1000)) % buffers.size()];
        switch (pick(0, 7)) {
        case 0:
            buffer.SetVolume(pick(DSBVOLUME_MIN, DSBVOLUME_MAX));
            break;
        case 1:
            buffer.SetPan(pick(DSBPAN_LEFT, DSBPAN_RIGHT));
            break;
        case 2:
            buffer.SetFrequency(pick(0, 5) == 0 ? 0u
                                                : static_cast<std::uint32_t>(pick(100, 200000)));
            break;
        case 3:
            buffer.Play(pick(0, 3) == 0 ? 0u : DSBPLAY_LOOPING);
            break;
        case 4:
            buffer.Stop();
            break;
        case 5:
            buffer.SetCurrentPosition(static_cast<std::uint32_t>(pick(0, 299)) * 4);
            break;
        case 6:
            (void)buffer.GetCurrentPosition();
            (void)buffer.IsPlaying();
            break;
        default:
            std::this_thread::yield();
            break;
        }
        ++changes;
    }

    // Every buffer still answers: set them all to a known state and hear exactly that.
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        buffers[i]->Stop();
        buffers[i]->SetVolume(i == 0 ? 0 : DSBVOLUME_MIN);
        buffers[i]->SetPan(0);
        buffers[i]->SetFrequency(0);
        buffers[i]->SetCurrentPosition(0);
    }
    buffers[0]->Play(DSBPLAY_LOOPING);
    // Let the audio thread pick it all up, then take over the pulling here.
    const long seen = blocks.load();
    while (blocks.load() < seen + 16) {
        std::this_thread::yield();
    }
    done.store(true);
    audio.join();

    EXPECT_EQ(badSamples.load(), 0);
    EXPECT_GT(changes, 1000);
    const auto out = pull(*device, kDeviceRate);
    EXPECT_NEAR(rms(left(out)), 0.4 / std::sqrt(2.0), 0.004);
    EXPECT_NEAR(rms(right(out)), 0.4 / std::sqrt(2.0), 0.004);
    EXPECT_NEAR(toneFrequency(left(out), kDeviceRate), 441.0, 0.5);
}

TEST(ThreadingTest, BothSidesOfAGainChangeArriveTogether) {
    // A pan sweep sets both sides at once; a period that took a new left with an old right
    // would jump the image sideways for a moment.
    Mixer mixer(kDeviceRate);
    Voice* voice =
        mixer.addVoice(Recording::fromFrames(std::vector<std::int16_t>(128, 0), kDeviceRate));
    ASSERT_NE(voice, nullptr);
    const Voice::Gains pairs[2] = {{0.25f, 0.75f}, {0.5f, 0.125f}};
    voice->setGains(pairs[0].left, pairs[0].right);

    std::atomic<bool> done{false};
    std::thread interface([&] {
        for (std::size_t i = 1; !done.load(std::memory_order_relaxed); ++i) {
            voice->setGains(pairs[i % 2].left, pairs[i % 2].right);
        }
    });
    // Read as the audio thread does when a period begins, until the pair has been seen to
    // change many times, or for a few seconds on a machine too busy to run both threads at once.
    long torn = 0;
    long changes = 0;
    int last = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (changes < 20000 && std::chrono::steady_clock::now() < until) {
        for (int i = 0; i < 64; ++i) {
            const Voice::Gains seen = voice->targetGains();
            int which = -1;
            for (int p = 0; p < 2; ++p) {
                if (seen.left == pairs[p].left && seen.right == pairs[p].right) {
                    which = p;
                }
            }
            if (which < 0) {
                ++torn;
            } else if (which != last) {
                ++changes;
                last = which;
            }
        }
    }
    done.store(true);
    interface.join();
    EXPECT_GE(changes, 100);
    EXPECT_EQ(torn, 0);
}

} // namespace
} // namespace qf::sound
