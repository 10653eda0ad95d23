// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kvitanky {
namespace {

bool writableFolder(const QString &dir)
{
    // Asking the file system is the only honest test (ACLs, read-only mounts).
    QFile probe(QDir(dir).filePath(QStringLiteral(".kvitanky-write-test")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString cleanDir(const QString &dir)
{
    QString d = QDir::cleanPath(QDir(dir).absolutePath());
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

} // namespace

ProgramFolder ProgramFolder::locate(const QString &dataDir, const QString &pictureDir)
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    ProgramFolder f;
    if (!dataDir.isEmpty()) {
        f.dataDir = cleanDir(dataDir);
    } else if (writableFolder(exeDir)) {
        f.dataDir = cleanDir(exeDir);
    } else {
        const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(user);
        f.dataDir = cleanDir(user);
    }
    if (!pictureDir.isEmpty()) {
        f.pictureDir = cleanDir(pictureDir);
        return f;
    }
    const QStringList candidates = {
        f.dataDir,
        exeDir,
        QDir(exeDir).filePath(QStringLiteral("../share/kvitanky")),
        QStringLiteral(KVITANKY_DATADIR),
    };
    for (const QString &c : candidates) {
        if (QFileInfo::exists(QDir(c).filePath(QStringLiteral("IMAGE.bmp")))) {
            f.pictureDir = cleanDir(c);
            return f;
        }
    }
    f.pictureDir = f.dataDir;
    return f;
}

} // namespace kvitanky
