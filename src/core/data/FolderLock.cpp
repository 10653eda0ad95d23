// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/FolderLock.h"

#include <QDir>
#include <QLockFile>
#include <QSysInfo>

namespace kvitanky {

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
    if (known && !host.isEmpty() && host != QSysInfo::machineHostName())
        text += QStringLiteral(" Pokud tam program už neběží, smažte soubor '%1'.").arg(QDir::toNativeSeparators(m_path));
    m_lock.reset();
    throw FolderInUseError(text.toStdString());
}

} // namespace kvitanky
