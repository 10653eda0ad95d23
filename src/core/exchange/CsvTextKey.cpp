// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvTextKey.h"

#include "text/Codepage.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <array>
#include <cstring>

namespace kvitanky {

namespace {

// Every byte of Windows-1250 (and so every ASCII byte of UTF-8) as the one
// character it reads as, that character case-folded, and whether it is a blank
// to QString::trimmed().
struct ByteChars {
    std::array<char16_t, 256> plain{};
    std::array<char16_t, 256> folded{};
    std::array<bool, 256> blank{};
    std::array<bool, 256> foldsToOne{};   // case folding gives a single character

    ByteChars()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString text = decode(&byte, 1, Codepage::Cp1250);
            const QString folded = text.toCaseFolded();
            plain[size_t(b)] = text.at(0).unicode();
            blank[size_t(b)] = text.at(0).isSpace();
            foldsToOne[size_t(b)] = folded.size() == 1;
            this->folded[size_t(b)] = folded.at(0).unicode();
        }
    }
};

const ByteChars &byteChars()
{
    static const ByteChars chars;
    return chars;
}

std::size_t viaQString(const QString &decoded, bool fold, bool *empty)
{
    QString text = decoded.trimmed();
    if (fold)
        text = std::move(text).toCaseFolded();
    if (empty)
        *empty = text.isEmpty();
    return qHash(text);
}

} // namespace

bool IsAsciiText(QByteArrayView bytes)
{
    const char *p = bytes.data();
    qsizetype n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; n > 0; ++p, --n)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

std::size_t CsvTextHash(QByteArrayView bytes, CsvEncoding encoding, bool fold, bool *empty)
{
    if (encoding == CsvEncoding::Utf8 && !IsAsciiText(bytes))
        return viaQString(DecodeCsvField(bytes, encoding), fold, empty);
    // One byte, one character.
    const ByteChars &chars = byteChars();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype from = 0, to = bytes.size();
    while (from < to && chars.blank[p[from]])
        ++from;
    while (to > from && chars.blank[p[to - 1]])
        --to;
    QVarLengthArray<char16_t, 256> text(to - from);
    const std::array<char16_t, 256> &table = fold ? chars.folded : chars.plain;
    for (qsizetype i = from; i < to; ++i) {
        if (fold && !chars.foldsToOne[p[i]])
            return viaQString(decode(bytes.data(), bytes.size(), Codepage::Cp1250), fold, empty);
        text[i - from] = table[p[i]];
    }
    if (empty)
        *empty = text.isEmpty();
    return qHash(QStringView(text.data(), text.size()));
}

QByteArrayView CsvKeptBytes(QByteArrayView bytes, CsvEncoding encoding, qsizetype size, QByteArray &scratch)
{
    QByteArrayView kept = bytes;
    if (encoding != CsvEncoding::Cp1250 && !IsAsciiText(bytes)) {
        scratch = toCp1250(DecodeCsvField(bytes, encoding));
        kept = scratch;
    }
    kept.truncate(std::clamp<qsizetype>(size, 0, kept.size()));
    while (!kept.isEmpty() && (kept.back() == ' ' || kept.back() == '\0'))
        kept.chop(1);
    return kept;
}

} // namespace kvitanky
