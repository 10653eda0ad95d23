// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfFuzzEntry.h"

#include "data/DbfTable.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace kvitanky {

namespace {

void readEverything(DbfTable &table)
{
    const int columns = table.fieldCount();
    for (int row = 0; row < qMin(table.recordCount(), 2000); ++row)
        for (int c = 0; c < columns; ++c)
            (void)table.displayText(row, c);
    int steps = 0;
    for (table.first(); !table.eof() && steps < 2000; table.next(), ++steps) {
        for (const FieldDef &f : table.fields()) {
            DbfField field = table.fieldByName(f.name);
            (void)field.asString();
            try {
                (void)field.asFloat();
                (void)field.asInteger();
            } catch (const DbfError &) {
            }
        }
    }
    for (table.last(); !table.bof() && steps < 4000; table.prior(), ++steps) {
    }
}

void changeSomething(DbfTable &table)
{
    const QList<FieldDef> fields = table.fields();
    table.append();
    for (const FieldDef &f : fields) {
        DbfField field = table.fieldByName(f.name);
        for (const char *text : {"12,5", "Žluťoučký kůň", "", "T", "2024-02-29"}) {
            try {
                field.setAsString(QString::fromUtf8(text));
            } catch (const DbfError &) {
            }
        }
        try {
            field.setAsFloat(-1234.25);
        } catch (const DbfError &) {
        }
    }
    table.post();
    table.first();
    table.edit();
    if (!fields.isEmpty()) {
        try {
            table.fieldByName(fields.first().name).setAsInteger(7);
        } catch (const DbfError &) {
        }
    }
    table.post();
    if (table.recordCount() > 1) {
        table.deleteRecord();
        table.pack();
    }
}

[[noreturn]] void fault(const char *what)
{
    std::fprintf(stderr, "fuzzDbfInput: %s\n", what);
    std::abort();
}

} // namespace

int fuzzDbfInput(const uint8_t *data, size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("kvitanky-fuzz-%1.dbf").arg(qint64(::getpid())));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fault("cannot write the temporary file");
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    int opened = 0;
    {
        DbfTable table;
        table.setTableName(path);
        try {
            table.setActive(true);
            opened = 1;
        } catch (const DbfError &) {
        }
        if (opened) {
            readEverything(table);
            try {
                changeSomething(table);
            } catch (const DbfError &) {
                // e.g. a column too narrow for the value: refused, nothing written
            }
            table.setActive(false);
            // A file that opened must still open after the engine's own changes.
            try {
                table.setActive(true);
            } catch (const DbfError &e) {
                std::fprintf(stderr, "%s\n", e.what());
                fault("the file no longer opens after writing to it");
            }
            readEverything(table);
        }
    }
    QFile::remove(path);
    return opened;
}

} // namespace kvitanky
