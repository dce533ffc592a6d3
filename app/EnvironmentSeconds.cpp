#include "app/EnvironmentSeconds.h"

#include <cstdlib>

namespace qf {

std::optional<std::chrono::milliseconds>
EnvironmentSeconds::read(const char* name, std::chrono::milliseconds longest) {
    const char* text = std::getenv(name);
    if (text == nullptr) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || seconds <= 0.0 || seconds * 1000.0 > longest.count()) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0 + 0.5));
}

} // namespace qf
