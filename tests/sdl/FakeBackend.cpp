#include "tests/sdl/FakeBackend.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace qf::sound::fake {

void FakeServer::setUp(bool up) {
    std::function<void()> tell;
    {
        std::lock_guard lock(mutex_);
        up_ = up;
        if (!up) {
            for (auto& [id, device] : devices_) {
                device.lost->store(true);
            }
            if (tells_) {
                tell = hook_;
            }
        }
    }
    if (tell) {
        tell();
    }
}

void FakeServer::setTellsChanges(bool tells) {
    tells_ = tells;
}

void FakeServer::setHanging(bool hanging) {
    {
        std::lock_guard lock(mutex_);
        hanging_ = hanging;
    }
    released_.notify_all();
}

void FakeServer::setMovesStreams(bool moves) {
    std::lock_guard lock(mutex_);
    movesStreams_ = moves;
}

void FakeServer::setDefault(const std::string& device) {
    std::lock_guard lock(mutex_);
    default_ = device;
    defaultChanged_ = true;
    if (movesStreams_) {
        for (auto& [id, d] : devices_) {
            d.placedOn = device;
        }
    }
}

void FakeServer::announceServer() {
    std::lock_guard lock(mutex_);
    serverAnnounced_ = true;
}

void FakeServer::setNativeRate(int rate) {
    std::lock_guard lock(mutex_);
    nativeRate_ = rate;
}

void FakeServer::addOutput(const std::string& name, bool personal) {
    std::lock_guard lock(mutex_);
    outputs_.push_back(name);
    if (personal) {
        personal_.push_back(name);
    }
    defaultChanged_ = true;
}

void FakeServer::removeOutput(const std::string& name) {
    std::lock_guard lock(mutex_);
    outputs_.erase(std::remove(outputs_.begin(), outputs_.end(), name), outputs_.end());
    const bool personal = std::find(personal_.begin(), personal_.end(), name) != personal_.end();
    for (auto& [id, d] : devices_) {
        if (d.placedOn == name) {
            d.placedOn = default_;
            if (personal && holdPersonal_ && d.heldWhenPersonalGoes) {
                std::lock_guard pumping(*d.pumping);
                d.paused->store(true);
                d.personalGone = name;
            }
        }
    }
    defaultChanged_ = true;
}

std::string FakeServer::placeOf(const std::string& streamName) {
    std::lock_guard lock(mutex_);
    for (const auto& [id, d] : devices_) {
        if (d.stream == streamName) {
            return d.placedOn;
        }
    }
    return {};
}

FakeServer::Counts FakeServer::counts() {
    std::lock_guard lock(mutex_);
    Counts c = counts_;
    c.open = static_cast<int>(devices_.size());
    c.callThreads = static_cast<int>(callers_.size());
    return c;
}

std::vector<std::pair<std::string, int>> FakeServer::exactOpens() {
    std::lock_guard lock(mutex_);
    return exactOpens_;
}

int FakeServer::onDefault(const std::string& streamName) {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(devices_.begin(), devices_.end(), [&](const auto& d) {
        return d.second.stream == streamName && d.second.placedOn == default_;
    }));
}

class FakeBackend::Call {
public:
    explicit Call(FakeServer& server) : server_(server) {
        if (server_.inCall_.fetch_add(1) != 0) {
            std::lock_guard lock(server_.mutex_);
            server_.counts_.overlapped = true;
        }
        std::lock_guard lock(server_.mutex_);
        const auto self = std::this_thread::get_id();
        if (std::find(server_.callers_.begin(), server_.callers_.end(), self) ==
            server_.callers_.end()) {
            server_.callers_.push_back(self);
        }
    }
    ~Call() { server_.inCall_.fetch_sub(1); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

private:
    FakeServer& server_;
};

bool FakeBackend::start(std::string& reason) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    if (!server_->up_) {
        reason = "no sound server";
        return false;
    }
    server_->started_ = true;
    ++server_->counts_.starts;
    return true;
}

void FakeBackend::stop() {
    Call call(*server_);
    std::unique_lock lock(server_->mutex_);
    ++server_->counts_.stops;
    server_->started_ = false;
    while (!server_->devices_.empty()) {
        closeLocked(lock, server_->devices_.begin()->first);
    }
}

