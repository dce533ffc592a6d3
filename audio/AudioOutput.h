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
    // Stops pulling the mixer, so that a paused program costs no sound work, and starts again
    // where it stopped. Outputs pulled by hand have nothing to stop.
    virtual void pause() {}
    virtual void resume() {}
    // Whether a person is at the program. While nobody is, an output may queue seconds of sound,
    // which costs the machine far less; a change is still heard at once.
    virtual void setAttended(bool) {}

    // Like open(), but an output that cannot open now goes on looking for the device in the
    // background (a sound server that starts after the program); openedLater() tells when it
    // has. Outputs that cannot wait simply try once.
    virtual bool openWhenAvailable(int preferredRate, std::string& reason) {
        return open(preferredRate, reason);
    }
    // True once an output whose openWhenAvailable() failed has opened after all.
    virtual bool openedLater() const { return false; }
};

} // namespace qf::sound
