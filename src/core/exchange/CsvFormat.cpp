// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvFormat.h"

#include <QIODevice>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdlib>

namespace kvitanky {

namespace {

constexpr qint64 ReadChunk = 64 * 1024;
constexpr char CtrlZ = 26;

// A line's content ends at its first NUL.
void truncateAtNul(QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
}

} // namespace

CsvReader::CsvReader(QIODevice *device)
    : m_device(device)
{
}

CsvReader::CsvReader(const QByteArray &bytes)
    : m_buffer(bytes)
{
}

bool CsvReader::fill()
{
    if (!m_device)
        return false;
    m_buffer.resize(ReadChunk);
    const qint64 got = m_device->read(m_buffer.data(), ReadChunk);
    m_buffer.resize(got > 0 ? got : 0);
    m_pos = 0;
    return got > 0;
}

bool CsvReader::atEnd()
{
    if (m_emptyLines > 0)
        return false;
    if (m_ended)
        return true;
    if (m_pos < m_buffer.size())
        return m_buffer.at(m_pos) == CtrlZ ? (m_ended = true) : false;
    if (!fill())
        return m_ended = true;
    return atEnd();
}

// The buffer is used up and ended in `crs` CRs: reads on over further CRs and says
// whether an LF follows them (it is consumed then); `crs` counts all of them.
bool CsvReader::crsEndAtLf(qint64 &crs)
{
    while (fill()) {
        const qsizetype n = m_buffer.size();
        qsizetype i = 0;
        while (i < n && m_buffer.at(i) == '\r')
            ++i;
        m_pos = i;
        m_consumed += i;
        crs += i;
        if (i == n)
            continue;
        if (m_buffer.at(i) != '\n')
            return false;
        ++m_pos;
        ++m_consumed;
        return true;
    }
    return false;
}

CsvLine ReadCsvLine(CsvReader &reader)
{
    CsvLine line;
    line.tooLong = !ReadCsvLineInto(reader, line.content);
    if (line.tooLong)
        line.content.clear();
    return line;
}

bool ReadCsvLineInto(CsvReader &reader, QByteArray &bytes)
{
    bytes.resize(0);
    if (reader.m_emptyLines > 0) {
        --reader.m_emptyLines;
        return true;
    }
    // Works on runs of the buffer up to the next LF; a run is capped so that a file
    // without line ends never piles up in memory.
    constexpr qsizetype MaxRun = 4096;
    for (;;) {
        if (reader.atEnd())
            break;
        const char *p = reader.m_buffer.constData() + reader.m_pos;
        qsizetype run = std::min(reader.m_buffer.size() - reader.m_pos, MaxRun);
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(run)));
        if (lf)
            run = lf - p;
        const char *z = static_cast<const char *>(std::memchr(p, CtrlZ, size_t(run)));
        if (z)
            run = z - p;
        bool crEnd = false;
        // CRs before an LF are dropped; any other CR is a line end of its own
        // (a file saved on a Mac). The bytes between CRs go over in one piece.
        const qsizetype left = reader.m_buffer.size() - reader.m_pos;
        qsizetype from = 0;
        while (from < run) {
            const char *cr = static_cast<const char *>(std::memchr(p + from, '\r', size_t(run - from)));
            if (!cr)
                break;
            const qsizetype i = cr - p;
            bytes.append(p + from, i - from);
            qsizetype j = i + 1;
            while (j < left && p[j] == '\r')
                ++j;
            if (j == left && reader.m_device) {
                // The CRs reach the end of the piece: what follows them decides,
                // so that a line end counts the same wherever the reads are cut.
                reader.m_pos += left;
                reader.m_consumed += left;
                qint64 crs = left - i;
                if (!reader.crsEndAtLf(crs))
                    reader.m_emptyLines = crs - 1;   // each CR was a line end
                if (bytes.size() > CsvMaxLineLength)
                    return false;
                truncateAtNul(bytes);
                return true;
            }
            if (j < left && p[j] == '\n') {
                from = std::min(j, run);   // the CRs up to the LF
                continue;
            }
            crEnd = true;
            run = i + 1;
            from = run;
        }
        if (from < run)
            bytes.append(p + from, run - from);
        reader.m_pos += run;
        reader.m_consumed += run;
        if (bytes.size() > CsvMaxLineLength)
            return false;
        if (crEnd)
            break;
        if (z) {
            reader.m_ended = true;
            break;
        }
        if (lf) {
            ++reader.m_pos;
            ++reader.m_consumed;
            break;
        }
    }
    truncateAtNul(bytes);
    return true;
}

