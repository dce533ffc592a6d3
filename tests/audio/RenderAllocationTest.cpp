// The audio thread must never wait on the allocator: a lock inside it, or a page fault, is a
// dropout. Five voices doing everything a session does to them are mixed with the meter on.

#include "tests/audio/AllocationMeter.h"
#include "tests/audio/SoundTestKit.h"

#include "audio/Mixer.h"
#include "audio/Recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>

namespace qf::sound {
namespace {

using namespace testkit;

TEST(RenderAllocationTest, MixingFivePlayingVoicesAllocatesNothing) {
    Mixer mixer(kDeviceRate);
    constexpr std::array<int, 5> rates = {22050, 44100, 11025, 32000, 8000};
    std::array<Voice*, 5> voices{};
    for (std::size_t v = 0; v < voices.size(); ++v) {
        voices[v] = mixer.addVoice(Recording::fromFrames(
            toPcm16(noise(4000 + 1000 * v, 2, 0.1, static_cast<unsigned>(v + 1))), rates[v]));
        ASSERT_NE(voices[v], nullptr);
        voices[v]->setGains(0.2f * static_cast<float>(v + 1), 0.5f);
        voices[v]->play(v != 2);
    }
    voices[3]->setFrequency(40000);
    std::vector<float> out(2 * kBlockFrames);
    float loudest = 0.0f;

    AllocationMeter::start();
    for (int block = 0; block < 400; ++block) {
        // Slider moves, pans, seeks, stops and starts fall between periods, as they do.
        if (block % 25 == 0) {
            const float level = 0.1f * static_cast<float>(block % 7);
            voices[0]->setGains(level, 1.0f - level);
            voices[1]->seek(static_cast<std::uint32_t>(block * 13));
        }
        if (block == 100) {
            // Up past the output's rate, onto the stretched read, and back down later.
            voices[4]->setFrequency(60000);
            voices[2]->play(false);
        }
        if (block == 200) {
            voices[4]->setFrequency(12345);
            voices[1]->stop();
        }
        if (block == 300) {
            voices[1]->play(true);
            voices[3]->setFrequency(1000);
        }
        mixer.render(out.data(), kBlockFrames);
        for (float x : out) {
            loudest = std::max(loudest, std::abs(x));
        }
    }
    const std::size_t allocations = AllocationMeter::allocationsSinceStart();
    const std::size_t held = AllocationMeter::peakSinceStart();

    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(held, 0u);
    EXPECT_GT(loudest, 0.1f);
}

// The meter would miss an allocation of an object aligned to a cache line, as the mixer's filters
// are, unless it replaced the aligned forms of new too.
TEST(RenderAllocationTest, TheMeterCountsAlignedAllocations) {
    struct alignas(64) Line {
        char bytes[64];
    };
    AllocationMeter::start();
    auto line = std::make_unique<Line>();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(line.get()) % 64, 0u);
    EXPECT_EQ(AllocationMeter::allocationsSinceStart(), 1u);
    EXPECT_EQ(AllocationMeter::peakSinceStart(), sizeof(Line));
}

} // namespace
} // namespace qf::sound
