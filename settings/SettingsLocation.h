#pragma once

#include <filesystem>
#include <functional>

namespace qf::settings {

// Where "settings.ini" is read from and written to. Its home is the application folder; when
// that folder cannot be written (an installed program), the same name in the user's own
// configuration folder stands in for it.
class SettingsLocation {
public:
    static constexpr const char* kFileName = "settings.ini";
    // Whether the process may write to a file or folder; replaceable so tests running with
    // every permission can still see the fallback.
    using WritableCheck = std::function<bool(const std::filesystem::path&)>;

    SettingsLocation(std::filesystem::path appFolder, std::filesystem::path userFolder);
    SettingsLocation(std::filesystem::path appFolder, std::filesystem::path userFolder,
                     WritableCheck writable);

    // "quietfield" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config); empty
    // when no such folder can be told.
    static std::filesystem::path userFolderFromEnvironment();

    // The file that holds the last mix written: of the two, the one changed last (the one
    // writePath() names when both were changed at once), else the one that exists, else the
    // application folder's path (no file).
    std::filesystem::path readPath() const;
    // The application folder's file when the folder (and the file, if there is one) can be
    // written, else the user folder's, whose folder is then created (mode 0700) if missing.
    std::filesystem::path writePath() const;
    // The user folder's file, its folder created if missing: where the mix goes when the
    // application folder's file turns out not to be writable after all. Empty without a user
    // folder.
    std::filesystem::path userWritePath() const;

    // The application folder's file, under whatever letter case it has on disk.
    std::filesystem::path appFile() const;
    std::filesystem::path userFile() const;
    bool appFolderWritable() const;

    static bool writableByAccess(const std::filesystem::path& path);

private:
    std::filesystem::path appFolder_;
    std::filesystem::path userFolder_;
    WritableCheck writable_;
};

} // namespace qf::settings
