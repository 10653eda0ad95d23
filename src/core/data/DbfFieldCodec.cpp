// SPDX-License-Identifier: GPL-3.0-or-later
// Column values.
//
// ftString is a C column, ftFloat an N column 20 wide with 4 decimals (an amount is
// written with its 4 decimals when they hold it exactly, otherwise as the shortest
// text that reads back as the same double, so every double round-trips and GDAL and
// dbfread read a number), ftSmallint an N column 6 wide without decimals. Columns of
// other programs' files are read as they store them; binary ones (I, Y, B, T, ...)
// little-endian.
#include "data/DbfFieldCodec.h"

#include "data/DbfFile.h"
#include "data/DbfNumber.h"

#include <QDate>
#include <QTime>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kvitanky {

namespace {

qint32 le32(const char *p)
{
    quint32 v = 0;
    std::memcpy(&v, p, 4);
    return qint32(qFromLittleEndian(v));
}

qint64 le64(const char *p)
{
    quint64 v = 0;
    std::memcpy(&v, p, 8);
    return qint64(qFromLittleEndian(v));
}

double leDouble(const char *p)
{
    const quint64 bits = quint64(le64(p));
    double v = 0;
    std::memcpy(&v, &bits, 8);
    return v;
}

void putLe32(char *p, qint32 v)
{
    const quint32 u = qToLittleEndian(quint32(v));
    std::memcpy(p, &u, 4);
}

void putLe64(char *p, qint64 v)
{
    const quint64 u = qToLittleEndian(quint64(v));
    std::memcpy(p, &u, 8);
}

// Columns kept as binary numbers rather than text.
bool isBinary(const DbfColumn &c)
{
    switch (c.type) {
    case 'I': case 'Y': case 'T': case '0': case '@': case '+': case 'O': case 'Q':
        return true;
    case 'B':
        return c.length == 8;
    case 'M': case 'G': case 'P': case 'W':
        return c.length == 4;
    default:
        return false;
    }
}

QString hexText(const char *p, int n)
{
    return QString::fromLatin1(QByteArray(p, n).toHex().toUpper());
}

QByteArray trimmedBytes(const char *p, int n)
{
    int b = 0;
    while (b < n && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (n > b && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return QByteArray(p + b, n - b);
}

} // namespace

void DbfFieldCodec::fail(const QString &reason) const
{
    m_file.fail(reason);
}

QByteArray DbfFieldCodec::blankRecord() const
{
    const DbfLayout &layout = m_file.layout();
    QByteArray r(layout.recordLength, ' ');
    for (const DbfColumn &c : layout.columns)
        if (isBinary(c))
            std::memset(r.data() + c.offset, 0, size_t(c.length));
    return r;
}

QString DbfFieldCodec::text(const DbfColumn &c, const char *rec) const
{
    if (!rec)
        return {};
    const char *p = rec + c.offset;
    switch (c.type) {
    case 'N':
    case 'F': {
        const QByteArray t = trimmedBytes(p, c.length);
        if (t.isEmpty())
            return {};
        if (const auto v = dbfnumber::parseDecimal(t))
            return dbfnumber::general(*v, m_file.separator());
        return decode(t, m_file.layout().codepage);
    }
    case 'L':
        switch (*p) {
        case 'T': case 't': case 'Y': case 'y': return QStringLiteral("True");
        case 'F': case 'f': case 'N': case 'n': return QStringLiteral("False");
        default: return {};
        }
    case 'D': {
        const QByteArray t = trimmedBytes(p, c.length);
        const QDate d = QDate::fromString(QString::fromLatin1(t), QStringLiteral("yyyyMMdd"));
        if (d.isValid())
            return d.toString(Qt::ISODate);
        return t.count('0') == t.size() ? QString() : decode(t, m_file.layout().codepage);
    }
    case 'T':
        if (c.length == 8) {
            const qint32 day = le32(p);
            const qint32 ms = le32(p + 4);
            if (day == 0 && ms == 0)
                return {};
            const QDate d = QDate::fromJulianDay(day);
            if (d.isValid() && ms >= 0 && ms < 86400000)
                return d.toString(Qt::ISODate) + QLatin1Char(' ')
                    + QTime::fromMSecsSinceStartOfDay(ms).toString(QStringLiteral("HH:mm:ss"));
        }
        return hexText(p, c.length);
    case 'I':
        return c.length == 4 ? QString::number(le32(p)) : hexText(p, c.length);
    case 'Y':
        return c.length == 8 ? dbfnumber::general(double(le64(p)) / 10000.0, m_file.separator()) : hexText(p, c.length);
    case 'B':
        if (c.length == 8)
            return dbfnumber::general(leDouble(p), m_file.separator());
        return decode(trimmedBytes(p, c.length), m_file.layout().codepage);
    case 'M': case 'G': case 'P': case 'W':
        if (c.length == 4) {
            const qint32 block = le32(p);
            return block == 0 ? QString() : QString::number(block);
        }
        return decode(trimmedBytes(p, c.length), m_file.layout().codepage);
    case '0': case '@': case '+': case 'O': case 'Q':
        return hexText(p, c.length);
    default: {   // C, V
        int n = c.length;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
            --n;
        return decode(p, n, m_file.layout().codepage);
    }
    }
}

void DbfFieldCodec::notANumber(const DbfColumn &c, const QString &value) const
{
    fail(QStringLiteral("hodnota '%1' ve sloupci '%2' není číslo").arg(value, c.name));
}

double DbfFieldCodec::number(const DbfColumn &c, const char *rec) const
{
    if (!rec)
        return 0;
    const char *p = rec + c.offset;
    switch (c.type) {
    case 'N':
    case 'F': {
        const QByteArray t = trimmedBytes(p, c.length);
        if (t.isEmpty())
            return 0;
        if (const auto v = dbfnumber::parseDecimal(t))
            return *v;
        notANumber(c, decode(t, m_file.layout().codepage));
    }
    case 'I':
        if (c.length == 4)
            return le32(p);
        break;
    case 'Y':
        if (c.length == 8)
            return double(le64(p)) / 10000.0;
        break;
    case 'B':
        if (c.length == 8) {
            const double v = leDouble(p);
            if (!std::isfinite(v))   // a stored NaN or infinity is no amount
                notANumber(c, text(c, rec));
            return v;
        }
        break;
    case 'L':
        return text(c, rec) == QLatin1String("True") ? 1 : 0;
    case 'C':
    case 'V':
        break;
    default:
        fail(QStringLiteral("sloupec '%1' (typ %2) nelze číst jako číslo").arg(c.name, QChar::fromLatin1(c.type)));
    }
    const QString t = text(c, rec);
    if (t.trimmed().isEmpty())
        return 0;
    if (const auto v = dbfnumber::parseDecimal(t))
        return *v;
    notANumber(c, t);
}

int DbfFieldCodec::integer(const DbfColumn &c, const char *rec) const
{
    const double v = number(c, rec);
    const bool textual = c.type == 'C' || c.type == 'V';
    if (textual && v != std::trunc(v))
        fail(QStringLiteral("hodnota '%1' ve sloupci '%2' není celé číslo").arg(text(c, rec), c.name));
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        fail(QStringLiteral("číslo %1 ve sloupci '%2' je mimo rozsah celých čísel")
                 .arg(dbfnumber::general(v, QLatin1Char('.')), c.name));
    return int(r);
}

char *DbfFieldCodec::pendingField(const DbfColumn &c, QByteArray *pending) const
{
    if (!pending)
        fail(QStringLiteral("záznam není v režimu úprav (sloupec '%1')").arg(c.name));
    return pending->data() + c.offset;
}

void DbfFieldCodec::readOnlyColumn(const DbfColumn &c) const
{
    fail(QStringLiteral("do sloupce '%1' (typ %2) nelze zapisovat").arg(c.name, QChar::fromLatin1(c.type)));
}

void DbfFieldCodec::setText(const DbfColumn &c, const QString &value, QByteArray *pending) const
{
    switch (c.type) {
    case 'C': {
        char *p = pendingField(c, pending);
        const QByteArray bytes = encode(value, m_file.layout().codepage).left(c.length);
        std::memset(p, ' ', size_t(c.length));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case 'N': case 'F': case 'I': case 'Y': case 'B':
        if (c.type == 'B' && c.length != 8)
            readOnlyColumn(c);
        if (value.trimmed().isEmpty()) {
            pendingField(c, pending);
            clearField(c, pending);
            return;
        }
        if (const auto v = dbfnumber::parseDecimal(value)) {
            if (c.apiType == FieldType::Smallint && *v != std::trunc(*v))
                fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není celé číslo").arg(value, c.name));
            setNumber(c, *v, pending);
            return;
        }
        fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není číslo").arg(value, c.name));
    case 'L': {
        const QString t = value.trimmed().toUpper();
        char letter = 0;
        if (t.isEmpty())
            letter = ' ';
        else if (t == QLatin1String("T") || t == QLatin1String("TRUE") || t == QLatin1String("Y")
                 || t == QLatin1String("1") || t == QLatin1String("A") || t == QLatin1String("ANO"))
            letter = 'T';
        else if (t == QLatin1String("F") || t == QLatin1String("FALSE") || t == QLatin1String("N")
                 || t == QLatin1String("0") || t == QLatin1String("NE"))
            letter = 'F';
        else
            fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není logická hodnota").arg(value, c.name));
        *pendingField(c, pending) = letter;
        return;
    }
    case 'D': {
        const QString t = value.trimmed();
        QDate d;
        if (!t.isEmpty()) {
            for (const char *format : {"yyyy-MM-dd", "yyyyMMdd", "d.M.yyyy"}) {
                d = QDate::fromString(t, QLatin1String(format));
                if (d.isValid())
                    break;
            }
            if (!d.isValid() || d.year() < 1 || d.year() > 9999)
                fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není datum").arg(value, c.name));
        }
        char *p = pendingField(c, pending);
        const QByteArray bytes = t.isEmpty() ? QByteArray(8, ' ') : d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memset(p, ' ', size_t(c.length));
        std::memcpy(p, bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), c.length)));
        return;
    }
    default:
        readOnlyColumn(c);
    }
}

