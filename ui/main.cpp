#include "AppWindows.h"
#include "AudioSystem.h"
#include "MediaCommands.h"
#include "MediaControl.h"
#include "SdlAudioOutput.h"
#include "SdlBackend.h"
#include "ShutdownDeadline.h"
#include "TerminationSignals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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
        std::fputs("quietfield: no display found; start it from a desktop session.\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quietfield"));
    // The layout was drawn for the desktop's 8-point dialog font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    // Ended last, so that it covers everything a platform's close sets going.
    qf::ShutdownDeadline deadline;
    // Made before the windows and ended after them: every sound device of the program belongs
    // to it.
    qf::sound::AudioSystem audio(std::make_unique<qf::sound::SdlBackend>());
    // The recorder's device outlives its windows: closing the recorder sends it "close capture".
    qf::mci::MediaControl media(audio);
    qf::mci::installMediaCommands(&media);
    qf::AppWindows windows(QCoreApplication::applicationDirPath().toStdString(),
                           qf::sound::SdlAudioOutput::factory(audio), nullptr, &media);
    qf::TerminationSignals termination;
    QObject::connect(&termination, &qf::TerminationSignals::closeRequested, &windows,
                     [&deadline, &windows] {
                         deadline.arm();
                         windows.closeAll();
                     });
    windows.start();
    const int status = app.exec();
    qf::mci::installMediaCommands(nullptr);
    return status;
}
