// SPDX-License-Identifier: GPL-3.0-or-later
#include "Codepage.h"

#include <QHash>

#include <array>

namespace kvitanky {
namespace {

#include "CodepageTables.inc"

const char16_t *highHalf(Codepage cp)
{
    switch (cp) {
    case Codepage::Cp1252: return kCp1252High;
    case Codepage::Cp852: return kCp852High;
    case Codepage::Cp1250: break;
    }
    return kCp1250High;
}

const QHash<char16_t, char> &reverseTable(Codepage cp)
{
    static const auto build = [](Codepage c) {
        QHash<char16_t, char> map;
        const char16_t *high = highHalf(c);
        for (int i = 0; i < 128; ++i) {
            if (high[i] != 0xFFFD)
                map.insert(high[i], char(0x80 + i));
        }
        return map;
    };
    static const QHash<char16_t, char> t1250 = build(Codepage::Cp1250);
    static const QHash<char16_t, char> t1252 = build(Codepage::Cp1252);
    static const QHash<char16_t, char> t852 = build(Codepage::Cp852);
    switch (cp) {
    case Codepage::Cp1252: return t1252;
    case Codepage::Cp852: return t852;
    case Codepage::Cp1250: break;
    }
    return t1250;
}

} // namespace

QString decode(const char *data, qsizetype size, Codepage cp)
{
    const char16_t *high = highHalf(cp);
    QString out(size, Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = b < 0x80 ? QChar(b) : QChar(high[b - 0x80]);
    }
    return out;
}

QString decode(const QByteArray &bytes, Codepage cp)
{
    return decode(bytes.constData(), bytes.size(), cp);
}

QByteArray encode(const QString &text, Codepage cp)
{
    const auto &reverse = reverseTable(cp);
    QByteArray out(text.size(), Qt::Uninitialized);
    char *dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            dst[i] = char(u);
        } else {
            const auto it = reverse.constFind(u);
            dst[i] = it == reverse.constEnd() ? '?' : it.value();
        }
    }
    return out;
}

bool keepsEveryByte(Codepage cp)
{
    static const std::array<bool, 3> keeps = [] {
        std::array<bool, 3> out{};
        for (const Codepage c : {Codepage::Cp1250, Codepage::Cp1252, Codepage::Cp852}) {
            bool all = true;
            for (int b = 0; b < 256 && all; ++b) {
                const char byte = char(b);
                const QByteArray back = encode(decode(&byte, 1, c), c);
                all = back.size() == 1 && back[0] == byte;
            }
            out[size_t(c)] = all;
        }
        return out;
    }();
    return keeps[size_t(cp)];
}

bool canEncode(QStringView text, Codepage cp)
{
    const auto &reverse = reverseTable(cp);
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && !reverse.contains(c.unicode()))
            return false;
    }
    return true;
}

bool looksLikeUtf8(const QByteArray &bytes)
{
    bool sawMultiByte = false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        sawMultiByte = true;
        i += extra + 1;
    }
    return sawMultiByte;
}

} // namespace kvitanky
