// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kvitanky {
namespace {

// Enough for any number of saves a person can make within one second.
constexpr int MaxNamesPerStamp = 1000;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString BackupStamp(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

bool CopyFileWhole(const QString &source, const QString &destination, QString *reason)
{
    const auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(native(source) + ": " + in.errorString());
    const qint64 size = in.size();
    const QByteArray bytes = in.readAll();
    in.close();
    if (bytes.size() != size)
        return fail(native(source) + ": the file could not be read whole");

    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(native(destination) + ": " + out.errorString());
    const qint64 written = out.write(bytes);
    const bool flushed = out.flush();
    const QString writeError = out.errorString();
    out.close();
    if (written != size || !flushed || QFileInfo(destination).size() != size) {
        QFile::remove(destination);
        return fail(native(destination) + ": " + writeError);
    }
    return true;
}

BackupMaker::BackupMaker(const QString &programDir, Clock clock)
    : m_programDir(programDir)
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
{
}

QString BackupMaker::backupDir() const
{
    return QDir(m_programDir).filePath(QStringLiteral("Data"));
}

void BackupMaker::ensureBackupDir() const
{
    const QString dir = backupDir();
    if (QFileInfo(dir).isDir())
        return;
    if (!QDir().mkdir(dir) || !QFileInfo(dir).isDir())
        throw BackupError(("Cannot create " + native(dir) + " directory.").toStdString());
}

BackupResult BackupMaker::backup(const QString &fileName, const QString &workingName, const QString &prefix,
                                 const QString &suffix) const
{
    BackupResult result;
    const QDir program(m_programDir);
    const QString working = program.filePath(workingName);
    if (!CopyFileWhole(program.filePath(fileName), working, &result.reason)) {
        QFile::remove(working);
        return result;
    }

    const QString stamp = BackupStamp(m_clock());
    const QDir target(backupDir());
    for (int n = 1; n <= MaxNamesPerStamp; ++n) {
        const QString name = prefix + stamp + (n == 1 ? QString() : QStringLiteral("_%1").arg(n)) + suffix;
        const QString path = target.filePath(name);
        if (QFileInfo::exists(path))
            continue;
        QFile file(working);
        if (file.rename(path)) {
            result.saved = true;
            result.path = path;
            return result;
        }
        // Something other than a taken name: the folder refuses the file.
        if (!QFileInfo::exists(path)) {
            result.reason = native(path) + ": " + file.errorString();
            break;
        }
    }
    if (result.reason.isEmpty())
        result.reason = native(target.filePath(prefix + stamp + suffix)) + ": no free name";
    QFile::remove(working);
    return result;
}

} // namespace kvitanky
