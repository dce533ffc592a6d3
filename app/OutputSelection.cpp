#include "app/OutputSelection.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/UserFolders.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace qf {

namespace {
// A name or description longer than this is not one the server gave.
constexpr qint64 kLongestFile = 4096;
} // namespace

namespace {
constexpr QLatin1StringView kContinue("continue");
} // namespace

OutputSelection::OutputSelection(QString file, std::function<void(const std::string&)> apply,
                                 OutputMenu::Lister list, std::function<void(bool)> pauseWhenGone,
                                 QObject* parent)
    : QObject(parent), file_(std::move(file)), apply_(std::move(apply)), list_(std::move(list)),
      pauseWhenGone_(std::move(pauseWhenGone)) {}

QString OutputSelection::fileInConfigFolder() {
    const std::filesystem::path config = UserFolders::configHome();
    return config.empty() ? QString()
                          : QFile::decodeName((config / "quietfield" / "output").c_str());
}

void OutputSelection::load() {
    QFile file(file_);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kLongestFile) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        chosen_.name = lines.value(0).trimmed();
        chosen_.description = chosen_.name.isEmpty() ? QString() : lines.value(1).trimmed();
        pause_ = lines.value(2).trimmed() != kContinue;
    }
    // A file that cannot be read leaves the default, as if none had been chosen.
    apply_(chosen_.name.toStdString());
    if (pauseWhenGone_) {
        pauseWhenGone_(pause_);
    }
}

void OutputSelection::follow(MainWindow* main) {
    auto* menu = new OutputMenu(main->menu().outputMenu, list_, main);
    menu->setChosen(chosen_);
    connect(menu, &OutputMenu::chosenChanged, this,
            [this](const QString& name, const QString& description) {
                choose({name, description});
            });
    QAction* pause = menu->pauseWhenHeadphonesGo();
    pause->setChecked(pause_);
    connect(pause, &QAction::toggled, this, &OutputSelection::setPauseWhenHeadphonesGo);
}

void OutputSelection::setPauseWhenHeadphonesGo(bool on) {
    pause_ = on;
    if (pauseWhenGone_) {
        pauseWhenGone_(on);
    }
    keep();
}

void OutputSelection::choose(const OutputMenu::Output& output) {
    chosen_ = output;
    apply_(chosen_.name.toStdString());
    keep();
}

void OutputSelection::keep() const {
    if (!save()) {
        // The choice holds for this run all the same.
        std::fprintf(stderr, "quietfield: could not keep the output chosen in %s\n",
                     qPrintable(QDir::toNativeSeparators(file_)));
    }
}

bool OutputSelection::save() const {
    if (file_.isEmpty() || !QDir().mkpath(QFileInfo(file_).absolutePath())) {
        return false;
    }
    QString text = chosen_.name.isEmpty()
                       ? QString()
                       : chosen_.name + QLatin1Char('\n') + chosen_.description + QLatin1Char('\n');
    if (!pause_) {
        text = chosen_.name.isEmpty() ? QStringLiteral("\n\n") : text;
        text += kContinue + QLatin1Char('\n');
    }
    const QByteArray content = text.toUtf8();
    std::string error;
    return AtomicFile::replace(QFile::encodeName(file_).toStdString(),
                               std::string_view(content.constData(), content.size()), error);
}

} // namespace qf
