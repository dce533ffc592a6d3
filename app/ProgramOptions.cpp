#include "app/ProgramOptions.h"

#include "app/SleepDuration.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace qf {

namespace {

constexpr int kUsageError = 2;

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

ProgramOptions ProgramOptions::parse(const QStringList& arguments) {
    QCoreApplication::setApplicationVersion(QStringLiteral(QF_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quietfield plays coloured noise to mask the sounds around you."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption sleep(
        QStringLiteral("sleep"),
        QStringLiteral("Play for TIME, fading out over the last minute, then close. TIME is in "
                       "minutes: 45, 45m, 2h or 1h30m. If Quietfield already runs, its timer is "
                       "set instead."),
        QStringLiteral("TIME"));
    parser.addOption(sleep);
    const QCommandLineOption minimised(
        QStringLiteral("minimised"),
        QStringLiteral("Start with the main window minimised, the stored mix playing."));
    parser.addOption(minimised);

    ProgramOptions options;
    const QString name = QStringLiteral("quietfield");
    const auto usageError = [&](const QString& message) {
        print(stderr, name + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + name +
                          QStringLiteral(" --help' for more information.\n"));
        options.exitStatus = kUsageError;
        return options;
    };
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(stdout, parser.helpText());
        options.exitStatus = 0;
        return options;
    }
    if (parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n'));
        options.exitStatus = 0;
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));
    }
    options.minimised = parser.isSet(minimised);
    if (parser.isSet(sleep)) {
        std::string error;
        options.sleepMinutes = SleepDuration::parse(parser.value(sleep).toStdString(), error);
        if (!options.sleepMinutes) {
            return usageError(QStringLiteral("--sleep: ") + QString::fromStdString(error));
        }
    }
    return options;
}

} // namespace qf