AudioBackend::DeviceId FakeBackend::open(const DeviceFormat& want, bool exactRate, Pump pump,
                                         void* user, DeviceFormat& obtained, std::string& reason) {
    Call call(*server_);
    std::unique_lock lock(server_->mutex_);
    server_->released_.wait(lock, [&] { return !server_->hanging_; });
    if (!server_->started_ || !server_->up_) {
        ++server_->counts_.failedOpens;
        reason = "no sound server";
        return 0;
    }
    ++server_->counts_.opens;
    obtained = want;
    if (exactRate) {
        server_->exactOpens_.emplace_back(want.streamName, want.rate);
    } else {
        obtained.rate = server_->nativeRate_;
    }
    const DeviceId id = server_->nextId_++;
    FakeServer::Device& device = server_->devices_[id];
    device.stream = want.streamName;
    device.capture = want.capture;
    device.heldWhenPersonalGoes = want.heldWhenPersonalGoes;
    const auto& outputs = server_->outputs_;
    const bool named = !want.capture && !want.output.empty() &&
                       std::find(outputs.begin(), outputs.end(), want.output) != outputs.end();
    device.placedOn = named ? want.output : server_->default_;
    obtained.output = named ? want.output : std::string();
    device.lost = std::make_shared<std::atomic<bool>>(false);
    device.paused = std::make_shared<std::atomic<bool>>(true);
    device.quit = std::make_shared<std::atomic<bool>>(false);
    device.pumping = std::make_shared<std::mutex>();
    const auto bytes = static_cast<std::size_t>(obtained.periodFrames * obtained.bytesPerFrame());
    // One period per period's worth of time, as a sound card would ask.
    const auto period =
        std::chrono::microseconds(1000000LL * obtained.periodFrames / obtained.rate);
    device.thread =
        std::thread([pump, user, bytes, period, lost = device.lost, paused = device.paused,
                     quit = device.quit, pumping = device.pumping] {
            std::vector<std::uint8_t> buffer(bytes);
            while (!quit->load()) {
                {
                    std::lock_guard guard(*pumping);
                    if (!paused->load() && !lost->load()) {
                        pump.transfer(user, buffer.data(), static_cast<int>(bytes));
                    }
                }
                std::this_thread::sleep_for(period);
            }
        });
    return id;
}

void FakeBackend::pause(DeviceId id, bool paused) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const auto it = server_->devices_.find(id);
    if (it != server_->devices_.end()) {
        // As SDL does: once paused, the device is not in its callback and will not call it.
        std::lock_guard pumping(*it->second.pumping);
        it->second.paused->store(paused);
    }
}

bool FakeBackend::lost(DeviceId id) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const auto it = server_->devices_.find(id);
    return it != server_->devices_.end() && it->second.lost->load();
}

void FakeBackend::close(DeviceId id) {
    Call call(*server_);
    std::unique_lock lock(server_->mutex_);
    closeLocked(lock, id);
}

void FakeBackend::closeLocked(std::unique_lock<std::mutex>& lock, DeviceId id) {
    const auto it = server_->devices_.find(id);
    if (it == server_->devices_.end()) {
        return;
    }
    std::thread thread = std::move(it->second.thread);
    it->second.quit->store(true);
    server_->devices_.erase(it);
    ++server_->counts_.closes;
    // As a real library does, closing waits for the device's thread, so no pump runs after it.
    lock.unlock();
    thread.join();
    lock.lock();
}

bool FakeBackend::routesChanged() {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const bool changed = server_->defaultChanged_;
    server_->defaultChanged_ = false;
    return changed;
}

void FakeBackend::setChangeHook(std::function<void()> hook) {
    std::lock_guard lock(server_->mutex_);
    server_->hook_ = std::move(hook);
}

bool FakeBackend::tellsChanges() const {
    return server_->tells_;
}

bool FakeBackend::serverAppeared() {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    return std::exchange(server_->serverAnnounced_, false);
}

bool FakeBackend::strayed(const DeviceFormat& format) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const std::string& expected = format.output.empty() ? server_->default_ : format.output;
    return std::any_of(server_->devices_.begin(), server_->devices_.end(), [&](const auto& d) {
        return d.second.stream == format.streamName && d.second.capture == format.capture &&
               d.second.placedOn != expected;
    });
}

bool FakeBackend::hasOutput(const std::string& name) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const auto& outputs = server_->outputs_;
    return std::find(outputs.begin(), outputs.end(), name) != outputs.end();
}

void FakeBackend::holdWhenPersonalGoes(bool hold) {
    std::lock_guard lock(server_->mutex_);
    server_->holdPersonal_ = hold;
}

std::string FakeBackend::personalGone(DeviceId id) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const auto it = server_->devices_.find(id);
    return it == server_->devices_.end() ? std::string()
                                         : std::exchange(it->second.personalGone, {});
}

bool FakeBackend::personalBack(const std::string& name, bool asDefault) {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    const auto& personal = server_->personal_;
    const auto& outputs = server_->outputs_;
    return std::find(personal.begin(), personal.end(), name) != personal.end() &&
           std::find(outputs.begin(), outputs.end(), name) != outputs.end() &&
           (!asDefault || server_->default_ == name);
}

std::optional<std::vector<AudioBackend::Output>> FakeBackend::outputs() {
    Call call(*server_);
    std::unique_lock lock(server_->mutex_);
    server_->released_.wait(lock, [&] { return !server_->hanging_; });
    if (!server_->started_ || !server_->up_) {
        return std::nullopt;
    }
    std::vector<Output> outputs{{server_->default_, server_->default_}};
    for (const auto& name : server_->outputs_) {
        outputs.push_back({name, name});
    }
    return outputs;
}

void FakeBackend::threadDone() {
    Call call(*server_);
    std::lock_guard lock(server_->mutex_);
    ++server_->counts_.threadsDone;
}

} // namespace qf::sound::fake
