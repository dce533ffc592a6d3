#pragma once

#include <filesystem>

namespace qf {

// The user's own folders, placed by the XDG base-directory rules: a variable counts only when it
// holds an absolute path, since a relative one would depend on where the program was started;
// otherwise the folder lies under the home folder. The home folder is $HOME when that is an
// absolute path, else the user database's entry. Each is empty when it cannot be told. They read
// the environment, so they belong on the program's thread.
class UserFolders {
public:
    static std::filesystem::path home();
    // $XDG_CONFIG_HOME, else ~/.config.
    static std::filesystem::path configHome();
    // $XDG_DATA_HOME, else ~/.local/share.
    static std::filesystem::path dataHome();
    // $XDG_CACHE_HOME, else ~/.cache.
    static std::filesystem::path cacheHome();
};

} // namespace qf
