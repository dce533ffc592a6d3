#pragma once

namespace qf::mci {

// One sound device the recorder holds open: the default input it records from, or an output
// it plays the recording through. It stays open, and is reopened if it goes away, until this
// goes; the callback given when opening it must outlive it. Any thread may call these.
class AudioPort {
public:
    virtual ~AudioPort() = default;
    // Starts or stops the callback being called; takes effect soon after, not at once.
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace qf::mci
