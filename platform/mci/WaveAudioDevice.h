#pragma once

#include "platform/mci/AudioPorts.h"
#include "platform/mci/CaptureSink.h"
#include "platform/mci/PlaybackSource.h"
#include "platform/mci/ScratchFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qf::mci {

// One recording: made from the default input, spooled to a scratch file, played back through
// an output of its own and saved as WAV. The input is open only while recording, the output
// only while playing (the sound system reopens either if it goes away meanwhile); a spooling
// thread moves audio between the devices' rings and the file, so memory stays the same however
// long it records. The calls are made from one thread; mode() and length() are cheap to poll.
class WaveAudioDevice {
public:
    enum class Mode { Stopped, Recording, Playing };

    // About six seconds of audio: a disk that stalls that long loses nothing.
    static constexpr std::size_t kCaptureRingBytes = std::size_t{1} << 20;
    static constexpr std::size_t kPlaybackRingBytes = std::size_t{1} << 18;
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 16;
    static constexpr auto kSpoolInterval = std::chrono::milliseconds(10);
    // How much longer than the input says a stopped take waits for its last sound to arrive.
    static constexpr auto kTailSlack = std::chrono::milliseconds(250);

    // Null, with a reason, when there is no input device or no scratch file can be made.
    static std::unique_ptr<WaveAudioDevice>
    open(AudioPorts& ports, const std::filesystem::path& scratchFolder, std::string& reason);
    ~WaveAudioDevice();
    WaveAudioDevice(const WaveAudioDevice&) = delete;
    WaveAudioDevice& operator=(const WaveAudioDevice&) = delete;

    // Starts a new recording from the start, in place of what was there. False, with a reason
    // and the old recording kept, when the input does not open.
    bool record(std::string& reason);
    // Stops recording or playing. What was recorded is all in the file when this returns.
    void stop();
    // Plays from byte `from` to the end; false, with a reason, when that cannot start.
    bool play(std::uint64_t from, std::string& reason);
    bool save(const std::filesystem::path& target, std::string& reason) const;

    Mode mode() const noexcept { return mode_.load(std::memory_order_acquire); }
    // The bytes recorded so far.
    std::uint64_t length() const noexcept { return length_.load(std::memory_order_acquire); }
    // Bytes the input delivered that the disk could not keep up with.
    std::uint64_t dropped() const noexcept { return sink_.dropped(); }
    // Why the last recording stopped by itself (a full disk, say); empty when it did not.
    std::string problem();
    const std::filesystem::path& scratchPath() const { return file_->path(); }

private:
    enum class Job { Idle, Record, Play };

    WaveAudioDevice(AudioPorts& ports, std::unique_ptr<ScratchFile> file);
    void run();
    // One round of the spooling thread's work; true when the job has ended.
    bool spoolCapture(bool stopping);
    bool feedPlayback(bool stopping);
    void finishJob(Job job);
    // Stops whatever runs and waits until the spooling thread is idle.
    void halt();
    void takeTail();

    AudioPorts& ports_;
    std::unique_ptr<ScratchFile> file_;
    CaptureSink sink_{kCaptureRingBytes};
    PlaybackSource source_{kPlaybackRingBytes};
    // Declared after what their callbacks use, so they close first. Made by the calling thread
    // when a job starts, closed when it ends, under mutex_.
    std::unique_ptr<AudioPort> capture_;
    std::unique_ptr<AudioPort> playback_;

    std::atomic<Mode> mode_{Mode::Stopped};
    std::atomic<std::uint64_t> length_{0};

    // The spooling thread's own while a job runs; handed over under mutex_.
    std::uint64_t playAt_ = 0;
    int spoolError_ = 0;
    std::vector<std::uint8_t> chunk_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    Job job_ = Job::Idle;
    bool stopAsked_ = false;
    bool quit_ = false;
    std::string problem_;
    std::thread thread_;
};

} // namespace qf::mci
