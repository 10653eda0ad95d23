// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace kvitanky {
namespace {

// Empty when the folder can be written, else the system's reason. Asking the file
// system is the only honest test (ACLs, read-only mounts); the probe gets a name of
// its own and is never opened through a link someone left in the folder.
QString whyNotWritable(const QString &dir)
{
    QByteArray probe = QFile::encodeName(QDir(dir).filePath(QStringLiteral(".kvitanky-write-test-XXXXXX")));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.constData());
    return {};
}

// The program's data files; a folder holding any of them is the office's data.
bool holdsData(const QString &dir)
{
    for (const char *name : {"Data.dbf", "Owners.dbf", "Kvitanky.ini"}) {
        if (QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(name))))
            return true;
    }
    return false;
}

QString cleanDir(const QString &dir)
{
    QString d = QDir::cleanPath(QDir(dir).absolutePath());
    while (d.size() > 1 && d.endsWith(QLatin1Char('/')))
        d.chop(1);
    return d;
}

} // namespace

ProgramFolder ProgramFolder::locate(const QString &dataDir, const QString &pictureDir, const QString &executableDir)
{
    const QString exeDir = executableDir.isEmpty() ? QCoreApplication::applicationDirPath() : executableDir;
    ProgramFolder f;
    f.dataDir = cleanDir(dataDir.isEmpty() ? exeDir : dataDir);
    const QString why = whyNotWritable(f.dataDir);
    if (!why.isEmpty() && holdsData(f.dataDir)) {
        f.readOnlyReason = why;
    } else if (!why.isEmpty() && dataDir.isEmpty()) {
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

QString ProgramFolder::readOnlyNote() const
{
    if (readOnlyReason.isEmpty())
        return {};
    return QStringLiteral("Do složky '%1' nelze zapisovat (%2). Data v ní jsou otevřena jen pro čtení: "
                          "lze je prohlížet a tisknout, změny ale nepůjde uložit.")
        .arg(QDir::toNativeSeparators(dataDir), readOnlyReason);
}

QString ProgramFolder::description() const
{
    QString text = QStringLiteral("Data programu: %1").arg(QDir::toNativeSeparators(dataDir));
    if (!readOnlyReason.isEmpty())
        text += QStringLiteral(" (jen pro čtení)");
    return text;
}

} // namespace kvitanky
