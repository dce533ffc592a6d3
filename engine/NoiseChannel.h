#pragma once

#include "platform/sound/VoiceHandle.h"

#include <memory>
#include <string>

namespace qf {

// One looping noise sound. Its number is also its row on the main window, which is how its
// check box and sliders are found.
struct NoiseChannel {
    int number = 0;
    std::string caption;
    std::string recordingFile;
    std::string pictureFile;
    // Empty when the recording could not be loaded; every operation then skips the channel.
    std::unique_ptr<sound::VoiceHandle> buffer;
};

} // namespace qf
