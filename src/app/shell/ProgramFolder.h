// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files: the executable's folder, or the per-user
// data folder when that one is not writable (a system-wide install) and holds no
// data; and where it finds its pictures.
#pragma once

#include <QString>

namespace kvitanky {

struct ProgramFolder {
    QString dataDir;      // settings, tables, backups; no trailing separator
    QString pictureDir;   // IMAGE.bmp, IMAGEclean.bmp, CALIBRAT5x5.bmp
    // Why the data folder cannot be written when it holds data (they are then only
    // shown); empty when it can be written or holds nothing yet.
    QString readOnlyReason;

    // Empty arguments: found from the executable's own folder (`executableDir`, empty:
    // the running executable's). A program folder that holds data keeps them, also
    // when it cannot be written.
    static ProgramFolder locate(const QString &dataDir = {}, const QString &pictureDir = {},
                                const QString &executableDir = {});

    // The note shown once at start-up for data that can only be read; empty otherwise.
    QString readOnlyNote() const;
    // Where the data are, for the information page.
    QString description() const;
};

} // namespace kvitanky
