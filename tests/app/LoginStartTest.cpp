// The login entry starts this very program minimised, whatever its path holds, and goes again
// when unchecked; one that cannot be written says why and is not taken for done.

#include "app/LoginStart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qf {
namespace {

// The Exec line's arguments as a launcher reads them: the value's string escapes first, then
// the quoting, then %% for %.
QStringList execArguments(const QByteArray& entry) {
    QString exec;
    for (const QString& line : QString::fromUtf8(entry).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("Exec="))) {
            exec = line.mid(5);
        }
    }
    QString value;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size()) {
            const QChar next = exec[++i];
            value += next == QLatin1Char('n')   ? QChar(QLatin1Char('\n'))
                     : next == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
                     : next == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
                                                : next;
        } else {
            value += exec[i];
        }
    }
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < value.size()) {
            current += value[++i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (any || !current.isEmpty()) {
                arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
            }
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty()) {
        arguments << current.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    return arguments;
}

TEST(LoginStartTest, TheEntryStartsThisProgramMinimisedAndGoesWhenUnchecked) {
    QTemporaryDir dir;
    const QString entry = dir.path() + QStringLiteral("/autostart/quietfield.desktop");
    const QString program =
        dir.path() + QStringLiteral("/Noise \"for\" $HOME's nights\\100%/quietfield");
    LoginStart login(entry, program);
    EXPECT_FALSE(login.enabled());

    QString error;
    ASSERT_TRUE(login.setEnabled(true, error)) << error.toStdString();
    EXPECT_TRUE(login.enabled());
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_EQ(execArguments(text), (QStringList{program, QStringLiteral("--minimised")}));

    ASSERT_TRUE(login.setEnabled(false, error)) << error.toStdString();
    EXPECT_FALSE(login.enabled());
    EXPECT_FALSE(QFile::exists(entry));
    // Removed by hand meanwhile: unchecking is still done.
    EXPECT_TRUE(login.setEnabled(false, error));
}

TEST(LoginStartTest, AnEntryThatCannotBeWrittenSaysWhy) {
    QTemporaryDir dir;
    // The folder it would go in is a file.
    QFile blocker(dir.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LoginStart login(dir.path() + QStringLiteral("/autostart/quietfield.desktop"),
                     QStringLiteral("/opt/quietfield/quietfield"));
    QString error;
    EXPECT_FALSE(login.setEnabled(true, error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(dir.path()))) << error.toStdString();
    EXPECT_FALSE(login.enabled());

    LoginStart nowhere(QString(), QStringLiteral("/opt/quietfield/quietfield"));
    EXPECT_FALSE(nowhere.setEnabled(true, error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace qf
