// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace testsupport {

unsigned randomSeed(const char *test)
{
    // A seed above INT_MAX repeats too.
    const unsigned seed = qEnvironmentVariableIsSet("KVITANKY_SEED") ? qEnvironmentVariable("KVITANKY_SEED").toUInt()
                                                                    : unsigned(QDateTime::currentMSecsSinceEpoch());
    if (test) {
        std::printf("%s seed %u\n", test, seed);
    } else {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::printf("%s.%s seed %u\n", info ? info->test_suite_name() : "?", info ? info->name() : "?", seed);
    }
    return seed;
}

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

void writeSampleRecipients(const QString &programDir)
{
    kvitanky::DbfTable t;
    kvitanky::CreateRecipientTable(t, programDir);
    kvitanky::AddSampleRecipients(t);
    t.setActive(false);
}

void patchDbfField(const QString &path, int row, const char *column, const QByteArray &bytes)
{
    QByteArray file = readFile(path);
    const int headerLength = quint8(file[8]) | quint8(file[9]) << 8;
    const int recordLength = quint8(file[10]) | quint8(file[11]) << 8;
    int offset = 1;
    for (int at = 32; at < file.size() && file[at] != '\r'; at += 32) {
        const int width = quint8(file[at + 16]);
        if (qstrcmp(file.constData() + at, column) == 0) {
            file.replace(headerLength + row * recordLength + offset, width, bytes.leftJustified(width, ' ', true));
            writeFile(path, file);
            return;
        }
        offset += width;
    }
    ADD_FAILURE() << "no column " << column << " in " << path.toStdString();
}

int pdfPages(const QString &pdf)
{
    int code = -1;
    const QString info = QString::fromUtf8(runProgram(QStringLiteral("pdfinfo"), {pdf}, &code));
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QList<PdfPathBox> pdfPathBoxes(const QString &pdf, double *pageWidth)
{
    int code = -1;
    const QString svg = QString::fromUtf8(runProgram(QStringLiteral("pdftocairo"), {"-svg", pdf, "-"}, &code));
    if (code != 0)
        return {};
    if (pageWidth) {
        const QRegularExpression widthRe(R"(<svg[^>]*width="([0-9.]+)(pt)?")");
        const auto wm = widthRe.match(svg);
        if (wm.hasMatch())
            *pageWidth = wm.captured(1).toDouble();
    }
    // <path ... d="M x y L x y ..." [transform="matrix(a,b,c,d,e,f)"]/>
    const QRegularExpression pathRe(R"re(<path([^>]*)\sd="([^"]+)"([^>]*)>)re");
    const QRegularExpression matrixRe(R"re(transform="matrix\(([^)]+)\)")re");
    const QRegularExpression numRe(R"([-0-9.]+)");
    QList<PdfPathBox> boxes;
    auto it = pathRe.globalMatch(svg);
    while (it.hasNext()) {
        const auto m = it.next();
        QList<double> n;
        auto nit = numRe.globalMatch(m.captured(2));
        while (nit.hasNext())
            n << nit.next().captured(0).toDouble();
        QList<double> t{1, 0, 0, 1, 0, 0};
        const auto mm = matrixRe.match(m.captured(1) + m.captured(3));
        if (mm.hasMatch()) {
            t.clear();
            for (const QString &s : mm.captured(1).split(',', Qt::SkipEmptyParts))
                t << s.trimmed().toDouble();
        }
        if (n.size() < 2 || t.size() != 6)
            continue;
        PdfPathBox b{1e9, 1e9, -1e9, -1e9, int(n.size())};
        for (int i = 0; i + 1 < n.size(); i += 2) {
            const double x = t[0] * n[i] + t[2] * n[i + 1] + t[4];
            const double y = t[1] * n[i] + t[3] * n[i + 1] + t[5];
            b.minX = std::min(b.minX, x);
            b.maxX = std::max(b.maxX, x);
            b.minY = std::min(b.minY, y);
            b.maxY = std::max(b.maxY, y);
        }
        boxes << b;
    }
    return boxes;
}

} // namespace testsupport
