#include "platform/mci/MediaPath.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace qf::mci {

std::optional<std::filesystem::path> homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return std::filesystem::path(home);
    }
    if (const passwd* entry = getpwuid(getuid());
        entry != nullptr && entry->pw_dir != nullptr && *entry->pw_dir == '/') {
        return std::filesystem::path(entry->pw_dir);
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> localPath(std::string_view mediaPath) {
    std::string rest(mediaPath);
    for (char& c : rest) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (!rest.empty() && rest.front() == '/') {
        return std::filesystem::path(rest);
    }
    if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) != 0 &&
        rest[1] == ':') {
        if (std::tolower(static_cast<unsigned char>(rest[0])) != 'c') {
            return std::nullopt;
        }
        rest.erase(0, 2);
    }
    const auto home = homeFolder();
    if (!home) {
        return std::nullopt;
    }
    while (!rest.empty() && rest.front() == '/') {
        rest.erase(0, 1);
    }
    return *home / rest;
}

} // namespace qf::mci
