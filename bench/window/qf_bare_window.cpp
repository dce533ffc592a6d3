// The least a Qt Widgets program costs in memory: an empty main window with the same client area
// and a menu bar like Quietfield's, and nothing else. Its peak RSS is the floor the program's own
// figure is compared to (see bench/measure_cpu).

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <unistd.h>

namespace {

constexpr int kClientWidth = 554;
constexpr int kClientHeight = 336;

int stopPipe[2] = {-1, -1};

void onStop(int) {
    const char byte = 1;
    // Only write() is safe here; the event loop reads the byte and quits.
    [[maybe_unused]] const ssize_t written = write(stopPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    // SIGTERM ends the event loop, so the measuring script sees a clean exit.
    if (pipe(stopPipe) != 0) {
        return 1;
    }
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    std::signal(SIGTERM, onStop);
    std::signal(SIGINT, onStop);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Menu"));
    menu->addAction(QStringLiteral("Load  Config"));
    menu->addAction(QStringLiteral("Save Config"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Exit"), &app, &QApplication::quit);
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("Help"));
    help->addAction(QStringLiteral("Contact Us"));
    help->addSeparator();
    help->addAction(QStringLiteral("About"));

    auto* client = new QWidget(&window);
    client->setFixedSize(kClientWidth, kClientHeight);
    window.setCentralWidget(client);
    window.show();
    return QApplication::exec();
}
