// The owner of the sound library with a fake library behind it: the server goes away and comes
// back, the desktop's default device moves, a server stops answering, and the interface thread
// opens and closes devices all the while. Under ThreadSanitizer this also checks every hand-over
// between the owner's thread, the device threads and the interface thread.

#include "platform/device/AudioSystem.h"
#include "platform/device/AudioWorker.h"
#include "platform/device/DeviceAudioOutput.h"
#include "tests/audio/SoundTestKit.h"
#include "tests/sdl/FakeBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <thread>

namespace qf::sound {
namespace {

using namespace std::chrono_literals;
using fake::FakeBackend;
using fake::FakeServer;
using Clock = std::chrono::steady_clock;

// Counts what passes through a device.
class CountingCallback final : public DeviceCallback {
public:
    void transfer(std::uint8_t*, int bytes) noexcept override { bytes_.fetch_add(bytes); }
    long bytes() const { return bytes_.load(); }

private:
    std::atomic<long> bytes_{0};
};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

DeviceFormat format(const char* stream, bool capture = false) {
    DeviceFormat s;
    s.rate = 48000;
    s.capture = capture;
    s.format = capture ? SampleFormat::Int16 : SampleFormat::Float32;
    s.periodFrames = 512;
    s.streamName = stream;
    return s;
}

class AudioSystemTest : public ::testing::Test {
protected:
    AudioSystemTest() {
        server->setNativeRate(44100);
        audio = std::make_unique<AudioSystem>(std::make_unique<FakeBackend>(server));
    }

    std::unique_ptr<AudioDevice> open(const DeviceFormat& want, DeviceCallback& callback) {
        std::string reason;
        auto device = audio->open(want, callback, reason);
        EXPECT_NE(device, nullptr) << reason;
        return device;
    }

    std::shared_ptr<FakeServer> server = std::make_shared<FakeServer>();
    std::unique_ptr<AudioSystem> audio;
};

TEST_F(AudioSystemTest, EveryDeviceComesBackAsItWasWhenTheServerReturns) {
    CountingCallback noise, capture, idle;
    auto noiseDevice = open(format("Noise"), noise);
    auto captureDevice = open(format("Capture", true), capture);
    auto idleDevice = open(format("Playback"), idle);
    ASSERT_TRUE(noiseDevice && captureDevice && idleDevice);
    // The first open takes the device's own rate; the callbacks are built for it.
    EXPECT_EQ(noiseDevice->format().rate, 44100);
    noiseDevice->play();
    captureDevice->play();
    ASSERT_TRUE(waitFor([&] { return noise.bytes() > 0 && capture.bytes() > 0; }, 2s));

    server->setUp(false);
    ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s))
        << "lost devices were not closed";
    const long noiseAtLoss = noise.bytes();
    // Long enough for several attempts to fail.
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(noise.bytes(), noiseAtLoss);
    EXPECT_GT(server->counts().failedOpens + server->counts().stops, 0);

    const auto back = Clock::now();
    server->setUp(true);
    ASSERT_TRUE(waitFor(
        [&] {
            return noiseDevice->reopenCount() == 1 && captureDevice->reopenCount() == 1 &&
                   idleDevice->reopenCount() == 1;
        },
        2s))
        << "not every device was reopened";
    const double reopenMs = msSince(back);
    ASSERT_TRUE(waitFor(
        [&] { return noise.bytes() > noiseAtLoss + 4 * 512 * 8 && capture.bytes() > 0; }, 2s))
        << "the reopened devices do not play";
    std::cout << "[ figures  ] all three devices reopened " << reopenMs
              << " ms after the server came back\n";
    // Within the longest retry wait and one look, with room for a busy machine.
    EXPECT_LT(reopenMs, 1500.0);

    // A paused device stays paused; every reopen kept the rate the callbacks were built for.
    EXPECT_EQ(idle.bytes(), 0);
    for (const auto& [stream, rate] : server->exactOpens()) {
        EXPECT_EQ(rate, 44100) << stream;
    }
    EXPECT_EQ(server->exactOpens().size(), 3u);
    const auto counts = server->counts();
    // The library was started afresh once everything had gone, and only by the owner's thread.
    EXPECT_EQ(counts.starts, 2);
    EXPECT_GE(counts.stops, 1);
    EXPECT_EQ(counts.open, 3);
    EXPECT_EQ(counts.callThreads, 1);
    EXPECT_FALSE(counts.overlapped);

    // And it still comes back a second and third time.
    for (int round = 2; round <= 3; ++round) {
        server->setUp(false);
        ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s));
        server->setUp(true);
        ASSERT_TRUE(waitFor([&] { return noiseDevice->reopenCount() == round; }, 2s));
    }
}

