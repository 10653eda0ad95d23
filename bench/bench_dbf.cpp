// SPDX-License-Identifier: GPL-3.0-or-later
// The table engine at 100,000 recipients: appending with a post each, scanning,
// random access, deleting; against ogr2ogr writing the same rows in bulk and dbfread
// reading them.
#include "BenchTable.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

using namespace kvitanky;

namespace {

int kRows = 100000; // the first argument sets it (a quick run of the test command uses a few hundred)

struct Row {
    QString title, firstName, surname, street, town, postCode;
    double amount;
    QString varSymbol, specSymbol, phone, email;
    int excluded;
};

Row rowFor(int i)
{
    return {i % 2 ? QStringLiteral("Paní") : QStringLiteral("Pan"),
            QStringLiteral("Jméno%1").arg(i),
            QStringLiteral("Příjmení%1").arg(i),
            QStringLiteral("Ulice %1").arg(i % 977),
            QStringLiteral("Nové Hobzí %1").arg(i % 101),
            QStringLiteral("378 81"),
            i + 0.5,
            QString::number(1000000 + i),
            QStringLiteral("0"),
            QStringLiteral("+420 777 %1").arg(i % 1000000, 6, 10, QLatin1Char('0')),
            QStringLiteral("u%1@example.cz").arg(i),
            i % 7 == 0};
}

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

double runTimed(const QString &program, const QStringList &args, bool *ok)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    *ok = p.waitForStarted(10000) && p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit
        && p.exitCode() == 0;
    if (!*ok)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
    return ms(t);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        kRows = std::max(1, std::atoi(argv[1]));
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath(QStringLiteral("Data.dbf"));
    const QList<FieldDef> columns = recipientFields();
    std::printf("rows: %d\n", kRows);

