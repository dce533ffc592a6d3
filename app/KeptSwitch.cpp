#include "app/KeptSwitch.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qf {

namespace {
// Anything longer was not written by this program.
constexpr qint64 kLongestSwitch = 16;
} // namespace

KeptSwitch::KeptSwitch(QString file, bool byDefault) : file_(std::move(file)), on_(byDefault) {
    QFile kept(file_);
    if (!file_.isEmpty() && kept.open(QIODevice::ReadOnly) && kept.size() <= kLongestSwitch) {
        const QByteArray word = kept.readAll().trimmed();
        if (word == "on" || word == "off") {
            on_ = word == "on";
        }
    }
}

QString KeptSwitch::fileInConfigFolder(const char* name) {
    const std::filesystem::path config = UserFolders::configHome();
    return config.empty() ? QString() : QFile::decodeName((config / "quietfield" / name).c_str());
}

bool KeptSwitch::set(bool on) {
    on_ = on;
    if (file_.isEmpty() || !QDir().mkpath(QFileInfo(file_).absolutePath())) {
        return false;
    }
    std::string error;
    return AtomicFile::replace(QFile::encodeName(file_).toStdString(), on ? "on\n" : "off\n",
                               error);
}

} // namespace qf
