// SPDX-License-Identifier: GPL-3.0-or-later
// The header of a dBase table file: columns, sizes, code page. Parsed from what other
// programs write (dBase III/IV, FoxPro, Visual FoxPro) and built for new files.
#pragma once

#include "data/DbfTable.h"
#include "text/Codepage.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kvitanky {

struct DbfColumn {
    QString name;
    char type = 'C';       // the letter stored in the file
    int offset = 0;        // from the start of the record (the deletion flag is byte 0)
    int length = 0;
    int decimals = 0;
    FieldType apiType = FieldType::String;
    quint8 flags = 0;      // Visual FoxPro: 0x02 the column may hold null
};

struct DbfLayout {
    QByteArray header;      // every header byte as stored, rewritten as is by pack()
    quint8 version = 0x03;
    quint8 languageDriver = 0;
    Codepage codepage = Codepage::Cp1250;
    quint32 headerCount = 0;   // record count the header claims
    int headerLength = 0;
    int recordLength = 0;
    QList<DbfColumn> columns;
    // A layout this engine cannot keep whole when it writes (columns that do not
    // fill the record exactly, a type or size it does not write): the file is shown
    // but never written. `strangeColumn` names the column ("" when there is none).
    bool writable = true;
    QString strangeColumn;
};

namespace dbflayout {

// Bytes of the header area must hold at least the 32-byte prologue; the rest is
// read as needed. fileSize is the whole file's size. Throws DbfError naming `path`.
DbfLayout parse(const QByteArray &header, qint64 fileSize, const QString &path);

// "Tabulka '<file>' má sloupec 'X', kterému program nerozumí; otevřena jen pro čtení."
QString notUnderstoodText(const QString &path, const QString &column);

// The header of a new, empty FoxPro 2.x / dBase III table (version 0x03, Windows-1250).
DbfLayout create(const QList<FieldDef> &fields, const QString &path);

Codepage codepageForLanguageDriver(quint8 ldid);

// Writes the date of last change and the record count into header bytes 1..7.
void stampHeader(QByteArray &header, quint32 count);

// The on-disk shape of the program's column types.
constexpr int kFloatWidth = 20;
constexpr int kFloatDecimals = 4;
constexpr int kSmallintWidth = 6;

} // namespace dbflayout

} // namespace kvitanky

namespace kvitanky {
// Every engine error: "Tabulka '<file>': <reason>".
[[noreturn]] void throwDbfError(const QString &path, const QString &reason);
} // namespace kvitanky