// While nobody is there the owner looks at its devices only now and then; a library that tells
// of a loss as it happens has it handled at once all the same, and the sound back as soon.
TEST_F(AudioSystemTest, ALossTheLibraryTellsOfIsHandledAtOnceWhileEveryDeviceIsDeep) {
    server->setTellsChanges(true);
    CountingCallback noise;
    auto device = open(format("Noise"), noise);
    ASSERT_TRUE(device);
    device->play();
    device->setDeep(true);
    ASSERT_TRUE(waitFor([&] { return noise.bytes() > 0; }, 2s));
    for (int round = 1; round <= 2; ++round) {
        // Past the owner's ordinary look, so that only the quiet one is due.
        std::this_thread::sleep_for(2 * AudioWorker::kWatchInterval);
        const auto lost = Clock::now();
        server->setUp(false);
        ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s));
        const double noticedMs = msSince(lost);
        std::cout << "[ figures  ] round " << round << ": the loss handled after " << noticedMs
                  << " ms\n";
        EXPECT_LT(noticedMs, 150.0);
        server->setUp(true);
        ASSERT_TRUE(waitFor([&] { return device->reopenCount() == round; }, 2s));
    }
}

TEST_F(AudioSystemTest, ASoundServerAppearingTakesOverEveryDevice) {
    CountingCallback noise, capture, idle;
    auto noiseDevice = open(format("Noise"), noise);
    auto captureDevice = open(format("Capture", true), capture);
    auto idleDevice = open(format("Playback"), idle);
    ASSERT_TRUE(noiseDevice && captureDevice && idleDevice);
    noiseDevice->play();
    captureDevice->play();
    ASSERT_TRUE(waitFor([&] { return noise.bytes() > 0 && capture.bytes() > 0; }, 2s));

    const auto announced = Clock::now();
    server->announceServer();
    ASSERT_TRUE(waitFor(
        [&] {
            return noiseDevice->reopenCount() == 1 && captureDevice->reopenCount() == 1 &&
                   idleDevice->reopenCount() == 1;
        },
        2s))
        << "not every device moved onto the server";
    const double movedMs = msSince(announced);
    const long noiseMoved = noise.bytes();
    ASSERT_TRUE(waitFor([&] { return noise.bytes() > noiseMoved + 4 * 512 * 8; }, 2s))
        << "the moved output does not play";
    std::cout << "[ figures  ] all three devices moved " << movedMs << " ms after the server\n";
    EXPECT_LT(movedMs, 1000.0);
    // The library started afresh once, every device came back at its callback's rate and in
    // its play state, and nothing was left open on the old driver.
    const auto counts = server->counts();
    EXPECT_EQ(counts.starts, 2);
    EXPECT_EQ(counts.stops, 1);
    EXPECT_EQ(counts.open, 3);
    EXPECT_EQ(server->exactOpens().size(), 3u);
    EXPECT_EQ(idle.bytes(), 0);
}

TEST_F(AudioSystemTest, SoundResumesWhereItStopped) {
    testkit::TempDir dir;
    // Ten seconds, so the position cannot wrap round while it is being watched.
    const std::string tone = testkit::writeTone(dir, "tone.wav", 441.0, 0.4, 10 * 22050);
    DirectSound root(DeviceAudioOutput::factory(*audio));
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    ASSERT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::Ok) << reason;
    auto* output = dynamic_cast<DeviceAudioOutput*>(device->output());
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(device->mixer().deviceRate(), 44100);
    auto buffer = testkit::loadBuffer(*device, tone);
    buffer->Play(DSBPLAY_LOOPING);
    ASSERT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() > 4 * 2205; }, 2s));

    server->setUp(false);
    ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s));
    const std::uint32_t atLoss = buffer->GetCurrentPosition();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(buffer->GetCurrentPosition(), atLoss) << "something played with no device";

    server->setUp(true);
    ASSERT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() > atLoss; }, 2s))
        << "the sound did not come back";
    // Going on from where it was, not from the start.
    EXPECT_GT(buffer->GetCurrentPosition(), atLoss);
    EXPECT_TRUE(buffer->IsPlaying());
    EXPECT_EQ(output->reopenCount(), 1);
    EXPECT_EQ(device->mixer().deviceRate(), 44100);
}

