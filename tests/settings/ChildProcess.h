#pragma once

#include <functional>
#include <string>

namespace qf::test {

// Runs a piece of a test in a forked process, for what must not touch the test process itself:
// resource limits, mount namespaces, being killed.
class ChildProcess {
public:
    struct Result {
        bool exited = false; // ended by returning, not by a signal
        int signal = 0;      // the signal that ended it otherwise
        std::string report;  // what the body returned: empty when all was well
    };

    // The body's text comes back in `report`; by convention "skip: why" asks for a skip.
    static Result run(const std::function<std::string()>& body);
    static bool isSkip(const std::string& report) { return report.rfind("skip: ", 0) == 0; }
};

} // namespace qf::test
