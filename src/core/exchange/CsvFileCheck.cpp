// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvFileCheck.h"

#include "text/Codepage.h"

#include <QIODevice>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace kvitanky {

namespace {

constexpr qint64 ScanChunk = 256 * 1024;
constexpr char CtrlZ = 26;

// Where a chunk can be cut without splitting a UTF-8 sequence.
qsizetype safeCut(const QByteArray &buf)
{
    const qsizetype n = buf.size();
    for (qsizetype k = n - 1; k >= 0 && k >= n - 4; --k) {
        const auto b = static_cast<unsigned char>(buf.at(k));
        if ((b & 0xC0) == 0x80)
            continue;
        const int need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return k + need > n ? k : n;
    }
    return n;
}

CsvFileCheck::Utf16 utf16Order(const QByteArray &head)
{
    if (head.startsWith("\xFF\xFE"))
        return CsvFileCheck::Utf16::LittleEndian;
    if (head.startsWith("\xFE\xFF"))
        return CsvFileCheck::Utf16::BigEndian;
    // Without a byte-order mark: text of Latin letters has every other byte 0.
    const qsizetype pairs = std::min<qsizetype>(head.size() / 2, 512);
    if (pairs < 2)
        return CsvFileCheck::Utf16::No;
    int evenZero = 0, oddZero = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZero += head[2 * i] == 0;
        oddZero += head[2 * i + 1] == 0;
    }
    if (oddZero * 10 >= pairs * 7 && evenZero * 20 < pairs)
        return CsvFileCheck::Utf16::LittleEndian;
    if (evenZero * 10 >= pairs * 7 && oddZero * 20 < pairs)
        return CsvFileCheck::Utf16::BigEndian;
    return CsvFileCheck::Utf16::No;
}

bool isCzechLetter(char16_t c)
{
    static const QString letters = QStringLiteral("áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ");
    return letters.contains(QChar(c));
}

// What the bytes above 127 say when the file is not UTF-8: the first line each
// byte value stands on and how often it occurs.
struct HighBytes {
    std::array<qint64, 128> count{};
    std::array<int, 128> firstLine{};

    // Empty when Windows-1250 reads the bytes best; else the name of the encoding
    // that does and the line where it shows first.
    QString otherEncoding(int *line) const
    {
        qint64 cz1250 = 0, cz852 = 0, foreign = 0, isoOnly = 0, cpOnly = 0;
        int firstForeign = 0, first852 = 0, firstIso = 0;
        const auto earliest = [](int &at, int l) {
            if (!at || l < at)
                at = l;
        };
        for (int i = 0; i < 128; ++i) {
            if (!count[i])
                continue;
            const char b = char(0x80 + i);
            const QString as1250 = decode(&b, 1, Codepage::Cp1250);
            const QString as852 = decode(&b, 1, Codepage::Cp852);
            const bool cz = isCzechLetter(as1250.at(0).unicode());
            if (cz)
                cz1250 += count[i];
            else if (as1250.at(0).isLetter() || as1250.at(0).unicode() == 0xFFFD) {
                foreign += count[i];
                earliest(firstForeign, firstLine[i]);
            }
            if (isCzechLetter(as852.at(0).unicode())) {
                cz852 += count[i];
                if (!cz)
                    earliest(first852, firstLine[i]);
            }
            // ISO-8859-2 puts Š, Ť, Ž, š, ť, ž where Windows-1250 has symbols.
            const unsigned u = 0x80 + unsigned(i);
            if (u == 0xA9 || u == 0xAB || u == 0xAE || u == 0xB9 || u == 0xBB || u == 0xBE) {
                isoOnly += count[i];
                earliest(firstIso, firstLine[i]);
            }
            if (u == 0x8A || u == 0x8D || u == 0x8E || u == 0x9A || u == 0x9D || u == 0x9E)
                cpOnly += count[i];
        }
        if (cz852 > cz1250) {
            *line = first852;
            return QStringLiteral("DOS (CP852)");
        }
        if (isoOnly > 0 && cpOnly == 0) {
            *line = firstIso;
            return QStringLiteral("ISO-8859-2");
        }
        if (foreign > cz1250) {
            *line = firstForeign;
            return QStringLiteral("?");
        }
        return {};
    }
};

QString refuseWith(const QString &path, const QString &text)
{
    return QStringLiteral("Soubor %1 ").arg(path) + text;
}

} // namespace

