// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RemovalBackup.h"

#include <QFileInfo>

namespace kvitanky {

QString backupBeforeRemoval(const QString &programDir, const QString &fileName, const QString &nothingDone,
                            const BackupMaker::Clock &clock)
{
    const QFileInfo name(fileName);
    const BackupMaker backups(programDir, clock);
    BackupResult r;
    try {
        backups.ensureBackupDir();
        r = backups.backup(fileName, name.completeBaseName() + QStringLiteral("Temp.") + name.suffix(),
                           name.completeBaseName(), QLatin1Char('.') + name.suffix());
    } catch (const BackupError &e) {
        r.reason = QString::fromUtf8(e.what());
    }
    if (!r.saved)
        throw BackupError(QStringLiteral("Zálohu souboru %1 nelze uložit: %2\n\n%3")
                              .arg(fileName, r.reason, nothingDone)
                              .toStdString());
    return r.path;
}

} // namespace kvitanky
