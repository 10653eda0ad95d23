// SPDX-License-Identifier: GPL-3.0-or-later
// One running program per program folder: the tables, the settings file and the
// backups are written by one program at a time. A lock file beside them names the
// program that holds them; a lock left by a program that was killed is taken over.
#pragma once

#include <QString>

#include <memory>
#include <stdexcept>

class QLockFile;

namespace kvitanky {

// Another running program holds the folder; the text says which, in Czech.
class FolderInUseError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class FolderLock
{
public:
    static constexpr const char *FileName = ".Kvitanky.lock";

    explicit FolderLock(const QString &dir);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Takes the folder. Throws FolderInUseError while another running program holds
    // it. False when no lock file can be made (a folder that cannot be written, where
    // no program can change anything either): the program goes on without the lock.
    bool acquire();

    QString path() const { return m_path; }

private:
    QString m_dir;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kvitanky
