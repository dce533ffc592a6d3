#pragma once

namespace qf {

// How every window of the program is drawn, set once for the whole application before any
// window exists: the desktop's font at the size the layouts were drawn for, and the desktop's
// style with a focus mark that shows on every control.
class ProgramLook {
public:
    static void apply();
};

} // namespace qf
