// SPDX-License-Identifier: GPL-3.0-or-later
// Time-stamped backup copies of the recipient table and the settings file in the
// "Data" folder of the program folder.
//
// A copy is made into a working file beside the source, checked to be whole, then
// moved to its stamped name. When that name is taken (two saves within one second)
// the copy gets the next free name (stamp + "_2", "_3", ...), so no backup is lost
// and no working file is left behind. A table's memo file (.fpt, .dbt) goes along
// under the same stamp; copies keep the source's permissions. Nothing is written
// through a link found in either folder: a working name is made anew, a stamped
// name that exists in any form (a dangling link too) counts as taken.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <stdexcept>

namespace kvitanky {

class BackupError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The local date and time as 14 digits: year, month, day, hour, minute, second.
QString BackupStamp(const QDateTime &when);

// Copies a whole file in one read and one write. The destination is a new file
// (what stood under its name, a link included, is removed, never followed) with
// the source's permissions, checked to hold exactly the source's bytes count; on
// failure it is removed and the reason (naming the file) goes to *reason.
bool CopyFileWhole(const QString &source, const QString &destination, QString *reason = nullptr);

struct BackupResult {
    bool saved = false;
    QString path;     // the backup file when saved
    QString reason;   // why not, naming the file
};

class BackupMaker
{
public:
    using Clock = std::function<QDateTime()>;

    explicit BackupMaker(const QString &programDir, Clock clock = {});

    QString backupDir() const;   // programDir + "/Data"

    // Creates the backup folder when missing; BackupError "Cannot create <path> directory."
    void ensureBackupDir() const;

    // Copies programDir/fileName through programDir/workingName to
    // Data/<prefix><stamp>[_n]<suffix>. The working file never outlives the call.
    BackupResult backup(const QString &fileName, const QString &workingName, const QString &prefix,
                        const QString &suffix) const;

private:
    QString m_programDir;
    Clock m_clock;
};

} // namespace kvitanky
