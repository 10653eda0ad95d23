// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "data/DbfTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace testsupport {

TempDir::TempDir()
{
    if (!m_dir.isValid())
        ADD_FAILURE() << "cannot create a temporary folder";
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray runProgram(const QString &program, const QStringList &args, int *exitCode,
                      QByteArray *stdErr, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        if (exitCode)
            *exitCode = -1;
        return {};
    }
    p.closeWriteChannel();
    p.waitForFinished(timeoutMs);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (stdErr)
        *stdErr = p.readAllStandardError();
    return p.readAllStandardOutput();
}

bool havePythonModule(const QString &module)
{
    int code = -1;
    runProgram(debianPython(), {"-c", "import " + module}, &code);
    return code == 0;
}

bool haveProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

const char *const RecipientTextColumns[10] = {"TITUL", "JMENO", "PRIJMENI", "ULICE", "OBEC", "PSC",
                                              "VAR_SYMB", "SPEC_SYMB", "TELEFON", "EMAIL"};

void appendRecipient(kvitanky::DbfTable &t, const RecipientRow &r)
{
    t.append();
    for (int i = 0; i < 10; ++i)
        t.fieldByName(QLatin1String(RecipientTextColumns[i])).setAsString(QString::fromUtf8(r.texts[size_t(i)]));
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(r.amount);
    if (r.excluded >= 0)
        t.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(r.excluded);
    t.post();
}

void copyPictures(const QString &toDir)
{
    for (const char *name : {"IMAGE.bmp", "IMAGEclean.bmp", "CALIBRAT5x5.bmp"}) {
        const QString dst = QDir(toDir).filePath(name);
        QFile::remove(dst);
        if (!QFile::copy(QDir(binDir()).filePath(name), dst))
            ADD_FAILURE() << "cannot copy picture " << name;
    }
}

} // namespace testsupport