void SplitCsvLineInPlace(QByteArray &line, int positions, QList<QByteArrayView> &fields)
{
    fields.fill(QByteArrayView(), positions > 0 ? positions : 0);
    // A quotation mark becomes a blank in whichever field it stands.
    if (line.contains('"'))
        line.replace('"', ' ');
    const char *data = line.constData();
    const qsizetype n = line.size();
    qsizetype start = 0;
    for (int number = 0; number < positions; ++number) {
        const char *semi = static_cast<const char *>(std::memchr(data + start, ';', size_t(n - start)));
        const qsizetype end = semi ? semi - data : n;
        fields[number] = QByteArrayView(data + start, end - start);
        if (!semi)
            break;
        start = end + 1;
    }
}

QList<QByteArray> SplitCsvLine(const QByteArray &line, int positions)
{
    QByteArray copy = line;
    QList<QByteArrayView> views;
    SplitCsvLineInPlace(copy, positions, views);
    QList<QByteArray> fields;
    fields.reserve(views.size());
    for (QByteArrayView v : views)
        fields.append(v.toByteArray());
    return fields;
}

bool IsCsvAmountChar(char c)
{
    return (c >= '0' && c <= '9') || c == ',' || c == '.';
}

double CsvAmountToFloat(QByteArrayView text)
{
    QVarLengthArray<char, 64> kept;
    int separators = 0;
    for (const char c : text) {
        if (!IsCsvAmountChar(c))
            continue;
        if (c == ',' || c == '.')
            ++separators;
        kept.append(c == ',' ? '.' : c);
    }
    if (separators > 1 || kept.isEmpty() || (kept.size() == 1 && kept[0] == '.'))
        return 0.0;
    double value = 0.0;
    const char *end = kept.data() + kept.size();
    const auto [ptr, ec] = std::from_chars(kept.data(), end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return 0.0;
    return value;
}

QByteArray FloatToCsvText(double amount)
{
    if (!std::isfinite(amount) || amount == 0.0)
        return "0";

    // Fifteen significant digits, then the shortest of them.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf - 1, amount, std::chars_format::scientific, 14);
    *res.ptr = '\0';
    const std::string_view sci(buf, res.ptr - buf);   // "-d.ddddddddddddddde+XX"
    const std::size_t ePos = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string digits;
    for (char c : sci.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.')
            digits.push_back(c);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::atoi(sci.data() + ePos + 1);

    QByteArray out;
    if (negative)
        out.append('-');
    if (exponent >= 15 || exponent < -5) {
        out.append(digits.front());
        if (digits.size() > 1) {
            out.append(',');
            out.append(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        out.append('E');
        out.append(QByteArray::number(exponent));
    } else if (exponent < 0) {
        out.append("0,");
        out.append(QByteArray(-exponent - 1, '0'));
        out.append(digits.data(), qsizetype(digits.size()));
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out.append(digits.data(), qsizetype(digits.size()));
            out.append(QByteArray(qsizetype(whole - digits.size()), '0'));
        } else {
            out.append(digits.data(), qsizetype(whole));
            out.append(',');
            out.append(digits.data() + whole, qsizetype(digits.size() - whole));
        }
    }
    return out;
}

bool fuzzCsvInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CsvReader reader(bytes);
    qint64 lastPosition = -1;
    while (!reader.atEnd()) {
        if (reader.position() <= lastPosition)
            return false;   // no progress: the import would loop for ever
        lastPosition = reader.position();
        const CsvLine line = ReadCsvLine(reader);
        if (line.tooLong)
            break;
        if (line.content.size() > CsvMaxLineLength || line.content.contains('\n')
            || line.content.contains('\r') || line.content.contains('\0'))
            return false;
        for (int positions : {CsvFullPositions, Csv6Positions}) {
            const QList<QByteArray> fields = SplitCsvLine(line.content, positions);
            if (fields.size() != positions)
                return false;
            qsizetype total = 0;
            for (const QByteArray &f : fields) {
                if (f.contains(';') || f.contains('"'))
                    return false;
                total += f.size();
            }
            if (total > line.content.size())
                return false;
            // Fewer separators than positions: the fields are the whole line.
            if (line.content.count(';') < positions) {
                QByteArray joined = line.content;
                joined.replace('"', ' ');
                if (joined != fields.join(';').left(joined.size()))
                    return false;
            }
            for (const QByteArray &f : fields) {
                const double amount = CsvAmountToFloat(f);
                if (!std::isfinite(amount) || amount < 0.0)
                    return false;
                const QByteArray text = FloatToCsvText(amount);
                if (text.contains('.'))
                    return false;
                if (!text.contains('E')) {
                    const double back = CsvAmountToFloat(text);
                    if (std::fabs(back - amount) > 1e-14 * std::fabs(amount))
                        return false;
                }
            }
        }
    }
    return true;
}

} // namespace kvitanky
