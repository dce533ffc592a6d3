#include "ConfigCommands.h"

#include "SettingsApplier.h"
#include "SettingsFile.h"

#include <filesystem>
#include <system_error>

namespace qf {

namespace {

std::string failure(const std::string& what, const std::string& path, const std::string& why) {
    return what + " " + path + "\n\n" + why;
}

} // namespace

ConfigCommands::ConfigCommands(Host host, settings::SettingsLocation location,
                               std::string appFolder)
    : host_(std::move(host)), location_(std::move(location)), appFolder_(std::move(appFolder)) {}

void ConfigCommands::restoreAtStart() {
    const auto path = location_.readPath();
    if (!settings::SettingsFile::exists(path)) {
        return;
    }
    const auto stored = settings::SettingsFile::read(path);
    if (stored.status == settings::SettingsFile::Status::Ok) {
        SettingsApplier::assign(host_.panel, stored.settings);
        SettingsApplier::applyFrequencies(host_.panel, host_.engine);
        return;
    }
    if (stored.status == settings::SettingsFile::Status::Invalid) {
        // Kept for the user to look at; the write at exit puts a good file in its place.
        std::error_code ec;
        auto aside = path;
        aside += kBadSuffix;
        std::filesystem::rename(path, aside, ec);
    }
}

bool ConfigCommands::saveAtExit() {
    const auto path = location_.writePath();
    std::string why;
    if (settings::SettingsFile::write(path, SettingsApplier::take(host_.panel), why)) {
        return true;
    }
    host_.messages.show(failure("Your mix could not be saved to", path.string(), why));
    return false;
}

std::string ConfigCommands::choosePath() {
    host_.dialog.Filter = kFilter;
    host_.dialog.InitDir = appFolder_;
    host_.dialog.ShowOpen();
    const std::string path = host_.dialog.FileName;
    host_.messages.show(path);
    return path;
}

void ConfigCommands::saveConfig() {
    const std::string path = choosePath();
    if (path.empty()) {
        return;
    }
    std::string why;
    if (!settings::SettingsFile::write(path, SettingsApplier::take(host_.panel), why)) {
        host_.messages.show(failure("The configuration was not saved to", path, why));
    }
}

void ConfigCommands::loadConfig() {
    const std::string path = choosePath();
    if (path.empty()) {
        return;
    }
    if (!host_.engine.replaceDevice(host_.window())) {
        host_.messages.show(kDeviceError);
        return;
    }
    host_.playSound();
    const auto stored = settings::SettingsFile::read(path);
    if (stored.status != settings::SettingsFile::Status::Ok) {
        const std::string why = stored.status == settings::SettingsFile::Status::Missing
                                    ? "The file does not exist."
                                    : stored.error;
        host_.messages.show(failure("Cannot load the configuration", path, why));
        return;
    }
    SettingsApplier::apply(host_.panel, host_.engine, stored.settings);
}

} // namespace qf
