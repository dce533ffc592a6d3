#include "settings/SettingsLocation.h"

#include "platform/files/FileLookup.h"
#include "platform/files/UserFolders.h"
#include "settings/SettingsFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qf::settings {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramFolder = "quietfield";

// Private to the user, as the configuration folder convention asks for folders it creates.
void makeFolders(const fs::path& folder) {
    fs::path made;
    for (const auto& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            return;
        }
    }
}

// Strictly later; files written within the same clock tick count as equal.
bool modifiedAfter(const fs::path& a, const fs::path& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) {
        return false;
    }
    if (sa.st_mtim.tv_sec != sb.st_mtim.tv_sec) {
        return sa.st_mtim.tv_sec > sb.st_mtim.tv_sec;
    }
    return sa.st_mtim.tv_nsec > sb.st_mtim.tv_nsec;
}

} // namespace

SettingsLocation::SettingsLocation(fs::path appFolder, fs::path userFolder)
    : SettingsLocation(std::move(appFolder), std::move(userFolder), writableByAccess) {}

SettingsLocation::SettingsLocation(fs::path appFolder, fs::path userFolder, WritableCheck writable)
    : appFolder_(std::move(appFolder)), userFolder_(std::move(userFolder)),
      writable_(std::move(writable)) {}

fs::path SettingsLocation::userFolderFromEnvironment() {
    const fs::path config = UserFolders::configHome();
    return config.empty() ? config : config / kProgramFolder;
}

bool SettingsLocation::writableByAccess(const fs::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

fs::path SettingsLocation::appFile() const {
    // The program's own files are found without regard to letter case.
    return FileLookup::resolve(appFolder_.string(), std::string("\\") + kFileName);
}

fs::path SettingsLocation::userFile() const {
    return userFolder_.empty() ? fs::path() : userFolder_ / kFileName;
}

bool SettingsLocation::appFolderWritable() const {
    const fs::path file = appFile();
    return writable_(appFolder_) && (!SettingsFile::exists(file) || writable_(file));
}

fs::path SettingsLocation::readPath() const {
    const bool appFirst = userFolder_.empty() || appFolderWritable();
    const fs::path first = appFirst ? appFile() : userFile();
    const fs::path second = appFirst ? userFile() : appFile();
    const bool haveFirst = SettingsFile::exists(first);
    const bool haveSecond = !second.empty() && SettingsFile::exists(second);
    if (haveFirst && haveSecond) {
        // A run that could not write the program folder left its mix in the user's folder; once
        // the folder is writable again, that newer mix must not lose to the folder's old file.
        return modifiedAfter(second, first) ? second : first;
    }
    if (haveFirst) {
        return first;
    }
    if (haveSecond) {
        return second;
    }
    return appFile();
}

fs::path SettingsLocation::userWritePath() const {
    if (userFolder_.empty()) {
        return {};
    }
    makeFolders(userFolder_);
    return userFile();
}

fs::path SettingsLocation::writePath() const {
    if (userFolder_.empty() || appFolderWritable()) {
        return appFile();
    }
    makeFolders(userFolder_);
    return userFile();
}

} // namespace qf::settings
