// Writes the five looping noise recordings into the folder given as the only argument.

#include "assets/NoiseKind.h"
#include "assets/NoiseSynthesiser.h"
#include "assets/StereoLoop.h"

#include <cstdio>
#include <exception>
#include <filesystem>

namespace {

constexpr int sampleRate = 22050;
constexpr std::size_t loopFrames = 30 * sampleRate;
constexpr double targetRmsDbfs = -20.0;
// All five together must stay clear of full scale before the output limiter has to act.
constexpr double peakCeilingDbfs = -1.0;

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        const NoiseSynthesiser synthesiser(sampleRate, loopFrames);

        for (const NoiseKind& kind : NoiseKind::all()) {
            StereoLoop loop(synthesiser.loop(kind.slopeDbPerOctave, kind.leftSeed),
                            synthesiser.loop(kind.slopeDbPerOctave, kind.rightSeed));
            loop.scaleToRmsDbfs(targetRmsDbfs);
            if (loop.peakDbfs() >= peakCeilingDbfs) {
                std::fprintf(stderr, "%s: peak %.2f dBFS is too high\n", kind.recordingName.c_str(),
                             loop.peakDbfs());
                return 1;
            }
            loop.writeWav((folder / kind.recordingName).string(), sampleRate);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
