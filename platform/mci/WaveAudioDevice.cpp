#include "platform/mci/WaveAudioDevice.h"

#include "platform/mci/WaveSaver.h"

#include <algorithm>
#include <cstring>

namespace qf::mci {

namespace {

constexpr std::uint64_t wholeFrames(std::uint64_t bytes) {
    return bytes - bytes % AudioPorts::kBytesPerFrame;
}

} // namespace

std::unique_ptr<WaveAudioDevice> WaveAudioDevice::open(AudioPorts& ports,
                                                       const std::filesystem::path& scratchFolder,
                                                       std::string& reason) {
    auto file = ScratchFile::create(scratchFolder, reason);
    if (!file) {
        return nullptr;
    }
    std::unique_ptr<WaveAudioDevice> device(new WaveAudioDevice(ports, std::move(file)));
    // The input opens only while recording, so the microphone is not held open meanwhile; this
    // only makes sure there is one.
    if (!ports.openCapture(device->sink_, reason)) {
        return nullptr;
    }
    device->thread_ = std::thread([raw = device.get()] { raw->run(); });
    return device;
}

WaveAudioDevice::WaveAudioDevice(AudioPorts& ports, std::unique_ptr<ScratchFile> file)
    : ports_(ports), file_(std::move(file)), chunk_(kChunkBytes) {}

WaveAudioDevice::~WaveAudioDevice() {
    if (thread_.joinable()) {
        halt();
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
}

void WaveAudioDevice::halt() {
    if (mode_.load() == Mode::Recording) {
        takeTail();
    }
    std::unique_lock lock(mutex_);
    if (job_ == Job::Record) {
        sink_.close();
    }
    if (job_ != Job::Idle) {
        stopAsked_ = true;
        wake_.notify_all();
        idle_.wait(lock, [this] { return job_ == Job::Idle; });
    }
}

void WaveAudioDevice::takeTail() {
    // A take ends where it was stopped: what the input had heard by then is still on its way
    // through the sound server, and waited for, as long as it keeps coming.
    const std::size_t tail = std::min<std::size_t>(sink_.finish(), AudioPorts::kBytesPerSecond);
    const auto deadline = std::chrono::steady_clock::now() + kTailSlack +
                          std::chrono::milliseconds(tail * 1000 / AudioPorts::kBytesPerSecond);
    while (sink_.isOpen() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool WaveAudioDevice::record(std::string& reason) {
    halt();
    // Opened before the old recording goes, so a failure leaves it as it was.
    auto port = ports_.openCapture(sink_, reason);
    if (!port) {
        return false;
    }
    // The spooling thread is idle and the sink closed: nothing else touches the file or ring.
    file_->truncate(0);
    length_.store(0);
    sink_.ring().clear();
    std::lock_guard lock(mutex_);
    capture_ = std::move(port);
    problem_.clear();
    spoolError_ = 0;
    job_ = Job::Record;
    stopAsked_ = false;
    mode_.store(Mode::Recording);
    sink_.open();
    capture_->start();
    wake_.notify_all();
    return true;
}

void WaveAudioDevice::stop() {
    halt();
}

bool WaveAudioDevice::play(std::uint64_t from, std::string& reason) {
    halt();
    if (from > length()) {
        reason = "the position is past the end of the recording";
        return false;
    }
    // No output is open now, so nothing reads the ring.
    source_.reset();
    auto port = ports_.openPlayback(source_, reason);
    if (!port) {
        return false;
    }
    playAt_ = wholeFrames(from);
    // Filled before it starts, so playback does not begin with a gap.
    feedPlayback(false);
    std::lock_guard lock(mutex_);
    playback_ = std::move(port);
    job_ = Job::Play;
    stopAsked_ = false;
    mode_.store(Mode::Playing);
    playback_->start();
    wake_.notify_all();
    return true;
}

bool WaveAudioDevice::save(const std::filesystem::path& target, std::string& reason) const {
    return WaveSaver::save(*file_, length(), target, reason);
}

std::string WaveAudioDevice::problem() {
    std::lock_guard lock(mutex_);
    return problem_;
}

void WaveAudioDevice::run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (job_ == Job::Idle) {
            wake_.wait(lock);
            continue;
        }
        const Job job = job_;
        const bool stopping = stopAsked_;
        lock.unlock();
        const bool done = job == Job::Record ? spoolCapture(stopping) : feedPlayback(stopping);
        lock.lock();
        if (done) {
            finishJob(job);
        } else {
            wake_.wait_for(lock, kSpoolInterval, [this] { return quit_ || stopAsked_; });
        }
    }
}

bool WaveAudioDevice::spoolCapture(bool stopping) {
    for (;;) {
        const std::size_t got = sink_.ring().read(chunk_.data(), chunk_.size());
        if (got == 0) {
            // When stopping, the sink is closed already, so an empty ring is the end.
            return stopping;
        }
        const std::uint64_t at = length_.load(std::memory_order_relaxed);
        const std::size_t written = file_->writeAt(at, chunk_.data(), got, spoolError_);
        if (written < got) {
            // The disk is full (or failing): the recording ends with what was written, in
            // whole frames, and stays playable and savable.
            const std::uint64_t kept = wholeFrames(at + written);
            file_->truncate(kept);
            length_.store(kept, std::memory_order_release);
            sink_.close();
            sink_.ring().clear();
            return true;
        }
        length_.store(at + got, std::memory_order_release);
    }
}

bool WaveAudioDevice::feedPlayback(bool stopping) {
    if (stopping) {
        return true;
    }
    const std::uint64_t end = length();
    ByteRing& ring = source_.ring();
    while (playAt_ < end) {
        const std::size_t room = wholeFrames(std::min(ring.writable(), chunk_.size()));
        if (room == 0) {
            break;
        }
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(room, end - playAt_));
        const std::size_t got = wholeFrames(file_->readAt(playAt_, chunk_.data(), want));
        if (got == 0) {
            // Unreadable: play what came so far and end there.
            playAt_ = end;
            break;
        }
        ring.write(chunk_.data(), got);
        playAt_ += got;
    }
    if (playAt_ >= end) {
        source_.markEnding();
    }
    return source_.ended();
}

void WaveAudioDevice::finishJob(Job job) {
    // Closing a device waits for a callback under way; the callbacks never take this lock.
    if (job == Job::Play) {
        playback_.reset();
    } else {
        capture_.reset();
    }
    if (spoolError_ != 0) {
        problem_ = std::string("the disk took no more: ") + std::strerror(spoolError_);
        spoolError_ = 0;
    }
    job_ = Job::Idle;
    stopAsked_ = false;
    mode_.store(Mode::Stopped);
    idle_.notify_all();
}

} // namespace qf::mci
