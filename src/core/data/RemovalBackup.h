// SPDX-License-Identifier: GPL-3.0-or-later
// The copy a file gets in the backup folder ("Data") before the program deletes or
// converts it, so that the user can have it back.
#pragma once

#include "data/Backup.h"

#include <QString>

namespace kvitanky {

// Copies programDir/fileName to Data/<name><stamp>.<suffix> and returns the copy's
// path. Throws BackupError "Zálohu souboru <fileName> nelze uložit: <reason>" followed
// by `nothingDone` when the copy cannot be made.
QString backupBeforeRemoval(const QString &programDir, const QString &fileName, const QString &nothingDone,
                            const BackupMaker::Clock &clock = {});

} // namespace kvitanky
