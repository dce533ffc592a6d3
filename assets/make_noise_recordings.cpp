// Writes the five looping noise recordings into the folder given as the only argument.

#include "assets/Loudness.h"
#include "assets/NoiseKind.h"
#include "assets/NoiseLevel.h"
#include "assets/NoiseSynthesiser.h"
#include "assets/StereoLoop.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace {

constexpr int sampleRate = 22050;
constexpr std::size_t loopFrames = 30 * sampleRate;
// Rounding to 16 bits adds noise near -100 dBFS; anything more means the level went wrong.
constexpr double loudnessToleranceLu = 0.05;

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
            const char* name = kind.recordingName.c_str();
            StereoLoop loop(synthesiser.loop(kind.slopeDbPerOctave, kind.leftSeed),
                            synthesiser.loop(kind.slopeDbPerOctave, kind.rightSeed));
            // One gain for the whole loop keeps its spectrum and its seamless wrap as they are.
            const Loudness raw = Loudness::ofStereo(loop.interleaved(), sampleRate);
            loop.scale(std::pow(10.0, (noiseLoudnessLufs - raw.integratedLufs) / 20.0));

            // The claims hold for the samples as written, after rounding to 16 bits.
            const std::vector<std::int16_t> pcm = loop.interleavedPcm16();
            const Loudness written = Loudness::ofStereo(pcm, sampleRate);
            std::printf("%s: %.2f LUFS, true peak %.2f dBTP, sample peak %.2f dBFS\n", name,
                        written.integratedLufs, written.truePeakDbtp, loop.peakDbfs());
            if (written.truePeakDbtp > noiseTruePeakCeilingDbtp) {
                std::fprintf(stderr, "%s: true peak %.2f dBTP is above %.1f dBTP at %.1f LUFS\n",
                             name, written.truePeakDbtp, noiseTruePeakCeilingDbtp,
                             noiseLoudnessLufs);
                return 1;
            }
            if (std::abs(written.integratedLufs - noiseLoudnessLufs) > loudnessToleranceLu) {
                std::fprintf(stderr, "%s: loudness %.2f LUFS missed %.1f LUFS\n", name,
                             written.integratedLufs, noiseLoudnessLufs);
                return 1;
            }
            StereoLoop::writeWav((folder / kind.recordingName).string(), sampleRate, pcm);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
