#include "app/AppWindows.h"
#include "app/KeptSwitch.h"
#include "app/LoginStart.h"
#include "app/MediaSession.h"
#include "app/OutputSelection.h"
#include "app/ProgramOptions.h"
#include "app/ServerOrCardBackend.h"
#include "app/ShutdownDeadline.h"
#include "app/SleepTimer.h"
#include "app/SuspendAtEnd.h"
#include "app/TerminationSignals.h"
#include "platform/dbus/InstanceHandOver.h"
#include "platform/dbus/MprisService.h"
#include "platform/dbus/SystemSuspend.h"
#include "platform/device/AudioSystem.h"
#include "platform/device/DeviceAudioOutput.h"
#include "platform/mci/MediaControl.h"
#include "platform/mci/TakeRecovery.h"
#include "platform/pulse/PulseBackend.h"
#include "platform/sdl/SdlBackend.h"
#include "ui/ProgramLook.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Qt aborts when it cannot reach a display; say so plainly instead.
bool displayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::strncmp(platform, "xcb", 3) != 0 &&
        std::strncmp(platform, "wayland", 7) != 0) {
        return true;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// The Output menu's entries, through the sound system's owner: the menu opens at once, with the
// last list the owner made when the server is slow to answer.
std::optional<std::vector<qf::OutputMenu::Output>> serverOutputs(qf::sound::AudioSystem& audio) {
    constexpr auto kListWait = std::chrono::milliseconds(50);
    const auto outputs = audio.outputs(kListWait);
    if (!outputs) {
        return std::nullopt;
    }
    std::vector<qf::OutputMenu::Output> shown;
    for (const auto& output : *outputs) {
        shown.push_back(
            {QString::fromStdString(output.name), QString::fromStdString(output.description)});
    }
    return shown;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef __GLIBC__
    // Large blocks (recordings, pictures, decoding buffers) get their own mappings, which go
    // back to the system as soon as they are freed. By default glibc raises this threshold when
    // the first such block is freed; later ones then come from the heap, where start-up's
    // temporary buffers stay resident, unused, for the program's whole life (about 10 MB).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    if (!displayReachable()) {
        // --help and --version still answer; they need no display.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Quietfield"));
        if (const auto options = qf::ProgramOptions::parse(QCoreApplication::arguments());
            options.exitStatus) {
            return *options.exitStatus;
        }
        std::fputs("quietfield: no display found; start it from a desktop session.\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quietfield"));
    // Lets a Wayland dock match the windows to their launcher entry.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(qf::MprisService::kDesktopEntry));
    const auto options = qf::ProgramOptions::parse(QApplication::arguments());
    if (options.exitStatus) {
        return *options.exitStatus;
    }
    // One program per desktop: a second start hands over to the first and ends. Without a
    // session bus there are no media controls, and each start plays on its own as it always has.
    qf::MprisService player;
    const auto registration = player.registerOnSessionBus();
    if (registration == qf::MprisService::Registration::NameTaken) {
        QString error;
        if (!qf::InstanceHandOver::toRunning(options.sleepMinutes, error)) {
            std::fprintf(stderr, "quietfield: the running Quietfield did not answer: %s\n",
                         error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    // Takes that a killed or crashed recorder left are given back once per start, here: past the
    // hand-over, so only the program that stays does it. Off the window's thread, as a long take
    // takes most of a second to write out; the recorder's own scratch files carry this
    // process's id, so it may open meanwhile.
    std::thread recovery([job = qf::mci::TakeRecovery::forThisUser()] { job.run(stderr); });

    qf::ProgramLook::apply();

    // Ended last, so that it covers everything a platform's close sets going.
    qf::ShutdownDeadline deadline;
    // Made before the windows and ended after them: every sound device of the program belongs
    // to it.
    qf::sound::AudioSystem audio(std::make_unique<qf::ServerOrCardBackend>(
        std::make_unique<qf::sound::PulseBackend>(), std::make_unique<qf::sound::SdlBackend>()));
    // The recorder's device outlives its windows: closing the recorder sends it "close capture".
    qf::mci::MediaControl media(audio);
    qf::AppWindows windows(QCoreApplication::applicationDirPath().toStdString(),
                           qf::sound::DeviceAudioOutput::factory(audio), nullptr, &media);
    // The platform's shutdown; the sleep timer and the media controls' Quit end the program
    // the same way.
    const auto closeProgram = [&deadline, &windows] {
        deadline.arm();
        windows.closeAll();
    };
    qf::LoginStart loginStart(qf::LoginStart::entryInConfigFolder(),
                              QCoreApplication::applicationFilePath());
    QObject::connect(
        &windows, &qf::AppWindows::mainWindowCreated, &loginStart,
        [&loginStart](qf::MainWindow* main) { loginStart.follow(main, main->messages()); });
    qf::TerminationSignals termination;
    QObject::connect(&termination, &qf::TerminationSignals::closeRequested, &windows, closeProgram);
    qf::SleepTimer sleep(qf::SleepTimer::minuteFromEnvironment());
    qf::SuspendAtEnd suspendAtEnd(qf::SuspendAtEnd::fileInConfigFolder(),
                                  &qf::SystemSuspend::request);
    qf::MediaSession session(windows, sleep, closeProgram);
    // Before the first device opens, so the noise and the recorder start where the user chose.
    qf::OutputSelection output(
        qf::OutputSelection::fileInConfigFolder(),
        [&audio](const std::string& name) { audio.setOutput(name); },
        [&audio] { return serverOutputs(audio); },
        [&audio, &session](bool pause) {
            audio.holdWhenPersonalGoes(pause, session.personalOutputTold());
        });
    output.load();
    QObject::connect(&windows, &qf::AppWindows::mainWindowCreated, &output,
                     &qf::OutputSelection::follow);
    qf::KeptSwitch answerKeys(qf::KeptSwitch::fileInConfigFolder("media-keys"), true);
    session.attach(suspendAtEnd);
    if (registration == qf::MprisService::Registration::Registered) {
        session.attach(player, answerKeys);
    }
    windows.start(options.minimised);
    if (options.sleepMinutes) {
        session.sleepIn(*options.sleepMinutes);
    }
    const int status = app.exec();
    recovery.join();
    return status;
}
