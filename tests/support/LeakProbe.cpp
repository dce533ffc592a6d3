// A small Qt program for the leak check's suppressions: it opens a window the way the program
// does and, when asked, loses a block of its own, which must still be reported.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace {

[[gnu::noinline]] void plantedLeak() {
    char* block = new char[64];
    std::memset(block, 1, 64);
    asm volatile("" : : "r"(block) : "memory");
}

} // namespace

int main(int argc, char** argv) {
    const bool plant = argc > 1 && std::strcmp(argv[1], "--plant-leak") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.resize(200, 100);
    window.show();
    QTimer::singleShot(300, &app, [plant] {
        if (plant) {
            plantedLeak();
        }
        QCoreApplication::quit();
    });
    return app.exec();
}
