#include "app/ConfigCommands.h"

#include "app/SettingsApplier.h"
#include "settings/SettingsFile.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace qf {

namespace {

std::string failure(const std::string& what, const std::string& path, const std::string& why) {
    return what + " " + path + "\n\n" + why;
}

} // namespace

ConfigCommands::ConfigCommands(Host host, settings::SettingsLocation location,
                               std::string appFolder)
    : host_(std::move(host)), location_(std::move(location)), appFolder_(std::move(appFolder)) {}

MixStore::Factory ConfigCommands::inFolder(std::string appFolder) {
    return [appFolder = std::move(appFolder)](Host host) -> std::unique_ptr<MixStore> {
        return std::make_unique<ConfigCommands>(
            std::move(host),
            settings::SettingsLocation(appFolder,
                                       settings::SettingsLocation::userFolderFromEnvironment()),
            appFolder);
    };
}

void ConfigCommands::restoreAtStart() {
    mixRead_ = true;
    const auto path = location_.readPath();
    if (!settings::SettingsFile::exists(path)) {
        keepRecordingRates();
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
        std::string report = "Your stored mix in " + path.string();
        report += " could not be used: " + stored.error + ".\n\n";
        if (ec) {
            report += "It could not be set aside (" + ec.message();
            report += "), and will be replaced when the program ends.";
        } else {
            report += "The file was kept as " + aside.string();
            report += "; the mix starts from the defaults.";
        }
        startupReport_ = std::move(report);
    } else {
        // A file that exists but cannot be read may still hold the user's mix: it is left
        // alone, and not overwritten at exit.
        mixRead_ = false;
        std::string report = "Your stored mix in " + path.string();
        report += " could not be read: " + stored.error;
        report += ".\n\nIt was left as it is and will not be changed.";
        startupReport_ = std::move(report);
    }
    keepRecordingRates();
}

void ConfigCommands::keepRecordingRates() {
    const auto range = settings::MixerSettings::range(settings::MixerSettings::kFields);
    for (int row = 1; row <= ChannelTable::kChannels; ++row) {
        if (const auto* buffer = host_.engine.buffer(row)) {
            const auto rate = static_cast<long long>(buffer->GetFrequency());
            if (range.contains(rate)) {
                host_.panel.setFrequencyValue(row, static_cast<int>(rate));
            }
        }
    }
}

std::string ConfigCommands::takeStartupReport() {
    return std::exchange(startupReport_, {});
}

bool ConfigCommands::saveAtExit() {
    if (!mixRead_) {
        return true;
    }
    const auto mix = SettingsApplier::take(host_.panel);
    const auto path = location_.writePath();
    std::string why;
    if (settings::SettingsFile::write(path, mix, why)) {
        return true;
    }
    // The folder looked writable but the file was not (a folder of that name, a full disk):
    // the user's own folder keeps the mix instead, and is read from then on.
    const auto fallback = location_.userWritePath();
    if (!fallback.empty() && fallback != path) {
        std::string fallbackWhy;
        if (settings::SettingsFile::write(fallback, mix, fallbackWhy)) {
            return true;
        }
        why.append("\n").append(fallback.string()).append(": ").append(fallbackWhy);
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
