#include "platform/device/AudioDevice.h"

#include "platform/device/AudioWorker.h"
#include "platform/device/DeviceSlot.h"

namespace qf::sound {

AudioDevice::AudioDevice(std::shared_ptr<AudioWorker> worker, std::shared_ptr<DeviceSlot> slot)
    : worker_(std::move(worker)), slot_(std::move(slot)) {}

AudioDevice::~AudioDevice() {
    worker_->release(slot_);
}

bool AudioDevice::isOpen() const {
    return slot_->isOpen();
}

const DeviceFormat& AudioDevice::format() const {
    return slot_->obtained();
}

void AudioDevice::play() {
    worker_->setPlaying(slot_, true);
}

void AudioDevice::pause() {
    worker_->setPlaying(slot_, false);
}

void AudioDevice::suspend() {
    worker_->setSuspended(slot_, true);
}

void AudioDevice::resume() {
    worker_->setSuspended(slot_, false);
}

void AudioDevice::setDeep(bool deep) {
    worker_->setDeep(slot_, deep);
}

void AudioDevice::refresh() {
    worker_->refresh(slot_);
}

int AudioDevice::reopenCount() const {
    return slot_->reopenCount();
}

} // namespace qf::sound
