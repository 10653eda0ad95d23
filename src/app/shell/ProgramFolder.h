// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files: the executable's folder, or the per-user
// data folder when that one is not writable (a system-wide install); and where it
// finds its pictures.
#pragma once

#include <QString>

namespace kvitanky {

struct ProgramFolder {
    QString dataDir;      // settings, tables, backups; no trailing separator
    QString pictureDir;   // IMAGE.bmp, IMAGEclean.bmp, CALIBRAT5x5.bmp

    // Empty arguments: found from the executable's own path.
    static ProgramFolder locate(const QString &dataDir = {}, const QString &pictureDir = {});
};

} // namespace kvitanky
