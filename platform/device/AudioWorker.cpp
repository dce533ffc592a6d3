#include "platform/device/AudioWorker.h"

#include <algorithm>
#include <future>
#include <utility>

namespace qf::sound {

AudioWorker::AudioWorker(std::unique_ptr<AudioBackend> backend) : backend_(std::move(backend)) {
    backend_->setChangeHook([this] { poke(); });
}

void AudioWorker::poke() {
    {
        std::lock_guard lock(mutex_);
        poked_ = true;
    }
    wake_.notify_one();
}

bool AudioWorker::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return false;
        }
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void AudioWorker::run() {
    auto nextWatch = Clock::now() + kWatchInterval;
    for (;;) {
        std::deque<std::function<void()>> jobs;
        bool poked = false;
        {
            std::unique_lock lock(mutex_);
            const auto due = [this] { return !jobs_.empty() || stopping_ || poked_; };
            if (nextWatch == Clock::time_point::max()) {
                wake_.wait(lock, due);
            } else {
                wake_.wait_until(lock, nextWatch, due);
            }
            jobs.swap(jobs_);
            poked = std::exchange(poked_, false);
            if (stopping_ && jobs.empty()) {
                break;
            }
        }
        for (auto& job : jobs) {
            job();
        }
        if (nextWatch == Clock::time_point::max() && (anyOpen() || anyMissing())) {
            nextWatch = Clock::now() + watchInterval();
        }
        if (poked || Clock::now() >= nextWatch) {
            nextWatch = watch();
        }
    }
    shutDown();
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    finishedWake_.notify_all();
}

bool AudioWorker::stopAndWait(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    wake_.notify_one();
    return finishedWake_.wait_for(lock, limit, [this] { return finished_; });
}

std::shared_ptr<DeviceSlot> AudioWorker::open(const DeviceFormat& want, DeviceCallback& callback,
                                              std::chrono::milliseconds limit, std::string& reason,
                                              bool keepLooking) {
    auto slot = std::make_shared<DeviceSlot>(want, callback);
    auto answer = std::make_shared<std::promise<std::string>>();
    auto future = answer->get_future();
    const bool posted = post([this, slot, answer, keepLooking] {
        std::string why;
        Entry entry{slot, slot->want(), 0, false};
        entry.want.output = entry.want.capture ? std::string() : output_;
        DeviceFormat obtained;
        if (startLibrary(why)) {
            entry.id = backend_->open(entry.want, entry.want.exactRate, DeviceSlot::kPump,
                                      slot.get(), obtained, why);
            if (entry.id != 0 && obtained.output != entry.want.output) {
                routeCheckAt_ = Clock::now() + kOutputRecheck;
            }
        } else if (why.empty()) {
            why = "the sound system did not start";
        }
        if (entry.id == 0) {
            if (keepLooking) {
                // Looked for again with the devices that went away; with nothing else open, the
                // library is started afresh each time, as a server that appears later needs.
                freshStartDue_ = true;
                entries_.push_back(std::move(entry));
            }
            answer->set_value(why.empty() ? "the device did not open" : why);
            return;
        }
        slot->setObtained(obtained);
        entry.want.rate = obtained.rate;
        entries_.push_back(std::move(entry));
        answer->set_value({});
    });
    if (!posted) {
        reason = "the sound system has shut down";
        return nullptr;
    }
    if (future.wait_for(limit) != std::future_status::ready) {
        reason = "the sound system did not answer in time";
        if (keepLooking) {
            // The worker keeps it, open or waiting, whenever it gets to it.
            return slot;
        }
        // Whenever the worker gets to it, the device is closed again right after opening.
        release(slot);
        return nullptr;
    }
    reason = future.get();
    if (!reason.empty() && !keepLooking) {
        return nullptr;
    }
    return slot;
}

void AudioWorker::setPlaying(const std::shared_ptr<DeviceSlot>& slot, bool playing) {
    post([this, slot, playing] {
        if (Entry* entry = find(slot.get())) {
            entry->playing = playing;
            if (entry->held && playing) {
                unhold(*entry);
            } else if (entry->id != 0) {
                backend_->pause(entry->id, !playing);
            }
        }
    });
}

void AudioWorker::setSuspended(const std::shared_ptr<DeviceSlot>& slot, bool suspended) {
    post([this, slot, suspended] {
        Entry* entry = find(slot.get());
        if (entry != nullptr && entry->held && !suspended) {
            unhold(*entry);
        }
        if (entry == nullptr || entry->suspended == suspended) {
            return;
        }
        entry->suspended = suspended;
        entry->held = false;
        if (suspended) {
            closeDevice(*entry);
            return;
        }
        std::string reason;
        if (entry->slot->isOpen() && (!startLibrary(reason) || !reopen(*entry))) {
            retryAt_ = Clock::now();
        }
    });
}

