// Drives the recorder's media device through the real audio system, for whole-device tests in
// a private sound server: records from the default input, stops, waits, plays the recording
// back to the default output while watching the mode, and saves it. Prints what it saw.
//
// usage: qf_mci_record SECONDS PAUSE_SECONDS WAV_PATH

#include "platform/device/AudioSystem.h"
#include "platform/mci/MediaControl.h"
#include "platform/sdl/SdlBackend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qf_mci_record SECONDS PAUSE_SECONDS WAV_PATH\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto seconds = std::chrono::duration<double>(std::atof(argv[1]));
    const auto pause = std::chrono::duration<double>(std::atof(argv[2]));
    qf::sound::AudioSystem audio(std::make_unique<qf::sound::SdlBackend>());
    qf::mci::MediaControl media(audio);
    char reply[255];
    const auto send = [&](const std::string& command) {
        const unsigned code = media.send(command.c_str(), reply, sizeof reply);
        if (code != 0) {
            std::fprintf(stderr, "%s: %s\n", command.c_str(), media.errorText(code).c_str());
            std::exit(1);
        }
        return std::string(reply);
    };
    send("close all");
    send("open new type waveaudio alias capture");
    send("seek capture to start");
    send("set capture samplespersec 44100 channels 2 bitspersample 16 alignment 4 bytespersec "
         "176400");
    send("record capture");
    std::this_thread::sleep_for(seconds);
    send("stop capture");
    send("set capture time format bytes");
    std::printf("length %s\n", send("status capture length").c_str());

    std::this_thread::sleep_for(pause);
    send("play capture from 0");
    const auto playing = Clock::now();
    std::string mode = send("status capture mode");
    std::printf("mode after play %s\n", mode.c_str());
    while (mode == "playing" && Clock::now() - playing < std::chrono::seconds(30)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(19));
        mode = send("status capture mode");
    }
    std::printf("played for %.2f s, then %s\n",
                std::chrono::duration<double>(Clock::now() - playing).count(), mode.c_str());
    send(std::string("save capture ") + argv[3]);
    send("close capture");
    return mode == "stopped" ? 0 : 1;
}
