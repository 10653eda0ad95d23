// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpreadsheetApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace kvitanky {

namespace {

constexpr int XdgMimeTimeoutMs = 3000;

// A desktop file id ("libreoffice-calc.desktop") found in one of the data folders;
// a "-" in the id may also stand for a subfolder ("kde4-x.desktop" in kde4/).
bool desktopFileExists(const QString &id, const QStringList &dataDirs)
{
    if (id.isEmpty() || !id.endsWith(QLatin1String(".desktop")))
        return false;
    for (const QString &dir : dataDirs) {
        const QDir apps(QDir(dir).filePath(QStringLiteral("applications")));
        if (QFileInfo::exists(apps.filePath(id)))
            return true;
        const qsizetype dash = id.indexOf(QLatin1Char('-'));
        if (dash > 0 && QFileInfo::exists(apps.filePath(id.left(dash) + QLatin1Char('/') + id.mid(dash + 1))))
            return true;
    }
    return false;
}

// The desktop ids an association file lists for the workbook type, in any section
// but "[Removed Associations]".
QStringList listedIds(const QString &path)
{
    QFile file(path);
    QStringList ids;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ids;
    bool removed = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            removed = line == QLatin1String("[Removed Associations]");
            continue;
        }
        if (removed)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.left(eq).trimmed() != XlsxMimeType)
            continue;
        for (const QString &id : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            ids.append(id.trimmed());
    }
    return ids;
}

QStringList dataDirs()
{
    return QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}

} // namespace

bool spreadsheetAppListed(const QStringList &configDirs, const QStringList &dirs)
{
    QStringList files;
    for (const QString &dir : configDirs)
        files.append(QDir(dir).filePath(QStringLiteral("mimeapps.list")));
    for (const QString &dir : dirs) {
        files.append(QDir(dir).filePath(QStringLiteral("applications/mimeapps.list")));
        files.append(QDir(dir).filePath(QStringLiteral("applications/mimeinfo.cache")));
    }
    for (const QString &file : files) {
        for (const QString &id : listedIds(file)) {
            if (desktopFileExists(id, dirs))
                return true;
        }
    }
    return false;
}

bool spreadsheetAppAvailable()
{
    const QStringList dirs = dataDirs();
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), XlsxMimeType});
        if (query.waitForFinished(XdgMimeTimeoutMs) && query.exitStatus() == QProcess::NormalExit) {
            const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
            if (desktopFileExists(id, dirs))
                return true;
        } else {
            query.kill();
            query.waitForFinished(XdgMimeTimeoutMs);
        }
    }
    return spreadsheetAppListed(QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation), dirs);
}

} // namespace kvitanky
