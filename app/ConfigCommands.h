#pragma once

#include "settings/SettingsLocation.h"
#include "ui/MixStore.h"

#include <string>

namespace qf {

// The main window's mix on disk: the settings file read at start and written at exit, and the
// configuration files saved and loaded from the menu. A file that is not a whole, valid mix is
// never half applied: the window and the channels stay as they were.
class ConfigCommands final : public MixStore {
public:
    static constexpr const char* kFilter = "Quietfield Files (*.qfc)| *.qfc";
    static constexpr const char* kDeviceError =
        "Unable to Continue, Error creating Directsound object.";
    static constexpr const char* kBadSuffix = ".bad";

    using Host = MixStore::Host;

    // The stores of a program whose settings file sits in `appFolder`, with the user's own
    // folder as the fallback.
    static MixStore::Factory inFolder(std::string appFolder);

    ConfigCommands(Host host, settings::SettingsLocation location, std::string appFolder);

    // Start-up, once the channels exist: puts the stored mix into the controls and sets the
    // channels' rates. Without one, each frequency slider takes its channel's own rate, so that
    // what is kept at exit is what was heard. A broken file is set aside as "settings.ini.bad"
    // and the start goes on as if there were none; takeStartupReport() then says what happened.
    void restoreAtStart() override;
    // What the user should be told about the stored mix once the window is up; empty if nothing.
    // Handed out once.
    std::string takeStartupReport() override;
    // Exit: writes the mix, to the user's own folder when the application folder's file cannot
    // be written. Says so, with the reason, when neither could be. Writes nothing when the
    // stored mix was never read (no sound output came up, or the file could not be read): the
    // controls then hold defaults, not the user's mix.
    bool saveAtExit() override;
    void loadConfig() override;
    void saveConfig() override;

private:
    // The dialog and the path box shown on every use; empty when the user chose nothing.
    std::string choosePath();
    void keepRecordingRates();

    Host host_;
    settings::SettingsLocation location_;
    std::string appFolder_;
    bool mixRead_ = false;
    std::string startupReport_;
};

} // namespace qf
