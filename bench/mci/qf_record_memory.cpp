// Records ten minutes (or the minutes given) through the recorder's media commands from a fake
// input that runs many times faster than real time, polling the length as the recorder window
// does, and samples the resident memory once per recorded second. Prints the figures and fails
// when memory grew by 5 MB or more: a recording lives in its scratch file, not in memory.
//
// usage: qf_record_memory [minutes]   (the scratch file goes to the user's cache folder)

#include "platform/mci/MediaControl.h"
#include "tests/mci/FakeAudioPorts.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char** argv) {
    using namespace qf::mci;
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const auto seconds = static_cast<std::uint64_t>(minutes * 60);
    auto sound = std::make_shared<fake::FakeSound>();
    MediaControl media(std::make_unique<fake::FakeAudioPorts>(sound));
    char reply[255];
    if (media.send("open new type waveaudio alias capture", nullptr, 0) != 0 ||
        media.send("set capture time format bytes", nullptr, 0) != 0) {
        std::fprintf(stderr, "the device did not open\n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    media.send("record capture", nullptr, 0);
    long first = 0;
    long highest = 0;
    std::uint64_t second = 1;
    while (second <= seconds) {
        media.send("status capture length", reply, sizeof reply);
        if (std::strtoull(reply, nullptr, 10) < second * AudioPorts::kBytesPerSecond) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        const long now = residentKiB();
        if (second == 1) {
            first = now;
        }
        highest = std::max(highest, now);
        if (second % 60 == 0) {
            std::printf("%3llu min recorded: resident %ld KiB\n",
                        static_cast<unsigned long long>(second / 60), now);
        }
        ++second;
    }
    media.send("stop capture", nullptr, 0);
    media.send("status capture length", reply, sizeof reply);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const long growth = highest - first;
    std::printf("recorded %s bytes (%.1f min) in %.1f s; %llu bytes dropped\n", reply,
                static_cast<double>(std::strtoull(reply, nullptr, 10)) /
                    AudioPorts::kBytesPerSecond / 60,
                wall, static_cast<unsigned long long>(media.device()->dropped()));
    std::printf("resident after 1 s: %ld KiB, highest: %ld KiB, growth: %ld KiB (limit 5120)\n",
                first, highest, growth);
    media.send("close all", nullptr, 0);
    return growth < 5 * 1024 ? 0 : 1;
}