void AudioWorker::setDeep(const std::shared_ptr<DeviceSlot>& slot, bool deep) {
    post([this, slot, deep] {
        if (Entry* entry = find(slot.get()); entry != nullptr && entry->deep != deep) {
            entry->deep = deep;
            if (entry->id != 0) {
                backend_->setDeep(entry->id, deep);
            }
        }
    });
}

void AudioWorker::refresh(const std::shared_ptr<DeviceSlot>& slot) {
    if (!slot->askRefresh()) {
        return;
    }
    post([this, slot] {
        slot->refreshTaken();
        if (Entry* entry = find(slot.get()); entry != nullptr && entry->id != 0) {
            backend_->refresh(entry->id);
        }
    });
}

void AudioWorker::release(const std::shared_ptr<DeviceSlot>& slot) {
    slot->detach();
    post([this, slot] {
        const auto it = std::find_if(entries_.begin(), entries_.end(),
                                     [&](const Entry& e) { return e.slot == slot; });
        if (it != entries_.end()) {
            closeDevice(*it);
            entries_.erase(it);
        }
    });
}

void AudioWorker::setOutput(std::string name) {
    post([this, name = std::move(name)] {
        output_ = name;
        for (Entry& entry : entries_) {
            if (!entry.want.capture && entry.id != 0) {
                move(entry);
            }
        }
    });
}

void AudioWorker::holdWhenPersonalGoes(bool hold, std::function<void(bool gone)> told) {
    post([this, hold, told = std::move(told)] {
        holdPersonal_ = hold;
        personalTold_ = told;
        backend_->holdWhenPersonalGoes(hold);
        if (!hold) {
            personalAway_.clear();
        }
    });
}

void AudioWorker::unhold(Entry& entry) {
    // Played again on purpose: afresh, where it belongs now.
    entry.held = false;
    personalAway_.clear();
    if (entry.id != 0) {
        move(entry);
    }
}

void AudioWorker::watchPersonal() {
    for (Entry& entry : entries_) {
        if (entry.id == 0 || entry.held) {
            continue;
        }
        if (std::string gone = backend_->personalGone(entry.id); !gone.empty()) {
            entry.held = true;
            if (!holdPersonal_ || !personalTold_) {
                // Stopped just as holding was turned off: it goes on where the server put it.
                unhold(entry);
                continue;
            }
            personalAway_ = std::move(gone);
            personalTold_(true);
        }
    }
    // Only while nothing plays: a device played again in the meantime is where it belongs.
    const bool holding = std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) {
        return !e.want.capture && (e.held || e.suspended);
    });
    if (!personalAway_.empty() && holding &&
        backend_->personalBack(personalAway_, output_.empty())) {
        personalAway_.clear();
        personalTold_(false);
    }
}

std::optional<std::vector<AudioBackend::Output>>
AudioWorker::outputs(std::chrono::milliseconds limit) {
    using List = std::optional<std::vector<AudioBackend::Output>>;
    auto answer = std::make_shared<std::promise<List>>();
    auto future = answer->get_future();
    const bool posted = post([this, answer] {
        std::string reason;
        List list = startLibrary(reason) ? backend_->outputs() : std::nullopt;
        {
            std::lock_guard lock(mutex_);
            listed_ = list;
        }
        answer->set_value(std::move(list));
    });
    if (posted && future.wait_for(limit) == std::future_status::ready) {
        return future.get();
    }
    std::lock_guard lock(mutex_);
    return listed_;
}

std::string AudioWorker::placeFor(const Entry& entry) {
    if (entry.want.capture || output_.empty() || !backend_->hasOutput(output_)) {
        return {};
    }
    return output_;
}

AudioWorker::Entry* AudioWorker::find(const DeviceSlot* slot) {
    for (Entry& entry : entries_) {
        if (entry.slot.get() == slot) {
            return &entry;
        }
    }
    return nullptr;
}

AudioWorker::Clock::duration AudioWorker::watchInterval() const {
    const bool quiet = backend_->tellsChanges() && anyOpen() &&
                       std::all_of(entries_.begin(), entries_.end(),
                                   [](const Entry& entry) { return entry.id == 0 || entry.deep; });
    return quiet ? Clock::duration(kQuietWatch) : Clock::duration(kWatchInterval);
}

bool AudioWorker::startLibrary(std::string& reason) {
    if (!up_) {
        up_ = backend_->start(reason);
    }
    return up_;
}

