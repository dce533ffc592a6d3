#include "platform/device/DeviceAudioOutput.h"

#include "audio/Mixer.h"

#include <algorithm>
#include <cstring>

namespace qf::sound {

DeviceAudioOutput::~DeviceAudioOutput() {
    if (Mixer* mixer = mixer_.load()) {
        mixer->bell().listen(nullptr, nullptr);
    }
    // Cuts the callback off before the mixer can go; the device closes in the background.
    device_.reset();
}

DirectSound::OutputFactory DeviceAudioOutput::factory(AudioSystem& system) {
    return [&system] { return std::make_unique<DeviceAudioOutput>(system); };
}

bool DeviceAudioOutput::open(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, false, reason);
}

bool DeviceAudioOutput::openWhenAvailable(int preferredRate, std::string& reason) {
    return openDevice(preferredRate, true, reason);
}

bool DeviceAudioOutput::openDevice(int preferredRate, bool keepLooking, std::string& reason) {
    DeviceFormat want;
    want.rate = preferredRate;
    want.format = SampleFormat::Float32;
    want.channels = 2;
    want.periodFrames = kPeriodFrames;
    want.streamName = kStreamName;
    // The noise stops with the headphones it plays on, when the program is asked to.
    want.heldWhenPersonalGoes = true;
    device_ =
        system_.open(want, *this, reason,
                     keepLooking ? AudioSystem::Absent::KeepLooking : AudioSystem::Absent::Fail);
    return opened();
}

void DeviceAudioOutput::start(Mixer& mixer) {
    const auto rate = static_cast<std::size_t>(std::max(mixer.deviceRate(), 1));
    saved_.assign(kSavedSeconds * rate / kBlockFrames + 2, SavedBlock{});
    mixer.bell().listen(&DeviceAudioOutput::mixChanged, this);
    mixer_.store(&mixer, std::memory_order_release);
    if (device_) {
        device_->play();
    }
}

void DeviceAudioOutput::pause() {
    // Closed rather than paused: a paused SDL device still wakes every period to write silence.
    if (device_) {
        device_->suspend();
    }
}

void DeviceAudioOutput::resume() {
    if (device_) {
        device_->resume();
    }
}

void DeviceAudioOutput::setAttended(bool attended) {
    if (deep_ == !attended) {
        return;
    }
    deep_ = !attended;
    if (!device_) {
        return;
    }
    device_->setDeep(deep_);
    if (!deep_) {
        // What was queued deeply is rendered again at once, so nothing waits for it.
        device_->refresh();
    }
}

void DeviceAudioOutput::mixChanged(void* self) noexcept {
    // Even a shallow queue holds more than a change may wait for.
    auto* output = static_cast<DeviceAudioOutput*>(self);
    if (output->device_) {
        output->device_->refresh();
    }
}

void DeviceAudioOutput::transfer(std::uint8_t* data, int bytes) noexcept {
    Mixer* mixer = mixer_.load(std::memory_order_acquire);
    if (mixer == nullptr) {
        std::memset(data, 0, static_cast<std::size_t>(bytes));
        return;
    }
    auto* out = reinterpret_cast<float*>(data);
    std::size_t frames = static_cast<std::size_t>(bytes) / (2 * sizeof(float));
    while (frames > 0) {
        // A block starts wherever the count of frames is a whole number of blocks.
        const std::size_t intoBlock = static_cast<std::size_t>(rendered_ % kBlockFrames);
        if (intoBlock == 0) {
            SavedBlock& block = saved_[nextSaved_];
            block.at = rendered_;
            mixer->save(block.state);
            nextSaved_ = (nextSaved_ + 1) % saved_.size();
            savedCount_ = std::min(savedCount_ + 1, saved_.size());
        }
        const std::size_t now = std::min(frames, kBlockFrames - intoBlock);
        mixer->render(out, now);
        rendered_ += now;
        out += 2 * now;
        frames -= now;
    }
}

int DeviceAudioOutput::rewind(int frames) noexcept {
    Mixer* mixer = mixer_.load(std::memory_order_acquire);
    if (mixer == nullptr || frames <= 0 || savedCount_ == 0) {
        return 0;
    }
    // The earliest block start that is still among the frames not heard yet.
    const std::uint64_t earliest =
        rendered_ - std::min<std::uint64_t>(rendered_, static_cast<std::uint64_t>(frames));
    std::size_t found = saved_.size();
    std::size_t kept = 0;
    for (std::size_t back = 1; back <= savedCount_; ++back) {
        const std::size_t index = (nextSaved_ + saved_.size() - back) % saved_.size();
        if (saved_[index].at < earliest) {
            break;
        }
        found = index;
        kept = savedCount_ - back;
    }
    if (found == saved_.size()) {
        return 0;
    }
    const SavedBlock& block = saved_[found];
    mixer->restore(block.state);
    const auto back = static_cast<int>(rendered_ - block.at);
    rendered_ = block.at;
    // The blocks from here on are made again as the mix renders them.
    nextSaved_ = found;
    savedCount_ = kept;
    return back;
}
} // namespace qf::sound
