#include "platform/device/AudioSystem.h"

#include "platform/device/AudioWorker.h"

namespace qf::sound {

AudioSystem::AudioSystem(std::unique_ptr<AudioBackend> backend)
    : worker_(std::make_shared<AudioWorker>(std::move(backend))) {
    // The thread shares the worker, so it stays valid even if the thread has to be left behind.
    thread_ = std::thread([worker = worker_] { worker->run(); });
}

AudioSystem::~AudioSystem() {
    if (worker_->stopAndWait(kShutdownWait)) {
        thread_.join();
    } else {
        // Stuck in a call to a sound server that does not answer: the process is ending, and
        // the thread ends with it.
        thread_.detach();
    }
}

std::unique_ptr<AudioDevice> AudioSystem::open(const DeviceFormat& want, DeviceCallback& callback,
                                               std::string& reason, Absent absent) {
    auto slot = worker_->open(want, callback, kOpenWait, reason, absent == Absent::KeepLooking);
    if (!slot) {
        return nullptr;
    }
    return std::make_unique<AudioDevice>(worker_, std::move(slot));
}

void AudioSystem::setOutput(std::string name) {
    worker_->setOutput(std::move(name));
}

void AudioSystem::holdWhenPersonalGoes(bool hold, std::function<void(bool gone)> told) {
    worker_->holdWhenPersonalGoes(hold, std::move(told));
}

std::optional<std::vector<AudioBackend::Output>>
AudioSystem::outputs(std::chrono::milliseconds limit) {
    return worker_->outputs(limit);
}

} // namespace qf::sound