AudioWorker::Clock::time_point AudioWorker::watch() {
    const auto now = Clock::now();
    for (Entry& entry : entries_) {
        if (entry.id != 0 && backend_->lost(entry.id)) {
            closeDevice(entry);
            freshStartDue_ = true;
        }
    }
    watchPersonal();
    if (backend_->routesChanged()) {
        routeCheckAt_ = now + kRouteSettle;
    }
    if (routeCheckAt_ && now >= *routeCheckAt_) {
        routeCheckAt_.reset();
        // A stream the server did not move to the new default, or that is not on the chosen
        // output now that it is back (or gone), is moved by opening it afresh.
        for (Entry& entry : entries_) {
            if (entry.id == 0 || entry.held) {
                continue;
            }
            DeviceFormat expected = entry.want;
            expected.output = placeFor(entry);
            if (backend_->strayed(expected)) {
                move(entry);
            }
        }
    }
    if (up_ && backend_->serverAppeared()) {
        // Everything moves onto the server: closed here, reopened at once below, each device
        // at the rate its callback was built for.
        for (Entry& entry : entries_) {
            closeDevice(entry);
        }
        backend_->stop();
        up_ = false;
        retryAt_ = now;
        retryWait_ = kFirstRetry;
    }
    if (anyMissing() && now >= retryAt_) {
        recover(now);
    }
    // With every device closed on purpose there is nothing to watch: the thread sleeps until
    // it is handed a job.
    if (!anyOpen() && !anyMissing() && !routeCheckAt_) {
        return Clock::time_point::max();
    }
    auto next = Clock::now() + watchInterval();
    if (anyMissing()) {
        next = std::min(next, retryAt_);
    }
    if (routeCheckAt_) {
        next = std::min(next, *routeCheckAt_);
    }
    return next;
}

void AudioWorker::recover(Clock::time_point now) {
    // With every device gone by itself the server most likely went away: some libraries keep
    // one connection to it for all devices, and only a fresh start reaches a new server.
    if (freshStartDue_ && up_ && !anyOpen()) {
        backend_->stop();
        up_ = false;
    }
    std::string reason;
    if (!up_) {
        if (!startLibrary(reason)) {
            retryAt_ = now + retryWait_;
            retryWait_ = std::min<Clock::duration>(retryWait_ * 2, kLongestRetry);
            return;
        }
        freshStartDue_ = false;
    }
    bool all = true;
    for (Entry& entry : entries_) {
        if (entry.id == 0 && !entry.suspended && !entry.held) {
            all = reopen(entry) && all;
        }
    }
    if (all) {
        retryWait_ = kFirstRetry;
        freshStartDue_ = false;
    } else {
        retryAt_ = now + retryWait_;
        retryWait_ = std::min<Clock::duration>(retryWait_ * 2, kLongestRetry);
    }
}

bool AudioWorker::reopen(Entry& entry) {
    // A device that never opened may take the rate the hardware offers; one that did must come
    // back at the rate its callback was built for.
    const bool first = !entry.slot->isOpen();
    DeviceFormat obtained;
    std::string reason;
    entry.want.output = entry.want.capture ? std::string() : output_;
    entry.id =
        backend_->open(entry.want, !first, DeviceSlot::kPump, entry.slot.get(), obtained, reason);
    if (entry.id == 0) {
        return false;
    }
    if (obtained.output != entry.want.output || obtained.pinDefault != entry.want.pinDefault) {
        // Left on the default: looked at again soon, in case the output was only just coming.
        routeCheckAt_ = Clock::now() + kOutputRecheck;
    }
    if (first) {
        entry.want.rate = obtained.rate;
        entry.slot->setObtained(obtained);
    } else {
        entry.slot->countReopen();
    }
    if (entry.deep) {
        backend_->setDeep(entry.id, true);
    }
    if (entry.playing) {
        backend_->pause(entry.id, false);
    }
    return true;
}

void AudioWorker::move(Entry& entry) {
    // The new stream plays before the old one closes: a stream's first close can take a good
    // part of a second while the server settles its latency. Paused, the old one no longer
    // calls back, so the callback never runs on two devices at once.
    const AudioBackend::DeviceId old = entry.id;
    backend_->pause(old, true);
    entry.id = 0;
    // A stream the server left behind is most likely one a person placed by hand, and the
    // server may remember that place for a new stream too: the new one names the default.
    entry.want.pinDefault = true;
    if (!reopen(entry)) {
        retryAt_ = Clock::now();
    }
    entry.want.pinDefault = false;
    backend_->close(old);
    // Looked at once more, to see it arrived: only a stream seen on the default is one that a
    // person moved away from it later.
    const auto recheck = Clock::now() + kOutputRecheck;
    routeCheckAt_ = routeCheckAt_ ? std::min(*routeCheckAt_, recheck) : recheck;
}

void AudioWorker::closeDevice(Entry& entry) {
    if (entry.id != 0) {
        backend_->close(entry.id);
        entry.id = 0;
    }
}

bool AudioWorker::anyMissing() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return e.id == 0 && !e.suspended && !e.held; });
}

bool AudioWorker::anyOpen() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.id != 0; });
}

void AudioWorker::shutDown() {
    for (Entry& entry : entries_) {
        entry.slot->detach();
        closeDevice(entry);
    }
    entries_.clear();
    if (up_) {
        backend_->stop();
        up_ = false;
    }
    backend_->threadDone();
}

} // namespace qf::sound