void DbfFieldCodec::setEncodedText(const DbfColumn &c, QByteArrayView bytes, Codepage cp, QByteArray *pending) const
{
    const auto ascii = [&] {
        for (const char b : bytes)
            if (static_cast<unsigned char>(b) >= 0x80)
                return false;
        return true;
    };
    if (c.type != 'C' || !((cp == m_file.layout().codepage && keepsEveryByte(cp)) || ascii())) {
        setText(c, decode(bytes.data(), bytes.size(), cp), pending);
        return;
    }
    char *p = pendingField(c, pending);
    std::memset(p, ' ', size_t(c.length));
    if (!bytes.isEmpty())
        std::memcpy(p, bytes.data(), size_t(std::min<qsizetype>(bytes.size(), c.length)));
}

void DbfFieldCodec::clearField(const DbfColumn &c, QByteArray *pending) const
{
    char *p = pendingField(c, pending);
    std::memset(p, isBinary(c) ? 0 : ' ', size_t(c.length));
}

void DbfFieldCodec::setNumber(const DbfColumn &c, double v, QByteArray *pending) const
{
    if (!std::isfinite(v))
        fail(QStringLiteral("do sloupce '%1' nelze zapsat neplatné číslo").arg(c.name));
    const auto outOfRange = [&] {
        fail(QStringLiteral("číslo %1 se nevejde do sloupce '%2'").arg(dbfnumber::general(v, QLatin1Char('.')), c.name));
    };
    switch (c.type) {
    case 'N':
    case 'F': {
        if (c.apiType == FieldType::Smallint) {
            const double r = std::nearbyint(v);
            if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
                outOfRange();
        }
        const QByteArray t = dbfnumber::columnText(v, c.length, c.decimals);
        if (t.isEmpty())
            outOfRange();
        std::memcpy(pendingField(c, pending), t.constData(), size_t(c.length));
        break;
    }
    case 'I': {
        const double r = std::nearbyint(v);
        if (c.length != 4 || r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
            outOfRange();
        putLe32(pendingField(c, pending), qint32(r));
        break;
    }
    case 'Y': {
        const double r = std::nearbyint(v * 10000.0);
        if (c.length != 8 || std::fabs(r) >= 9.2e18)
            outOfRange();
        putLe64(pendingField(c, pending), qint64(r));
        break;
    }
    case 'B': {
        if (c.length != 8)
            readOnlyColumn(c);
        quint64 bits = 0;
        std::memcpy(&bits, &v, 8);
        putLe64(pendingField(c, pending), qint64(bits));
        break;
    }
    case 'L':
        *pendingField(c, pending) = v != 0 ? 'T' : 'F';
        break;
    case 'C':
        setText(c, dbfnumber::general(v, QLatin1Char('.')), pending);
        break;
    default:
        readOnlyColumn(c);
    }
}

} // namespace kvitanky
