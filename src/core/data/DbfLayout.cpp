// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfLayout.h"

#include <QDate>
#include <QSet>

#include <cstring>

namespace kvitanky {

void throwDbfError(const QString &path, const QString &reason)
{
    throw DbfError(QStringLiteral("Tabulka '%1': %2").arg(path, reason).toStdString());
}

namespace dbflayout {

namespace {

quint16 u16(const QByteArray &b, int at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

quint32 u32(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

void put32(QByteArray &b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Version bytes of dBase III/IV, FoxBase+, FoxPro 2.x and Visual FoxPro files.
// dBase II (0x02) and dBase 7 (0x04, 0x8C) have other header layouts.
bool knownVersion(quint8 v)
{
    switch (v) {
    case 0x03: case 0x83: case 0x8B: case 0xCB: case 0x7B: case 0xE5: case 0xF5: case 0xFB:
    case 0x30: case 0x31: case 0x32: case 0x43: case 0x63: case 0xB3:
        return true;
    default:
        return false;
    }
}

bool knownType(char t)
{
    return t != '\0' && std::strchr("CNFLDIBYTMVGPQW0@+O", t) != nullptr;
}

QString typeText(char t)
{
    const auto u = quint8(t);
    return u >= 0x21 && u < 0x7F ? QString(QLatin1Char(t))
                                 : QString::asprintf("0x%02X", unsigned(u));
}

FieldType apiTypeOf(char type, int length, int decimals)
{
    switch (type) {
    case 'N':
    case 'F':
        return decimals == 0 && length <= kSmallintWidth ? FieldType::Smallint : FieldType::Float;
    case 'I':
    case 'Y':
        return FieldType::Float;
    case 'B':
        return length == 8 ? FieldType::Float : FieldType::String;
    default:
        return FieldType::String;
    }
}

// Clipper and Harbour keep a character column longer than 255 bytes with the
// length's high byte in the decimals byte. Read so where that, and only that,
// makes the columns fill the record.
bool longCharacterColumns(const QList<DbfColumn> &columns, int recordLength)
{
    int plain = 1, wide = 1;
    bool any = false;
    for (const DbfColumn &c : columns) {
        plain += c.length;
        wide += c.length + (c.type == 'C' ? 256 * c.decimals : 0);
        any = any || (c.type == 'C' && c.decimals > 0);
    }
    return any && plain != recordLength && wide == recordLength;
}

// Columns whose bytes this engine writes as their programs do, and leaves intact
// when it writes the others (memo references: empty in a new row, kept otherwise).
bool writableColumn(const DbfColumn &c, bool nullableColumns)
{
    switch (c.type) {
    case 'C':
        return true;
    case 'N':
    case 'F':
        return c.length <= 254 && (c.decimals == 0 || c.decimals < c.length);
    case 'L':
        return c.length == 1;
    case 'D':
        return c.length == 8;
    case 'I':
        return c.length == 4;
    case 'Y':
    case 'T':
        return c.length == 8;
    case 'B':
        return c.length == 8 || c.length == 10;
    case 'M':
    case 'G':
    case 'P':
        return c.length == 4 || c.length == 10;
    case '0':   // Visual FoxPro's null flags: all clear is right while no column may hold null
        return !nullableColumns;
    default:    // V, Q and W keep their lengths in the null flags; +, @, O: counters, dBase 7
        return false;
    }
}

// Offsets of the columns, and whether this engine may write the file.
void placeColumns(DbfLayout &l)
{
    const bool wide = longCharacterColumns(l.columns, l.recordLength);
    bool nullable = false;
    for (const DbfColumn &c : std::as_const(l.columns))
        nullable = nullable || (c.flags & 0x02) != 0 || c.type == 'V' || c.type == 'Q';
    const auto refuse = [&l](const QString &column) {
        if (l.writable)
            l.strangeColumn = column;
        l.writable = false;
    };
    int offset = 1;   // after the deletion flag
    for (DbfColumn &c : l.columns) {
        if (wide && c.type == 'C') {
            c.length += 256 * c.decimals;
            c.decimals = 0;
        }
        if (!writableColumn(c, nullable))
            refuse(c.name);
        c.offset = offset;
        offset += c.length;
        c.apiType = apiTypeOf(c.type, c.length, c.decimals);
    }
    if (offset == l.recordLength)
        return;
    // The columns do not fill the record: which bytes hold what is a guess. The
    // columns are shown within the record, cut where it ends.
    QString strange;
    for (const DbfColumn &c : std::as_const(l.columns))
        if (strange.isEmpty() && c.type == 'C' && c.decimals > 0)
            strange = c.name;
    for (DbfColumn &c : l.columns) {
        if (strange.isEmpty() && c.offset + c.length > l.recordLength)
            strange = c.name;
        c.offset = qMin(c.offset, l.recordLength);
        c.length = qMin(c.length, l.recordLength - c.offset);
    }
    if (strange.isEmpty() && !l.columns.isEmpty())
        strange = l.columns.last().name;
    refuse(strange);
    l.writable = false;
}

} // namespace

QString notUnderstoodText(const QString &path, const QString &column)
{
    if (column.isEmpty())
        return QStringLiteral("Tabulka '%1' má sloupce, kterým program nerozumí; otevřena jen pro čtení.").arg(path);
    return QStringLiteral("Tabulka '%1' má sloupec '%2', kterému program nerozumí; otevřena jen pro čtení.")
        .arg(path, column);
}

Codepage codepageForLanguageDriver(quint8 ldid)
{
    switch (ldid) {
    case 0x64:
        return Codepage::Cp852;
    case 0x03:
        return Codepage::Cp1252;
    default:   // 0xC8 Windows EE, 0x57 "ANSI" (the Windows code page here), none or unknown
        return Codepage::Cp1250;
    }
}

DbfLayout parse(const QByteArray &header, qint64 fileSize, const QString &path)
{
    if (fileSize == 0)
        throwDbfError(path, QStringLiteral("soubor je prázdný (0 bajtů), nejde o tabulku dBase"));
    if (fileSize < 32 || header.size() < 32)
        throwDbfError(path, QStringLiteral("soubor je příliš krátký (%1 bajtů), nejde o tabulku dBase")
                                .arg(fileSize));
    DbfLayout l;
    l.version = quint8(header[0]);
    if (!knownVersion(l.version))
        throwDbfError(path, QStringLiteral("nejde o tabulku dBase ani FoxPro (neznámá verze %1)")
                                .arg(QString::asprintf("0x%02X", unsigned(l.version))));
    l.headerCount = u32(header, 4);
    l.headerLength = u16(header, 8);
    l.recordLength = u16(header, 10);
    l.languageDriver = quint8(header[29]);
    l.codepage = codepageForLanguageDriver(l.languageDriver);

    if (l.headerLength < 33)
        throwDbfError(path, QStringLiteral("poškozená hlavička (délka hlavičky %1 bajtů)").arg(l.headerLength));
    if (l.headerLength > fileSize || l.headerLength > header.size())
        throwDbfError(path, QStringLiteral("soubor je zkrácený: hlavička má mít %1 bajtů, soubor má jen %2")
                                .arg(l.headerLength).arg(fileSize));
    if (l.recordLength < 1)
        throwDbfError(path, QStringLiteral("poškozená hlavička (nulová délka záznamu)"));

    int at = 32;
    for (;;) {
        if (at >= l.headerLength)
            throwDbfError(path, QStringLiteral("poškozená hlavička (seznam sloupců nemá zakončení)"));
        if (quint8(header[at]) == 0x0D)
            break;
        if (at + 32 > l.headerLength)
            throwDbfError(path, QStringLiteral("poškozená hlavička (seznam sloupců nemá zakončení)"));
        DbfColumn c;
        QByteArray rawName = header.mid(at, 11);
        const int nul = rawName.indexOf('\0');
        if (nul >= 0)
            rawName.truncate(nul);
        c.name = decode(rawName, l.codepage).trimmed();
        c.type = header[at + 11];
        c.length = quint8(header[at + 16]);
        c.decimals = quint8(header[at + 17]);
        c.flags = quint8(header[at + 18]);
        if (!knownType(c.type))
            throwDbfError(path, QStringLiteral("sloupec '%1' má neznámý typ '%2'").arg(c.name, typeText(c.type)));
        if (c.length == 0)
            throwDbfError(path, QStringLiteral("sloupec '%1' má nulovou délku").arg(c.name));
        l.columns.append(c);
        at += 32;
    }
    placeColumns(l);
    l.header = header.left(l.headerLength);
    return l;
}

DbfLayout create(const QList<FieldDef> &fields, const QString &path)
{
    if (fields.isEmpty())
        throwDbfError(path, QStringLiteral("tabulku nelze vytvořit bez sloupců"));
    if (fields.size() > 255)
        throwDbfError(path, QStringLiteral("tabulka může mít nejvýš 255 sloupců"));
    DbfLayout l;
    l.version = 0x03;
    l.languageDriver = 0xC8;
    l.codepage = Codepage::Cp1250;
    l.headerLength = 32 + 32 * int(fields.size()) + 1;
    QSet<QString> seen;
    int offset = 1;
    for (const FieldDef &f : fields) {
        DbfColumn c;
        c.name = f.name.toUpper();
        bool nameOk = !c.name.isEmpty() && c.name.size() <= 10 && c.name[0] != QLatin1Char('_');
        for (QChar ch : c.name)
            nameOk = nameOk && ch.unicode() < 0x80 && (ch.isLetterOrNumber() || ch == QLatin1Char('_'));
        if (!nameOk)
            throwDbfError(path, QStringLiteral("neplatný název sloupce '%1' (1 až 10 písmen bez diakritiky, číslic a '_')")
                                    .arg(f.name));
        if (seen.contains(c.name))
            throwDbfError(path, QStringLiteral("sloupec '%1' je zadán dvakrát").arg(f.name));
        seen.insert(c.name);
        switch (f.type) {
        case FieldType::String:
            if (f.size < 1 || f.size > 254)
                throwDbfError(path, QStringLiteral("textový sloupec '%1' musí mít délku 1 až 254 znaků (zadáno %2)")
                                        .arg(f.name).arg(f.size));
            c.type = 'C';
            c.length = f.size;
            break;
        case FieldType::Float:
            c.type = 'N';
            c.length = kFloatWidth;
            c.decimals = kFloatDecimals;
            break;
        case FieldType::Smallint:
            c.type = 'N';
            c.length = kSmallintWidth;
            break;
        }
        c.offset = offset;
        offset += c.length;
        c.apiType = f.type;
        l.columns.append(c);
    }
    l.recordLength = offset;

    QByteArray h(l.headerLength, '\0');
    h[0] = char(l.version);
    h[8] = char(l.headerLength & 0xFF);
    h[9] = char(l.headerLength >> 8);
    h[10] = char(l.recordLength & 0xFF);
    h[11] = char(l.recordLength >> 8);
    h[29] = char(l.languageDriver);
    int at = 32;
    for (const DbfColumn &c : std::as_const(l.columns)) {
        const QByteArray name = c.name.toLatin1();
        for (int i = 0; i < name.size(); ++i)
            h[at + i] = name[i];
        h[at + 11] = c.type;
        put32(h, at + 12, quint32(c.offset));   // FoxPro keeps the column's place in the record here
        h[at + 16] = char(c.length);
        h[at + 17] = char(c.decimals);
        at += 32;
    }
    h[at] = 0x0D;
    stampHeader(h, 0);
    l.header = h;
    return l;
}

namespace {

// Today's date, asked of the system at most once a second: every post stamps the
// header, and asking each time (time zone file checks included) costs more than
// writing the row.
QDate today()
{
    thread_local QDate cached;
    thread_local std::chrono::steady_clock::time_point askedAt;
    const auto now = std::chrono::steady_clock::now();
    if (!cached.isValid() || now - askedAt > std::chrono::seconds(1)) {
        cached = QDate::currentDate();
        askedAt = now;
    }
    return cached;
}

} // namespace

void stampHeader(QByteArray &header, quint32 count)
{
    const QDate today = dbflayout::today();
    header[1] = char(qBound(0, today.year() - 1900, 255));
    header[2] = char(today.month());
    header[3] = char(today.day());
    put32(header, 4, count);
}

} // namespace dbflayout
} // namespace kvitanky