// A paused program closes its output, so no thread wakes for it, and opens it again on play at
// the rate the mixer was built for, going on where it stopped. Closed, it is not taken for lost.
TEST_F(AudioSystemTest, APausedOutputIsClosedUntilItPlaysAgain) {
    testkit::TempDir dir;
    const std::string tone = testkit::writeTone(dir, "tone.wav", 441.0, 0.4, 10 * 22050);
    DirectSound root(DeviceAudioOutput::factory(*audio));
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    ASSERT_EQ(root.DirectSoundCreate("", device, &reason), SoundResult::Ok) << reason;
    auto buffer = testkit::loadBuffer(*device, tone);
    buffer->Play(DSBPLAY_LOOPING);
    ASSERT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() > 4 * 2205; }, 2s));

    device->pauseOutput();
    ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s)) << "still open";
    const std::uint32_t atPause = buffer->GetCurrentPosition();
    // Longer than the watch's longest wait between attempts to reopen a lost device.
    std::this_thread::sleep_for(4 * AudioWorker::kLongestRetry);
    EXPECT_EQ(server->counts().open, 0) << "reopened while paused";
    EXPECT_EQ(buffer->GetCurrentPosition(), atPause) << "something played while paused";

    device->resumeOutput();
    ASSERT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() > atPause; }, 2s))
        << "the sound did not come back";
    EXPECT_EQ(server->counts().open, 1);
    const auto exact = server->exactOpens();
    ASSERT_FALSE(exact.empty());
    EXPECT_EQ(exact.back(), std::make_pair(std::string(DeviceAudioOutput::kStreamName), 44100));
}

// A program started before its sound server: the first open fails, the output keeps being
// looked for, and once the server is there it opens at the rate the hardware offers and plays
// what the program made on it.
TEST_F(AudioSystemTest, AnOutputMissingAtStartOpensOnceTheServerAppears) {
    testkit::TempDir dir;
    const std::string tone = testkit::writeTone(dir, "tone.wav", 441.0, 0.4, 22050);
    server->setUp(false);
    DirectSound root(DeviceAudioOutput::factory(*audio));
    std::unique_ptr<SoundDevice> device;
    std::string reason;
    ASSERT_EQ(root.DirectSoundCreateWhenAvailable(device, &reason), SoundResult::NoDriver);
    EXPECT_EQ(reason, "no sound server");
    std::this_thread::sleep_for(600ms);
    EXPECT_FALSE(root.outputArrived());
    EXPECT_EQ(server->counts().open, 0);

    server->setUp(true);
    const auto back = Clock::now();
    ASSERT_TRUE(waitFor([&] { return root.outputArrived(); }, 2s)) << "never opened";
    const double openMs = msSince(back);
    ASSERT_EQ(root.DirectSoundCreateWhenAvailable(device, &reason), SoundResult::Ok) << reason;
    EXPECT_EQ(device->mixer().deviceRate(), 44100) << "the hardware's own rate, as a first open";
    auto buffer = testkit::loadBuffer(*device, tone);
    buffer->Play(DSBPLAY_LOOPING);
    EXPECT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() > 2205; }, 2s))
        << "the late device does not play";
    EXPECT_EQ(server->counts().open, 1);
    EXPECT_TRUE(server->exactOpens().empty());
    std::cout << "[ figures  ] output opened " << openMs << " ms after the server came up\n";
    EXPECT_LT(openMs, 1500.0);

    // One still waiting when it is dropped (at the end of the test) is let go cleanly.
    server->setUp(false);
    DirectSound other(DeviceAudioOutput::factory(*audio));
    std::unique_ptr<SoundDevice> never;
    ASSERT_EQ(other.DirectSoundCreateWhenAvailable(never, &reason), SoundResult::NoDriver);
}

TEST_F(AudioSystemTest, FollowsTheDefaultDeviceWhenTheServerDoesNotMoveTheStream) {
    CountingCallback noise;
    auto device = open(format("Noise"), noise);
    ASSERT_TRUE(device);
    device->play();

    // A server that moves streams itself needs nothing more.
    server->setDefault("second");
    std::this_thread::sleep_for(AudioWorker::kRouteSettle + 2 * AudioWorker::kWatchInterval);
    EXPECT_EQ(device->reopenCount(), 0);
    EXPECT_EQ(server->onDefault("Noise"), 1);

    // One that leaves it behind gets a stream opened afresh on the new default.
    server->setMovesStreams(false);
    const auto moved = Clock::now();
    server->setDefault("third");
    ASSERT_TRUE(
        waitFor([&] { return server->onDefault("Noise") == 1 && device->reopenCount() == 1; }, 2s))
        << "the noise stayed on the old device";
    std::cout << "[ figures  ] moved to the new default in " << msSince(moved) << " ms\n";
    const long before = noise.bytes();
    EXPECT_TRUE(waitFor([&] { return noise.bytes() > before; }, 2s));
    // Moving one stream does not restart the library.
    EXPECT_EQ(server->counts().starts, 1);
    EXPECT_EQ(server->counts().open, 1);
}

