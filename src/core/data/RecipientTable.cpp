// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RecipientTable.h"

#include "data/RecipientColumns.h"
#include "data/TableCreation.h"

#include <QDir>

namespace kvitanky {

QList<FieldDef> recipientFields()
{
    QList<FieldDef> fields;
    for (const TableColumnDef &c : recipientColumns())
        fields << c.field();
    return fields;
}

QString recipientTablePath(const QString &programDir)
{
    return QDir(programDir).filePath(QString::fromLatin1(kRecipientFileName));
}

void CreateRecipientTable(DbfTable &table, const QString &programDir)
{
    createProgramTable(table, recipientTablePath(programDir), recipientFields());
}

namespace {

struct SampleRecipient {
    const char *title, *firstName, *surname, *street, *town, *postCode;
    double amount;
    const char *varSymbol, *specSymbol, *phone, *email;
    int excluded;
};

// Texts are UTF-8 here; the table stores them in Windows-1250.
const SampleRecipient kSamples[] = {
    {"Pan", "Jan", "Novák", "c.p. 7100", "Nové Hobzí", "378 81", 123456, "7100", "0",
     "+420 777 999 999", "jan.novak@example.cz", 0},
    {"Paní", "Marie", "Svobodová", "c.p. 2011", "Nové Hobzí u Veselícka", "378 81", 30, "2011",
     "123456789", "+420 999 999 999", "marie.svobodova@example.cz", 0},
    {"MUDr.", "Petr", "Dvořák", "Velká Lhota 2014", "Velká Lhota", "999 99", 999999.5, "999999999",
     "999999999", "123 456 789", "petr.dvorak@example.cz", 0},
    {"Expert", "Zdeněk", "Černý", "U Skalky 123", "Extra-velká Lhota", "123 222222", 12345000,
     "1234567890", "0123456789", "+420 123 123 456 111", "zdenek.cerny@example.cz", 1},
};

} // namespace

void AddSampleRecipients(DbfTable &table)
{
    for (const SampleRecipient &s : kSamples) {
        table.append();
        fieldOf(table, RecipientColumn::Title).setAsString(QString::fromUtf8(s.title));
        fieldOf(table, RecipientColumn::FirstName).setAsString(QString::fromUtf8(s.firstName));
        fieldOf(table, RecipientColumn::Surname).setAsString(QString::fromUtf8(s.surname));
        fieldOf(table, RecipientColumn::Street).setAsString(QString::fromUtf8(s.street));
        fieldOf(table, RecipientColumn::City).setAsString(QString::fromUtf8(s.town));
        fieldOf(table, RecipientColumn::PostCode).setAsString(QString::fromUtf8(s.postCode));
        fieldOf(table, RecipientColumn::Amount).setAsFloat(s.amount);
        fieldOf(table, RecipientColumn::VarSymbol).setAsString(QString::fromUtf8(s.varSymbol));
        fieldOf(table, RecipientColumn::SpecSymbol).setAsString(QString::fromUtf8(s.specSymbol));
        fieldOf(table, RecipientColumn::Phone).setAsString(QString::fromUtf8(s.phone));
        fieldOf(table, RecipientColumn::Email).setAsString(QString::fromUtf8(s.email));
        fieldOf(table, RecipientColumn::Excluded).setAsInteger(s.excluded);
    }
    table.post();
    table.first();
}

} // namespace kvitanky