CsvFileCheck CheckCsvFile(QIODevice &device, const QString &shownPath)
{
    CsvFileCheck check;
    device.seek(0);
    if (device.size() > CsvMaxFileSize) {
        check.refusal = refuseWith(shownPath, QStringLiteral("je příliš velký (%1 MB); import přijme soubor "
                                                             "nejvýše o velikosti %2 MB.")
                                                  .arg(device.size() >> 20)
                                                  .arg(CsvMaxFileSize >> 20));
        return check;
    }
    const QByteArray head = device.peek(4096);
    if (head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0")) {
        check.refusal = refuseWith(shownPath, QStringLiteral("je sešit tabulkového procesoru, ne soubor CSV. "
                                                             "Uložte jej v tabulkovém procesoru jako CSV."));
        return check;
    }
    check.utf16 = utf16Order(head);
    if (check.utf16 != CsvFileCheck::Utf16::No)
        return check;

    bool bom = false;
    bool utf8Valid = true;
    bool sawMultiByte = false;
    bool firstChunk = true;
    qint64 bytes = 0;
    qint64 controls = 0;
    int firstControl = 0;
    int nulLine = 0;
    int line = 1;
    HighBytes high;
    QByteArray carry;
    for (;;) {
        QByteArray chunk = device.read(ScanChunk);
        if (firstChunk) {
            firstChunk = false;
            if (chunk.startsWith("\xEF\xBB\xBF")) {
                bom = true;
                check.contentStart = 3;
                chunk.remove(0, 3);
            }
        }
        bool last = chunk.isEmpty();
        const qsizetype ctrlZ = chunk.indexOf(CtrlZ);
        if (ctrlZ >= 0) {
            chunk.truncate(ctrlZ);
            last = true;
        }
        bytes += chunk.size();
        bool anyHigh = false;
        const char *const data = chunk.constData();
        const qsizetype size = chunk.size();
        for (qsizetype i = 0; i < size; ++i) {
            // Eight printable ASCII bytes at a time go by without a look at each.
            while (i + 8 <= size) {
                quint64 word;
                std::memcpy(&word, data + i, 8);
                constexpr quint64 ones = 0x0101010101010101ULL;
                const quint64 above127 = word & (ones * 0x80);
                const quint64 below32 = (word - ones * 0x20) & ~word & (ones * 0x80);
                if (above127 | below32)
                    break;
                i += 8;
            }
            if (i >= size)
                break;
            const auto c = static_cast<unsigned char>(data[i]);
            if (c == '\n') {
                ++line;
            } else if (c >= 0x80) {
                anyHigh = true;
                if (!high.count[c - 0x80]++)
                    high.firstLine[c - 0x80] = line;
            } else if (c < 0x20 && c != '\t' && c != '\r' && c != '\f') {
                if (c == 0 && !nulLine)
                    nulLine = line;
                if (!controls++)
                    firstControl = line;
            }
        }
        if (!bom && utf8Valid && (anyHigh || !carry.isEmpty())) {
            QByteArray buf = carry + chunk;
            carry.clear();
            if (!last) {
                const qsizetype cut = safeCut(buf);
                carry = buf.mid(cut);
                buf.truncate(cut);
            }
            if (looksLikeUtf8(buf))
                sawMultiByte = true;
            else
                for (const char c : buf)
                    if (static_cast<unsigned char>(c) >= 0x80) {
                        utf8Valid = false;
                        break;
                    }
        }
        if (last)
            break;
    }

    if (nulLine) {
        check.refusal = refuseWith(shownPath, QStringLiteral("má na řádku %1 nulový bajt, není to tedy textový "
                                                             "soubor CSV. Nic nebylo importováno.")
                                                  .arg(nulLine));
        return check;
    }
    // A stray control character in a long text is let be; more than one in a
    // hundred bytes is no text.
    if (controls > 0 && controls * 100 > bytes) {
        check.refusal = refuseWith(shownPath, QStringLiteral("není textový soubor CSV: už řádek %1 obsahuje "
                                                             "řídicí znaky. Nic nebylo importováno.")
                                                  .arg(firstControl));
        return check;
    }
    check.encoding = (bom || (utf8Valid && sawMultiByte)) ? CsvEncoding::Utf8 : CsvEncoding::Cp1250;
    if (check.encoding == CsvEncoding::Cp1250) {
        int at = 0;
        const QString other = high.otherEncoding(&at);
        if (!other.isEmpty()) {
            const QString which = other == QLatin1String("?")
                ? QStringLiteral("není v kódování UTF-8 ani Windows-1250")
                : QStringLiteral("je nejspíš v kódování %1, ne v UTF-8 ani ve Windows-1250").arg(other);
            check.refusal = refuseWith(shownPath, which
                                           + QStringLiteral(" (první takový znak je na řádku %1). Uložte jej jako "
                                                            "CSV v kódování UTF-8 nebo Windows-1250.")
                                                 .arg(at));
        }
    }
    return check;
}

bool ConvertCsvUtf16(QIODevice &in, QIODevice &out, CsvFileCheck::Utf16 order)
{
    in.seek(0);
    QStringDecoder decoder(order == CsvFileCheck::Utf16::BigEndian ? QStringConverter::Utf16BE
                                                                    : QStringConverter::Utf16LE,
                           QStringConverter::Flag::ConvertInvalidToNull);
    bool first = true;
    for (;;) {
        QByteArray chunk = in.read(ScanChunk);
        if (chunk.isEmpty())
            break;
        QString text = decoder.decode(chunk);
        if (first) {
            first = false;
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
        }
        const QByteArray utf8 = text.toUtf8();
        if (out.write(utf8) != utf8.size())
            return false;
    }
    return !decoder.hasError();
}

CsvEncoding DetectCsvEncoding(QIODevice &device, qint64 *contentStart)
{
    const CsvFileCheck check = CheckCsvFile(device, QString());
    if (contentStart)
        *contentStart = check.contentStart;
    return check.encoding;
}

QString DecodeCsvField(QByteArrayView bytes, CsvEncoding encoding)
{
    return encoding == CsvEncoding::Utf8 ? QString::fromUtf8(bytes)
                                         : decode(bytes.data(), bytes.size(), Codepage::Cp1250);
}

} // namespace kvitanky
