// SPDX-License-Identifier: GPL-3.0-or-later
// The check before a job of all slips over a large table: every row judged, the
// first faulty rows kept. Goal: well under a second for 100 000 rows.
//
//   bench_preflight [rows]
#include "BenchTable.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "print/SlipPreflight.h"
#include "settings/SettingsAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace kvitanky;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    DbfTable table;
    CreateRecipientTable(table, dir.path());
    {
        for (int i = 0; i < rows; ++i) {
            table.append();
            table.fieldByName("JMENO").setAsString(QStringLiteral("Jan%1").arg(i));
            table.fieldByName("PRIJMENI").setAsString(QString::fromUtf8("Nováček"));
            table.fieldByName("ULICE").setAsString(QStringLiteral("Dlouhá %1").arg(i));
            table.fieldByName("OBEC").setAsString(QString::fromUtf8("Nové Hobzí"));
            table.fieldByName("PSC").setAsString("378 81");
            // Every 97th row voids its slip, every 89th has a symbol with a letter,
            // every 50th repeats the symbol of the row before.
            table.fieldByName("CASTKA").setAsFloat(i % 97 == 0 ? -1.0 : 100 + (i % 5000) * 7.25);
            table.fieldByName("VAR_SYMB").setAsString(i % 89 == 0 ? QStringLiteral("12a")
                                                      : QString::number(100000 + i - (i % 50 == 1 ? 1 : 0)));
            table.fieldByName("VYRAZENO").setAsInteger(i % 10 == 9 ? 1 : 0);
        }
        table.post();
    }
    MapSettings settings;

    QElapsedTimer t;
    t.start();
    SlipPreflight preflight(settings);
    preflight.run(table, 0, rows);
    const double seconds = t.nsecsElapsed() / 1e9;
    std::printf("Preflight: %d rows, %d slips, %d faulty (void amounts %d, symbols %d), %zu groups alike, %.3f s\n",
                rows, preflight.slips(), preflight.faultySlips(), preflight.count(SlipFault::VoidAmount),
                preflight.count(SlipFault::Symbol), preflight.duplicates().size(), seconds);
    bench::tableLine("preflight of all slips", rows, seconds);
    return 0;
}
