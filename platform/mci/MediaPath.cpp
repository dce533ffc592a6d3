#include "platform/mci/MediaPath.h"

#include "platform/files/UserFolders.h"

#include <cctype>
#include <string>

namespace qf::mci {

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
    const std::filesystem::path home = UserFolders::home();
    if (home.empty()) {
        return std::nullopt;
    }
    while (!rest.empty() && rest.front() == '/') {
        rest.erase(0, 1);
    }
    return home / rest;
}

} // namespace qf::mci