// The user's chosen output: playing devices go there, fall back to the default while it is
// away and return when it is back; a device closed meanwhile opens there; capture stays put.
TEST_F(AudioSystemTest, PlaysOnTheChosenOutputWheneverItIsThere) {
    CountingCallback noise;
    CountingCallback voice;
    auto device = open(format("Noise"), noise);
    auto input = open(format("Voice", true), voice);
    ASSERT_TRUE(device && input);
    device->play();
    server->addOutput("headset");
    audio->setOutput("headset");
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise") == "headset"; }, 2s));
    EXPECT_EQ(server->placeOf("Voice"), "first");

    // Switched off: the server rescues the stream to the default, and it plays on there.
    server->removeOutput("headset");
    std::this_thread::sleep_for(AudioWorker::kRouteSettle + 2 * AudioWorker::kWatchInterval);
    EXPECT_EQ(server->placeOf("Noise"), "first");
    const int reopens = device->reopenCount();

    const auto back = Clock::now();
    server->addOutput("headset");
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise") == "headset"; }, 2s))
        << "the noise did not return to the chosen output";
    std::cout << "[ figures  ] back on the chosen output in " << msSince(back) << " ms\n";
    EXPECT_EQ(device->reopenCount(), reopens + 1);

    // Closed while idle, a device opens where the choice says; the default again undoes it.
    device->suspend();
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise").empty(); }, 2s));
    device->resume();
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise") == "headset"; }, 2s));
    // Another output device, as the recorder's playback is, opens there too.
    CountingCallback take;
    auto playback = open(format("Playback"), take);
    EXPECT_EQ(server->placeOf("Playback"), "headset");
    audio->setOutput({});
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise") == "first"; }, 2s));
    const long before = noise.bytes();
    EXPECT_TRUE(waitFor([&] { return noise.bytes() > before; }, 2s));
    EXPECT_EQ(server->placeOf("Voice"), "first");
}

// Headphones that go away stop the noise where it is, rather than letting the server play what it
// queued on the speakers: the owner is told once and leaves the device alone, hears when they
// are back, and the device played again opens afresh on them. Other outputs go on as ever.
TEST_F(AudioSystemTest, TheNoiseStopsWithTheHeadphonesItPlaysOnUntilTheyAreBack) {
    std::atomic<int> gone{0};
    std::atomic<int> back{0};
    audio->holdWhenPersonalGoes(true, [&](bool went) { ++(went ? gone : back); });
    CountingCallback noise;
    CountingCallback take;
    DeviceFormat want = format("Noise");
    want.heldWhenPersonalGoes = true;
    auto device = open(want, noise);
    auto playback = open(format("Playback"), take);
    ASSERT_TRUE(device && playback);
    device->play();
    playback->play();
    server->addOutput("phones", true);
    audio->setOutput("phones");
    ASSERT_TRUE(waitFor([&] { return server->placeOf("Noise") == "phones"; }, 2s));

    server->removeOutput("phones");
    ASSERT_TRUE(waitFor([&] { return gone == 1; }, 2s));
    const long stopped = noise.bytes();
    const long taken = take.bytes();
    std::this_thread::sleep_for(AudioWorker::kRouteSettle + 2 * AudioWorker::kWatchInterval);
    EXPECT_EQ(noise.bytes(), stopped) << "the noise went on without its headphones";
    EXPECT_GT(take.bytes(), taken) << "the recorder's playback stopped with the noise";
    EXPECT_EQ(back, 0);

    server->addOutput("phones", true);
    ASSERT_TRUE(waitFor([&] { return back == 1; }, 2s));
    device->resume();
    ASSERT_TRUE(waitFor([&] { return noise.bytes() > stopped; }, 2s));
    EXPECT_EQ(server->placeOf("Noise"), "phones");
    EXPECT_EQ(gone, 1);
}

