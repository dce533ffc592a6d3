// Drives PulseRouting against the sound server of a private session: it connects, hears the
// default output move to another sink and back, asks where streams play, and is destroyed, twice
// over. Exits 0 when every move was heard exactly once; under AddressSanitizer the leak check at
// exit then also covers everything it asked libpulse for.
//
// Usage: qf_pulse_routing_check DEFAULT_SINK OTHER_SINK

#include "platform/pulse/PulseRouting.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How many changes PulseRouting reports within `span`, polling as the audio worker does.
int changesWithin(qf::sound::PulseRouting& routing, std::chrono::milliseconds span) {
    int changes = 0;
    const auto until = Clock::now() + span;
    while (Clock::now() < until) {
        changes += routing.routesChanged() ? 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return changes;
}

bool moveDefault(const std::string& sink) {
    const std::string command = "pactl set-default-sink '" + sink + "'";
    return std::system(command.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DEFAULT_SINK OTHER_SINK\n", argv[0]);
        return 2;
    }
    const std::string home = argv[1];
    const std::string other = argv[2];
    bool ok = true;
    for (int round = 1; round <= 2; ++round) {
        qf::sound::PulseRouting routing;
        // Connecting is not a change.
        const int atStart = changesWithin(routing, std::chrono::milliseconds(500));
        const bool away = moveDefault(other);
        const int afterAway = changesWithin(routing, std::chrono::milliseconds(1500));
        // No stream of this process plays anywhere, so none has strayed.
        const bool strayed =
            routing.strayed(false, "Quietfield check") || routing.strayed(true, "Quietfield check");
        const bool back = moveDefault(home);
        const int afterBack = changesWithin(routing, std::chrono::milliseconds(1500));
        std::printf("round %d: changes at start %d, after moving away %d, after moving back %d, "
                    "strayed %d\n",
                    round, atStart, afterAway, afterBack, strayed ? 1 : 0);
        ok = ok && away && back && atStart == 0 && afterAway == 1 && afterBack == 1 && !strayed;
    }
    return ok ? 0 : 1;
}
