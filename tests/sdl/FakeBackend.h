#pragma once

#include "platform/device/AudioBackend.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qf::sound::fake {

// What the test controls and sees of the fake sound library; it outlives the back end, which
// the audio system owns.
class FakeServer {
public:
    // The sound server going away (every open device stops for good, nothing opens) and back.
    void setUp(bool up);
    // Whether the library tells the owner of a loss as it happens (through its change hook).
    void setTellsChanges(bool tells);
    // Opens that reach the server hang until released, as with a server that stopped answering.
    void setHanging(bool hanging);
    // Whether the server itself moves streams to a new default device.
    void setMovesStreams(bool moves);
    void setDefault(const std::string& device);
    // A sound server comes up while the library runs on another driver (it is told once).
    void announceServer();
    // The rate a device runs at when the opener lets it choose.
    void setNativeRate(int rate);
    // An output besides the default comes or goes; streams on a removed one move to the
    // default, as a server rescues them.
    // A personal output (headphones) that goes stops the devices that ask for it instead, while
    // the owner holds them.
    void addOutput(const std::string& name, bool personal = false);
    void removeOutput(const std::string& name);
    // Where the open device called `streamName` plays, or empty if none is open.
    std::string placeOf(const std::string& streamName);

    struct Counts {
        int starts = 0;
        int stops = 0;
        int opens = 0;
        int failedOpens = 0;
        int closes = 0;
        int threadsDone = 0;
        int open = 0;
        int callThreads = 0;
        bool overlapped = false;
    };
    Counts counts();
    // Every open asked for with an exact rate (reopens): stream name and rate.
    std::vector<std::pair<std::string, int>> exactOpens();
    // How many open devices called by `streamName` currently sit on the default device.
    int onDefault(const std::string& streamName);

private:
    friend class FakeBackend;
    struct Device {
        std::string stream;
        bool capture = false;
        std::string placedOn;
        bool heldWhenPersonalGoes = false;
        std::string personalGone;
        std::shared_ptr<std::atomic<bool>> lost;
        std::shared_ptr<std::atomic<bool>> paused;
        std::shared_ptr<std::atomic<bool>> quit;
        std::shared_ptr<std::mutex> pumping;
        std::thread thread;
    };

    std::mutex mutex_;
    std::condition_variable released_;
    bool up_ = true;
    bool hanging_ = false;
    std::atomic<bool> tells_{false};
    std::function<void()> hook_;
    bool movesStreams_ = true;
    bool defaultChanged_ = false;
    bool serverAnnounced_ = false;
    std::string default_ = "first";
    std::vector<std::string> outputs_;
    std::vector<std::string> personal_;
    bool holdPersonal_ = false;
    int nativeRate_ = 44100;
    bool started_ = false;
    std::uint32_t nextId_ = 1;
    std::map<std::uint32_t, Device> devices_;
    Counts counts_;
    std::vector<std::pair<std::string, int>> exactOpens_;
    std::vector<std::thread::id> callers_;
    std::atomic<int> inCall_{0};
};

// The narrow back end over a FakeServer. Each open device has a thread of its own that calls
// the pump once a period while it plays, as a real sound library would.
class FakeBackend final : public AudioBackend {
public:
    explicit FakeBackend(std::shared_ptr<FakeServer> server) : server_(std::move(server)) {}

    bool start(std::string& reason) override;
    void stop() override;
    DeviceId open(const DeviceFormat& want, bool exactRate, Pump pump, void* user,
                  DeviceFormat& obtained, std::string& reason) override;
    void pause(DeviceId device, bool paused) override;
    bool lost(DeviceId device) override;
    void close(DeviceId device) override;
    bool routesChanged() override;
    bool strayed(const DeviceFormat& format) override;
    bool hasOutput(const std::string& name) override;
    void holdWhenPersonalGoes(bool hold) override;
    std::string personalGone(DeviceId device) override;
    bool personalBack(const std::string& name, bool asDefault) override;
    std::optional<std::vector<Output>> outputs() override;
    bool serverAppeared() override;
    void setChangeHook(std::function<void()> hook) override;
    bool tellsChanges() const override;
    void threadDone() override;

private:
    // Notes the calling thread and whether another call is under way.
    class Call;
    void closeLocked(std::unique_lock<std::mutex>& lock, DeviceId id);

    std::shared_ptr<FakeServer> server_;
};

} // namespace qf::sound::fake
