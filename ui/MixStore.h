#pragma once

#include "engine/MixerPanel.h"
#include "engine/NoiseEngine.h"
#include "platform/toolkit/CommonDialog.h"
#include "platform/toolkit/MessageBox.h"

#include <functional>
#include <memory>
#include <string>

namespace qf {

// The main window's mix on disk: read at start, written at exit, and the configuration files of
// the menu. The program hands the window a way to make one; the window says when each step is
// due.
class MixStore {
public:
    // What a store works on, all owned by the main window.
    struct Host {
        MixerPanel& panel;
        NoiseEngine& engine;
        MessageBox& messages;
        CommonDialog& dialog;
        std::function<sound::WindowHandle()> window;
        std::function<void()> playSound;
    };
    using Factory = std::function<std::unique_ptr<MixStore>(Host host)>;

    virtual ~MixStore() = default;

    // Start-up, once the channels exist: puts the stored mix into the controls.
    virtual void restoreAtStart() = 0;
    // What the user should be told about the stored mix once the window is up; empty if nothing.
    // Handed out once.
    virtual std::string takeStartupReport() = 0;
    // Exit: writes the mix; false if it could not be kept.
    virtual bool saveAtExit() = 0;
    virtual void loadConfig() = 0;
    virtual void saveConfig() = 0;
};

} // namespace qf
