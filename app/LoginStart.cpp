#include "app/LoginStart.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/UserFolders.h"
#include "platform/toolkit/MessageBox.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qf {

namespace {

// The program's path as one argument of an Exec line: quoted, with the characters that are
// special inside quotes escaped, then written as the entry's string value, whose own escapes
// come on top, and with % doubled, since a lone one starts a field code.
QString execArgument(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted += QLatin1Char('"');
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\')) {
            value += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            value += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\r')) {
            value += QStringLiteral("\\r");
        } else if (c == QLatin1Char('\t')) {
            value += QStringLiteral("\\t");
        } else if (c == QLatin1Char('%')) {
            value += QStringLiteral("%%");
        } else {
            value += c;
        }
    }
    return value;
}

} // namespace

LoginStart::LoginStart(QString entry, QString program, QObject* parent)
    : QObject(parent), entry_(std::move(entry)), program_(std::move(program)) {}

QString LoginStart::entryInConfigFolder() {
    const std::filesystem::path config = UserFolders::configHome();
    return config.empty()
               ? QString()
               : QFile::decodeName(
                     (config / "autostart" / "io.github.quietfield.Quietfield.desktop").c_str());
}

QByteArray LoginStart::entryText(const QString& program) {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Quietfield\n"
                                        "Comment=Coloured noise to mask the sounds around you\n"
                                        "Icon=io.github.quietfield.Quietfield\n"
                                        "Exec=%1 --minimised\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(execArgument(program));
    return text.toUtf8();
}

bool LoginStart::enabled() const {
    return !entry_.isEmpty() && QFileInfo::exists(entry_);
}

bool LoginStart::setEnabled(bool enabled, QString& error) {
    if (entry_.isEmpty()) {
        error = QStringLiteral("There is no configuration folder to keep the entry in.");
        return false;
    }
    const QString shown = QDir::toNativeSeparators(entry_);
    if (!enabled) {
        if (QFile::remove(entry_) || !QFileInfo::exists(entry_)) {
            return true;
        }
        error = QStringLiteral("Could not remove %1.").arg(shown);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(entry_).absolutePath())) {
        error = QStringLiteral("Could not make the folder of %1.").arg(shown);
        return false;
    }
    const QByteArray content = entryText(program_);
    std::string reason;
    if (!AtomicFile::replace(QFile::encodeName(entry_).toStdString(),
                             std::string_view(content.constData(), content.size()), reason)) {
        error =
            QStringLiteral("Could not write %1: %2.").arg(shown, QString::fromStdString(reason));
        return false;
    }
    return true;
}

void LoginStart::follow(MainWindow* main, MessageBox& messages) {
    QAction* check = main->menu().startAtLoginAction;
    check->setChecked(enabled());
    // The entry may have been made or removed elsewhere meanwhile.
    connect(main->menu().optionsMenu, &QMenu::aboutToShow, check,
            [this, check] { check->setChecked(enabled()); });
    connect(check, &QAction::triggered, this, [this, check, &messages](bool wanted) {
        QString error;
        if (!setEnabled(wanted, error)) {
            check->setChecked(enabled());
            messages.show(error.toStdString());
        }
    });
}

} // namespace qf
