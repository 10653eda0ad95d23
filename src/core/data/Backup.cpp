// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvitanky {
namespace {

// Enough for any number of saves a person can make within one second.
constexpr int MaxNamesPerStamp = 1000;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Renames `from` to `to` unless something, a link included, stands at `to`.
// Returns 0 or the reason's errno (EEXIST: the name is taken).
int moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that cannot refuse by itself: a hard link cannot replace.
    if (::link(a.constData(), b.constData()) == 0)
        return ::unlink(a.constData()) == 0 ? 0 : errno;
    if (errno != EPERM && errno != ENOTSUP)
        return errno;
    struct stat st {};
    if (::lstat(b.constData(), &st) == 0)
        return EEXIST;
    return ::rename(a.constData(), b.constData()) == 0 ? 0 : errno;
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
    struct stat st {};
    if (::fstat(in.handle(), &st) != 0)
        return fail(native(source) + ": " + errnoText(errno));
    const qint64 size = in.size();
    const QByteArray bytes = in.readAll();
    in.close();
    if (bytes.size() != size)
        return fail(native(source) + ": the file could not be read whole");

    // A new file under the name: whatever stands there (a copy left by a cut save,
    // a link someone put in the folder) is taken away, never written through.
    const QByteArray to = QFile::encodeName(destination);
    struct stat old {};
    if (::lstat(to.constData(), &old) == 0 && !S_ISDIR(old.st_mode))
        ::unlink(to.constData());
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(native(destination) + ": " + errnoText(errno));
    // The copy may be read by whom the source may be read, no one else.
    bool ok = ::fchmod(fd, st.st_mode & 0777) == 0;
    qint64 done = 0;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += n;
        else if (n == 0)
            errno = ENOSPC;
    }
    const int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
    }
    if (!ok) {
        ::unlink(to.constData());
        return fail(native(destination) + ": " + errnoText(err));
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
    // The table's memo file goes along under the same stamp.
    struct Part {
        QString source, working, suffix;
    };
    QList<Part> parts = {{program.filePath(fileName), program.filePath(workingName), suffix}};
    const QString base = QFileInfo(fileName).completeBaseName();
    const QString workingBase = QFileInfo(workingName).completeBaseName();
    for (const char *memo : {"fpt", "FPT", "dbt", "DBT"}) {
        const QString ext = QString::fromLatin1(memo);
        const QString source = program.filePath(base + '.' + ext);
        if (suffix.compare(QStringLiteral(".dbf"), Qt::CaseInsensitive) == 0 && QFileInfo(source).isFile()) {
            parts.append({source, program.filePath(workingBase + '.' + ext.toLower()), '.' + ext.toLower()});
            break;
        }
    }
    const auto removeWorking = [&] {
        for (const Part &p : std::as_const(parts))
            ::unlink(QFile::encodeName(p.working).constData());
    };
    for (const Part &p : std::as_const(parts)) {
        if (!CopyFileWhole(p.source, p.working, &result.reason)) {
            removeWorking();
            return result;
        }
    }

    const QString stamp = BackupStamp(m_clock());
    const QDir target(backupDir());
    for (int n = 1; n <= MaxNamesPerStamp; ++n) {
        const QString name = prefix + stamp + (n == 1 ? QString() : QStringLiteral("_%1").arg(n));
        QStringList moved;
        bool taken = false;
        for (const Part &p : std::as_const(parts)) {
            const QString path = target.filePath(name + p.suffix);
            const int err = moveWithoutReplacing(p.working, path);
            if (err == 0) {
                moved << path;
                continue;
            }
            // Put back what moved already: the backup stays one stamp.
            for (int i = 0; i < moved.size(); ++i)
                moveWithoutReplacing(moved[i], parts[i].working);
            if (err == EEXIST) {
                taken = true;
                break;
            }
            // Something other than a taken name: the folder refuses the file.
            result.reason = native(path) + ": " + errnoText(err);
            removeWorking();
            return result;
        }
        if (taken)
            continue;
        result.saved = true;
        result.path = moved.first();
        return result;
    }
    result.reason = native(target.filePath(prefix + stamp + suffix)) + ": no free name";
    removeWorking();
    return result;
}

} // namespace kvitanky