TEST_F(AudioSystemTest, ClosingNeverWaitsForAServerThatHangs) {
    CountingCallback noise;
    auto device = open(format("Noise"), noise);
    ASSERT_TRUE(device);
    device->play();
    server->setUp(false);
    ASSERT_TRUE(waitFor([&] { return server->counts().open == 0; }, 2s));
    // The server comes back but stops answering: the owner's thread hangs in a reopen.
    server->setHanging(true);
    server->setUp(true);
    std::this_thread::sleep_for(700ms);

    auto start = Clock::now();
    device.reset();
    const double closeMs = msSince(start);
    EXPECT_LT(closeMs, 50.0) << "closing a device waited for the server";

    // A new device cannot open meanwhile; the caller is told so instead of waiting for good.
    CountingCallback other;
    std::string reason;
    start = Clock::now();
    EXPECT_EQ(audio->open(format("Other"), other, reason), nullptr);
    EXPECT_FALSE(reason.empty());
    EXPECT_LT(msSince(start), AudioSystem::kOpenWait.count() + 500.0);

    start = Clock::now();
    audio.reset();
    const double shutdownMs = msSince(start);
    std::cout << "[ figures  ] with the server hanging: device closed in " << closeMs
              << " ms, audio system ended in " << shutdownMs << " ms\n";
    EXPECT_LT(shutdownMs, AudioSystem::kShutdownWait.count() + 150.0);

    // Once the server answers, the thread that was left behind still ends cleanly.
    server->setHanging(false);
    EXPECT_TRUE(waitFor([&] { return server->counts().threadsDone == 1; }, 2s));
    EXPECT_EQ(server->counts().open, 0);
    EXPECT_FALSE(server->counts().overlapped);
}

TEST_F(AudioSystemTest, TheOutputListNeverKeepsTheInterfaceWaitingForAServerThatHangs) {
    server->addOutput("headphones");
    const auto fresh = audio->outputs(2s);
    ASSERT_TRUE(fresh);
    ASSERT_EQ(fresh->size(), 2u);
    EXPECT_EQ((*fresh)[1].name, "headphones");

    server->setHanging(true);
    server->addOutput("speakers");
    const auto start = Clock::now();
    const auto listed = audio->outputs(50ms);
    EXPECT_LT(msSince(start), 150.0);
    // The last list the owner made, until the server answers again.
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size(), 2u);
    server->setHanging(false);
    const auto after = audio->outputs(2s);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->size(), 3u);
}

TEST_F(AudioSystemTest, ReopensWhileTheInterfaceOpensAndClosesAnotherDevice) {
    testkit::TempDir dir;
    const std::string tone = testkit::writeTone(dir, "tone.wav", 441.0, 0.4, 10 * 22050);
    DirectSound root(DeviceAudioOutput::factory(*audio));
    std::unique_ptr<SoundDevice> noise;
    std::string reason;
    ASSERT_EQ(root.DirectSoundCreate("", noise, &reason), SoundResult::Ok) << reason;
    auto buffer = testkit::loadBuffer(*noise, tone);
    buffer->Play(DSBPLAY_LOOPING);

    std::atomic<bool> done{false};
    std::thread desktop([&] {
        for (int i = 0; i < 5; ++i) {
            server->setUp(false);
            std::this_thread::sleep_for(150ms);
            server->setUp(true);
            std::this_thread::sleep_for(200ms);
            server->setMovesStreams(i % 2 == 0);
            server->setDefault(i % 2 == 0 ? "second" : "first");
            std::this_thread::sleep_for(100ms);
        }
        done.store(true);
    });
    // The interface thread meanwhile makes and drops a second device, as Load Config does, and
    // changes what the first one plays.
    int opened = 0;
    int refused = 0;
    while (!done.load()) {
        std::unique_ptr<SoundDevice> second;
        if (root.DirectSoundCreate("", second) == SoundResult::Ok) {
            ++opened;
            auto other = testkit::loadBuffer(*second, tone);
            other->Play(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(opened % 7));
            second->releaseOutput();
        } else {
            ++refused;
        }
        buffer->SetVolume(-(opened % 20) * 100);
        std::this_thread::sleep_for(3ms);
    }
    desktop.join();

    EXPECT_GT(opened, 10);
    // Sound is back and going on.
    const std::uint32_t now = buffer->GetCurrentPosition();
    EXPECT_TRUE(waitFor([&] { return buffer->GetCurrentPosition() != now; }, 2s));
    EXPECT_GE(dynamic_cast<DeviceAudioOutput*>(noise->output())->reopenCount(), 5);
    EXPECT_TRUE(waitFor([&] { return server->counts().open == 1; }, 2s))
        << "second devices were left open";
    const auto counts = server->counts();
    EXPECT_EQ(counts.callThreads, 1);
    EXPECT_FALSE(counts.overlapped);
    std::cout << "[ figures  ] second device opened " << opened << " times, refused " << refused
              << " times while the server was away\n";
}

} // namespace
} // namespace qf::sound
