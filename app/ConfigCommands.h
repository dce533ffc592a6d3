#pragma once

#include "CommonDialog.h"
#include "MessageBox.h"
#include "MixerPanel.h"
#include "NoiseEngine.h"
#include "SettingsLocation.h"

#include <functional>
#include <string>

namespace qf {

// The main window's mix on disk: the settings file read at start and written at exit, and the
// configuration files saved and loaded from the menu. A file that is not a whole, valid mix is
// never half applied: the window and the channels stay as they were.
class ConfigCommands {
public:
    static constexpr const char* kFilter = "Quietfield Files (*.qfc)| *.qfc";
    static constexpr const char* kDeviceError =
        "Unable to Continue, Error creating Directsound object.";
    static constexpr const char* kBadSuffix = ".bad";

    // What the commands work on, all owned by the main window.
    struct Host {
        MixerPanel& panel;
        NoiseEngine& engine;
        MessageBox& messages;
        CommonDialog& dialog;
        std::function<sound::WindowHandle()> window;
        std::function<void()> playSound;
    };

    ConfigCommands(Host host, settings::SettingsLocation location, std::string appFolder);

    // Start-up, once the channels exist: puts the stored mix into the controls and sets the
    // channels' rates. Without one, each frequency slider takes its channel's own rate, so that
    // what is kept at exit is what was heard. A broken file is set aside as "settings.ini.bad"
    // and the start goes on as if there were none; takeStartupReport() then says what happened.
    void restoreAtStart();
    // What the user should be told about the stored mix once the window is up; empty if nothing.
    // Handed out once.
    std::string takeStartupReport();
    // Exit: writes the mix, to the user's own folder when the application folder's file cannot
    // be written. Says so, with the reason, when neither could be. Writes nothing when the
    // stored mix was never read (no sound output came up, or the file could not be read): the
    // controls then hold defaults, not the user's mix.
    bool saveAtExit();
    void loadConfig();
    void saveConfig();

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
