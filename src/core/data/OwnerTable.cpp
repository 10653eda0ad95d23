// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/OwnerTable.h"

#include "data/OwnerColumns.h"
#include "data/TableCreation.h"

#include <QDir>

namespace kvitanky {

QList<FieldDef> ownerFields()
{
    QList<FieldDef> fields;
    for (const TableColumnDef &c : ownerColumns())
        fields << c.field();
    return fields;
}

QString ownerTablePath(const QString &programDir)
{
    return QDir(programDir).filePath(QString::fromLatin1(kOwnerFileName));
}

void CreateOwnerTable(DbfTable &table, const QString &programDir)
{
    createProgramTable(table, ownerTablePath(programDir), ownerFields());
}

namespace {

// Address1..3, Num1, Num2, IDB, ConstS (UTF-8 here, Windows-1250 in the file).
const char *const kSamples[4][OwnerColumnCount] = {
    {"STÁTNÍ SPRÁVA CR", "U Veselícka 123", "378 81", "123456", "0123456789", "0000", "0000"},
    {"Národní Pokladnice, s. r. o.", "Karolínka 9999", "75605 Valašsko", "888888", "1501511520", "0666", "0777"},
    {"Muzeum RVHP", "Peterburgská 928", "Praha 99", "000000", "1111111111", "1111", "9999"},
    {"Všeobecná pomoc EU", "V zahrádkách 111", "763 12 Ublo", "111111", "1234567890", "2222", "3333"},
};

} // namespace

void AddSampleOwners(DbfTable &table)
{
    const QList<FieldDef> columns = ownerFields();
    for (const auto &row : kSamples) {
        table.append();
        for (int i = 0; i < columns.size(); ++i)
            table.fieldByName(columns[i].name).setAsString(QString::fromUtf8(row[i]));
    }
    table.post();
    table.first();
}

} // namespace kvitanky
