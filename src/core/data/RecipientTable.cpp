// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RecipientTable.h"

#include "data/TableCreation.h"

#include <QDir>

namespace kvitanky {

QList<FieldDef> recipientFields()
{
    return {
        {QStringLiteral("TITUL"), FieldType::String, 10},
        {QStringLiteral("JMENO"), FieldType::String, 30},
        {QStringLiteral("PRIJMENI"), FieldType::String, 30},
        {QStringLiteral("ULICE"), FieldType::String, 30},
        {QStringLiteral("OBEC"), FieldType::String, 30},
        {QStringLiteral("PSC"), FieldType::String, 10},
        {QStringLiteral("CASTKA"), FieldType::Float, 0},
        {QStringLiteral("VAR_SYMB"), FieldType::String, 12},
        {QStringLiteral("SPEC_SYMB"), FieldType::String, 12},
        {QStringLiteral("TELEFON"), FieldType::String, 20},
        {QStringLiteral("EMAIL"), FieldType::String, 40},
        {QStringLiteral("VYRAZENO"), FieldType::Smallint, 0},
    };
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
        table.fieldByName(QStringLiteral("TITUL")).setAsString(QString::fromUtf8(s.title));
        table.fieldByName(QStringLiteral("JMENO")).setAsString(QString::fromUtf8(s.firstName));
        table.fieldByName(QStringLiteral("PRIJMENI")).setAsString(QString::fromUtf8(s.surname));
        table.fieldByName(QStringLiteral("ULICE")).setAsString(QString::fromUtf8(s.street));
        table.fieldByName(QStringLiteral("OBEC")).setAsString(QString::fromUtf8(s.town));
        table.fieldByName(QStringLiteral("PSC")).setAsString(QString::fromUtf8(s.postCode));
        table.fieldByName(QStringLiteral("CASTKA")).setAsFloat(s.amount);
        table.fieldByName(QStringLiteral("VAR_SYMB")).setAsString(QString::fromUtf8(s.varSymbol));
        table.fieldByName(QStringLiteral("SPEC_SYMB")).setAsString(QString::fromUtf8(s.specSymbol));
        table.fieldByName(QStringLiteral("TELEFON")).setAsString(QString::fromUtf8(s.phone));
        table.fieldByName(QStringLiteral("EMAIL")).setAsString(QString::fromUtf8(s.email));
        table.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(s.excluded);
    }
    table.post();
    table.first();
}

} // namespace kvitanky
