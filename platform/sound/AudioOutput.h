#pragma once

#include <string>

namespace qf::sound {

class Mixer;

// Where the mixed sound goes. An output is opened first, so the mixer can be built at the rate
// the device really runs at, then started with that mixer.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual bool open(int preferredRate, std::string& reason) = 0;
    virtual int sampleRate() const = 0;
    virtual void start(Mixer& mixer) = 0;
};

} // namespace qf::sound
