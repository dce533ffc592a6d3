#include "platform/files/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace qf {

namespace fs = std::filesystem;

namespace {

fs::path absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') {
        return {};
    }
    return value;
}

// The reentrant call, so that a look-up on another thread cannot change the entry under it.
fs::path homeFromUserDatabase() {
    std::vector<char> buffer(16384);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (std::size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr || found->pw_dir == nullptr || *found->pw_dir != '/') {
            return {};
        }
        return found->pw_dir;
    }
}

fs::path baseFolder(const char* variable, const char* underHome) {
    fs::path folder = absoluteFromEnvironment(variable);
    if (!folder.empty()) {
        return folder;
    }
    const fs::path home = UserFolders::home();
    return home.empty() ? fs::path() : home / underHome;
}

} // namespace

fs::path UserFolders::home() {
    const fs::path home = absoluteFromEnvironment("HOME");
    return home.empty() ? homeFromUserDatabase() : home;
}

fs::path UserFolders::configHome() {
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

fs::path UserFolders::dataHome() {
    return baseFolder("XDG_DATA_HOME", ".local/share");
}

fs::path UserFolders::cacheHome() {
    return baseFolder("XDG_CACHE_HOME", ".cache");
}

} // namespace qf
