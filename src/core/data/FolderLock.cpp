// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FolderLock.h"

#include <QDir>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>

#include <signal.h>

namespace kvitanky {
namespace {

// A process of another user counts: it runs, only this one may not signal it.
bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

FolderLock::FolderLock(const QString &dir)
    : m_dir(dir)
    , m_path(QDir(dir).filePath(QString::fromLatin1(FileName)))
{
}

FolderLock::~FolderLock() = default;

bool FolderLock::acquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // The lock lasts as long as the program runs, however long: only a holder that
    // no longer runs on this computer makes it stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() != QLockFile::LockFailedError) {
        m_lock.reset();
        return false;
    }
    qint64 pid = 0;
    QString host, app;
    QString holder;
    const bool known = m_lock->getLockInfo(&pid, &host, &app);
    if (known && !host.isEmpty())
        holder = QStringLiteral("počítač %1, proces %2").arg(host).arg(pid);
    else if (known)
        holder = QStringLiteral("proces %1").arg(pid);
    else
        holder = QStringLiteral("počítač a proces nejsou známy");
    QString text = QStringLiteral("Data ve složce '%1' právě používá jiný spuštěný program Kvitanky (%2). "
                                  "Dva programy nesmějí zapisovat do stejných souborů, tento se proto ukončí.")
                       .arg(QDir::toNativeSeparators(m_dir), holder);
    // What the user can do about it: a holder elsewhere may still run; one on this
    // computer that no longer runs, or one nobody can tell, left a lock that could
    // not be taken over (it cannot be read or removed, e.g. another user's file).
    const QString file = QDir::toNativeSeparators(m_path);
    const bool here = known && (host.isEmpty() || host == QSysInfo::machineHostName());
    if (!known)
        text += QStringLiteral(" Zámek nelze přečíst; pokud program Kvitanky s těmito daty nikde neběží, "
                               "smažte soubor '%1'.").arg(file);
    else if (!here)
        text += QStringLiteral(" Pokud tam program už neběží, smažte soubor '%1'.").arg(file);
    else if (!processRuns(pid))
        text += QStringLiteral(" Ten proces už neběží, zámek po něm ale nelze odstranit: smažte soubor '%1'.").arg(file);
    m_lock.reset();
    throw FolderInUseError(text.toStdString());
}

} // namespace kvitanky