    double appendMs = 0, scanMs = 0, openMs = 0;
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kRows; ++i) {
            const Row r = rowFor(i);
            t.append();
            t.fieldByName(QStringLiteral("TITUL")).setAsString(r.title);
            t.fieldByName(QStringLiteral("JMENO")).setAsString(r.firstName);
            t.fieldByName(QStringLiteral("PRIJMENI")).setAsString(r.surname);
            t.fieldByName(QStringLiteral("ULICE")).setAsString(r.street);
            t.fieldByName(QStringLiteral("OBEC")).setAsString(r.town);
            t.fieldByName(QStringLiteral("PSC")).setAsString(r.postCode);
            t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(r.amount);
            t.fieldByName(QStringLiteral("VAR_SYMB")).setAsString(r.varSymbol);
            t.fieldByName(QStringLiteral("SPEC_SYMB")).setAsString(r.specSymbol);
            t.fieldByName(QStringLiteral("TELEFON")).setAsString(r.phone);
            t.fieldByName(QStringLiteral("EMAIL")).setAsString(r.email);
            t.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(r.excluded);
            t.post();
        }
        appendMs = ms(timer);
        std::printf("append + post each:      %9.1f ms  (%.2f us/row), file %lld bytes\n", appendMs,
                    appendMs * 1000 / kRows, qint64(QFileInfo(path).size()));
    }

    DbfTable t;
    t.setTableName(path);
    {
        QElapsedTimer timer;
        timer.start();
        t.setActive(true);
        openMs = ms(timer);
        std::printf("open (one pass over the flags): %6.1f ms\n", openMs);
    }
    {
        QElapsedTimer timer;
        timer.start();
        qint64 chars = 0;
        double sum = 0;
        QList<DbfField> fields;
        for (const FieldDef &f : columns)
            fields.append(t.fieldByName(f.name));
        for (t.first(); !t.eof(); t.next()) {
            for (const DbfField &f : std::as_const(fields))
                chars += f.asString().size();
            sum += fields[6].asFloat();
        }
        scanMs = ms(timer);
        std::printf("scan, every column read: %9.1f ms  (%.2f us/row; %lld chars, sum %.1f)\n", scanMs,
                    scanMs * 1000 / kRows, chars, sum);
    }
    {
        QElapsedTimer timer;
        timer.start();
        t.moveTo(kRows - 1);
        const QString name = t.fieldByName(QStringLiteral("JMENO")).asString();
        const double amount = t.fieldByName(QStringLiteral("CASTKA")).asFloat();
        std::printf("row 99,999 (move + read): %8.3f ms  (%s, %.1f)\n", ms(timer), qPrintable(name), amount);

        QRandomGenerator rng(42);
        timer.restart();
        qint64 chars = 0;
        for (int i = 0; i < 10000; ++i)
            chars += t.displayText(int(rng.bounded(kRows)), 2).size();
        std::printf("grid cells at random rows: %7.2f us/cell\n", ms(timer) * 1000 / 10000);

        timer.restart();
        t.moveTo(kRows / 2);
        t.edit();
        t.fieldByName(QStringLiteral("PRIJMENI")).setAsString(QStringLiteral("Dvořák"));
        t.post();
        std::printf("edit + post in the middle: %7.3f ms\n", ms(timer));

        timer.restart();
        const int deletions = std::min(1000, kRows / 2);
        for (int i = 0; i < deletions; ++i) {
            t.moveTo(t.recordCount() / 3);
            t.deleteRecord();
        }
        std::printf("delete %d rows one by one: %6.1f ms  (%.1f us/row)\n", deletions, ms(timer),
                    ms(timer) * 1000 / std::max(deletions, 1));
    }

    // dbfread over the same file (before deleteAll), and Python's start alone.
    const QString python = QStringLiteral("/usr/bin/python3");
    bool ok = false;
    double dbfreadMs = -1, pythonMs = -1;
    if (QFile::exists(python)) {
        pythonMs = runTimed(python, {QStringLiteral("-c"), QStringLiteral("import dbfread")}, &ok);
        dbfreadMs = runTimed(python,
                             {QStringLiteral("-c"),
                              QStringLiteral("import sys, dbfread\n"
                                             "n = 0\n"
                                             "for r in dbfread.DBF(sys.argv[1], load=False): n += len(r)\n"),
                              path},
                             &ok);
        if (ok)
            std::printf("dbfread reading them:    %9.1f ms  (python + import alone %.1f ms)\n", dbfreadMs, pythonMs);
        else
            dbfreadMs = -1;
    }

    {
        QElapsedTimer timer;
        timer.start();
        t.deleteAll();
        std::printf("delete all:              %9.1f ms  (%d rows left, file %lld bytes)\n", ms(timer), t.recordCount(),
                    qint64(QFileInfo(path).size()));
    }

    // ogr2ogr converting the same rows from CSV to a table file, in bulk.
    double ogrMs = -1;
    if (!QStandardPaths::findExecutable(QStringLiteral("ogr2ogr")).isEmpty()) {
        const QString csv = dir.filePath(QStringLiteral("rows.csv"));
        QFile f(csv);
        if (f.open(QIODevice::WriteOnly)) {
            QByteArray out;
            for (int i = 0; i < columns.size(); ++i)
                out += (i ? "," : "") + columns[i].name.toLatin1();
            out += '\n';
            for (int i = 0; i < kRows; ++i) {
                const Row r = rowFor(i);
                out += QStringList({r.title, r.firstName, r.surname, r.street, r.town, r.postCode,
                                    QString::number(r.amount, 'f', 1), r.varSymbol, r.specSymbol, r.phone, r.email,
                                    QString::number(r.excluded)})
                           .join(QLatin1Char(','))
                           .toUtf8();
                out += '\n';
            }
            f.write(out);
            f.close();
            ogrMs = runTimed(QStringLiteral("ogr2ogr"),
                             {QStringLiteral("-f"), QStringLiteral("ESRI Shapefile"), QStringLiteral("-oo"),
                              QStringLiteral("AUTODETECT_TYPE=YES"), QStringLiteral("-lco"),
                              QStringLiteral("ENCODING=CP1250"), dir.filePath(QStringLiteral("ogr.dbf")), csv},
                             &ok);
            if (ok)
                std::printf("ogr2ogr CSV -> dbf:      %9.1f ms\n", ogrMs);
            else
                ogrMs = -1;
        }
    }

    std::printf("\nratios (below 1 is faster than the peer):\n");
    if (ogrMs > 0)
        std::printf("  append with a post each / ogr2ogr bulk: %.2f\n", appendMs / ogrMs);
    if (dbfreadMs > 0) {
        std::printf("  scan / dbfread:                         %.3f\n", scanMs / dbfreadMs);
        std::printf("  scan / (dbfread - python start):        %.3f\n", scanMs / (dbfreadMs - pythonMs));
    }
    std::printf("peak memory of this process: %ld KiB\n", bench::peakKiB());
    bench::tableLine("dbf: append rows, post each (vs ogr2ogr)", kRows, appendMs / 1000,
                     ogrMs > 0 ? ogrMs / 1000 : -1);
    bench::tableLine("dbf: scan every column (vs dbfread)", kRows, scanMs / 1000,
                     dbfreadMs > 0 ? dbfreadMs / 1000 : -1);
    return 0;
}
