#pragma once

#include "platform/mci/MediaCommandSender.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace qf::test {

// A media device that notes every command text and answers from a script: a reply text or an
// error code per command, or an error for everything (no device at all).
class FakeMedia final : public mci::MediaCommandSender {
public:
    unsigned send(const char* command, char* reply, std::size_t length) override {
        sent.emplace_back(command);
        lengths.push_back(length);
        const auto error = errors.find(command);
        const unsigned code = failEverything != 0     ? failEverything
                              : error != errors.end() ? error->second
                                                      : 0;
        if (reply != nullptr && length > 0) {
            // A failing device leaves junk behind, which nobody should read.
            const std::string text = code != 0 ? std::string("junk 999") : replies[command];
            const std::size_t n = std::min(text.size(), length - 1);
            std::memcpy(reply, text.data(), n);
            reply[n] = '\0';
        }
        return code;
    }

    std::string errorText(unsigned code) const override {
        return "the device said no (" + std::to_string(code) + ")";
    }

    // The commands sent since the last call.
    std::vector<std::string> takeSent() {
        std::vector<std::string> taken;
        taken.swap(sent);
        lengths.clear();
        return taken;
    }

    std::vector<std::string> sent;
    std::vector<std::size_t> lengths;
    std::map<std::string, std::string> replies;
    std::map<std::string, unsigned> errors;
    unsigned failEverything = 0;
};

} // namespace qf::test
