// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvRecords.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kvitanky {

char DetectCsvSeparator(QByteArrayView firstLine)
{
    bool inQuotes = false;
    bool fieldStart = true;
    int tabs = 0, commas = 0;
    for (qsizetype i = 0; i < firstLine.size(); ++i) {
        const char c = firstLine[i];
        if (inQuotes) {
            if (c == '"') {
                // A doubled quote is a quotation mark of the text; the field goes on.
                if (i + 1 < firstLine.size() && firstLine[i + 1] == '"')
                    ++i;
                else
                    inQuotes = false;
            }
            continue;
        }
        if (c == '"' && fieldStart) {
            inQuotes = true;
            fieldStart = false;
            continue;
        }
        fieldStart = false;
        if (c == ';')
            return ';';
        if (c == '\t' || c == ',') {
            (c == '\t' ? tabs : commas)++;
            fieldStart = true;
        }
    }
    if (tabs)
        return '\t';
    return commas ? ',' : ';';
}

CsvRecordReader::CsvRecordReader(CsvReader &reader, char separator)
    : m_reader(reader)
    , m_separator(separator)
{
}

bool CsvRecordReader::readLine(QByteArray &into)
{
    if (!m_pending.empty()) {
        into = m_pending.front();
        m_pending.pop_front();
        return true;
    }
    return ReadCsvLineInto(m_reader, into);
}

int CsvRecordReader::plainFields(const QByteArray &line) const
{
    return int(line.count(m_separator)) + 1;
}

bool CsvRecordReader::dittoLine() const
{
    // Quotation marks that each stand alone as a whole field, and no other, are
    // ditto marks where the line alone has the fields of a record. (A field of our
    // own export that begins with the separator starts the same way, but its line
    // has the closing quotes of its other fields.)
    if (m_expected <= 0)
        return false;
    bool lone = false;
    int fields = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = m_raw.indexOf(m_separator, from);
        const QByteArrayView field = QByteArrayView(m_raw).sliced(from, (at < 0 ? m_raw.size() : at) - from);
        ++fields;
        if (field.contains('"')) {
            if (field != "\"")
                return false;
            lone = true;
        }
        if (at < 0)
            break;
        from = at + 1;
    }
    return lone && fields >= m_expected && fields <= m_expected + 1;
}

void CsvRecordReader::cookPlain()
{
    // Every quotation mark of the line is a character; the separator splits.
    m_cooked = m_raw;
    m_fields.clear();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = m_cooked.indexOf(m_separator, from);
        const qsizetype end = at < 0 ? m_cooked.size() : at;
        m_fields.append(QByteArrayView(m_cooked.constData() + from, end - from));
        if (at < 0)
            break;
        from = at + 1;
    }
    m_quoteAsChar = true;
}

CsvRecordReader::Status CsvRecordReader::next()
{
    m_fields.clear();
    m_inQuotes = false;
    m_quoteAsChar = false;
    if (m_pending.empty() && m_reader.atEnd())
        return Status::End;
    m_line = m_nextLine++;
    if (!readLine(m_raw))
        return Status::TooLong;
    if (m_raw.isEmpty())
        return Status::Record;
    if (cook() != Status::Unterminated)
        return Status::Record;
    if (dittoLine()) {
        cookPlain();
        return Status::Record;
    }
    // A quoted field goes on in the next line; the line break belongs to it.
    const QByteArray first = m_raw;
    std::vector<QByteArray> taken;
    const auto giveBack = [&] {
        for (auto it = taken.rbegin(); it != taken.rend(); ++it)
            m_pending.push_front(*it);
        m_nextLine -= int(taken.size());
        m_raw = first;
        cookPlain();
        return Status::Record;
    };
    for (;;) {
        m_inQuotes = true;
        if (m_pending.empty() && m_reader.atEnd())
            return m_expected > 0 ? giveBack() : Status::Unterminated;
        QByteArray more;
        if (!readLine(more))
            return Status::TooLong;
        taken.push_back(more);
        ++m_nextLine;
        m_raw.append('\n');
        m_raw.append(more);
        if (m_raw.size() > CsvMaxLineLength)
            return m_expected > 0 ? giveBack() : Status::TooLong;
        const Status s = cook();
        // A line in the middle that alone has the fields of a record, without a
        // quotation mark, is a record of its own: the quotes would swallow it.
        if (s == Status::Unterminated && m_expected >= 3 && !more.contains('"') && plainFields(more) >= m_expected)
            return giveBack();
        if (s == Status::Unterminated)
            continue;
        if (m_expected > 0 && m_fields.size() > m_expected + 1)
            return giveBack();
        m_inQuotes = false;
        return s;
    }
}

CsvRecordReader::Status CsvRecordReader::cook()
{
    const char *raw = m_raw.constData();
    const qsizetype n = m_raw.size();
    const char sep = m_separator;
    if (!std::memchr(raw, '"', size_t(n))) {
        // Without quotation marks the fields are the line's own bytes.
        for (qsizetype from = 0;;) {
            const void *s = std::memchr(raw + from, sep, size_t(n - from));
            const qsizetype end = s ? static_cast<const char *>(s) - raw : n;
            m_fields.append(QByteArrayView(raw + from, end - from));
            if (!s)
                return Status::Record;
            from = end + 1;
        }
    }
    // The cooked record is never longer than the line: written in place, cut at the end.
    m_cooked.resize(n);
    char *out = m_cooked.data();
    qsizetype o = 0;
    m_spans.clear();
    qsizetype i = 0;
    // Copies unquoted text up to the separator, a quotation mark as a blank;
    // returns where it stopped.
    const auto copyPlain = [&](qsizetype from) {
        const char *src = raw + from;
        const char *const end = raw + n;
        char *dst = out + o;
        for (; src < end && *src != sep; ++src, ++dst)
            *dst = *src == '"' ? ' ' : *src;
        o = dst - out;
        return src - raw;
    };
    for (;;) {
        const qsizetype start = o;
        if (i < n && raw[i] == '"') {
            ++i;
            for (;;) {
                const void *q = std::memchr(raw + i, '"', size_t(n - i));
                if (!q) {
                    m_cooked.resize(o);
                    return Status::Unterminated;
                }
                const qsizetype at = static_cast<const char *>(q) - raw;
                std::memcpy(out + o, raw + i, size_t(at - i));
                o += at - i;
                if (at + 1 < n && raw[at + 1] == '"') {
                    out[o++] = '"';
                    i = at + 2;
                    continue;
                }
                i = at + 1;
                break;
            }
        }
        // Unquoted text, or whatever stands behind a closing quote.
        i = copyPlain(i);
        m_spans.emplace_back(start, o - start);
        if (i >= n)
            break;
        ++i;   // the separator
    }
    m_cooked.resize(o);
    m_fields.reserve(qsizetype(m_spans.size()));
    for (const auto &[off, len] : m_spans)
        m_fields.append(QByteArrayView(m_cooked.constData() + off, len));
    return Status::Record;
}

namespace {

// Length of a blank at text[i] (0 when none): blanks, tabs, the no-break space of
// Windows-1250 and the Unicode spaces that spreadsheets put between digit groups.
int blankAt(QByteArrayView t, qsizetype i)
{
    const auto b = [&](qsizetype k) { return k < t.size() ? static_cast<unsigned char>(t[k]) : 0u; };
    const unsigned c = b(i);
    if (c == ' ' || c == '\t' || c == 0xA0 || c == '\'')
        return 1;
    if (c == 0xC2 && b(i + 1) == 0xA0)
        return 2;
    if (c == 0xE2 && b(i + 1) == 0x80 && (b(i + 2) <= 0x8A || b(i + 2) == 0xAF) && b(i + 2) >= 0x80)
        return 3;
    return 0;
}

bool endsWithNoCase(QByteArrayView t, QByteArrayView suffix)
{
    if (t.size() < suffix.size())
        return false;
    return QByteArrayView(t.data() + t.size() - suffix.size(), suffix.size()).compare(suffix, Qt::CaseInsensitive) == 0;
}

bool digitGroupsOk(QByteArrayView whole, char group)
{
    // "1.234.567": one to three digits, then groups of exactly three.
    qsizetype run = 0;
    bool first = true;
    for (const char c : whole) {
        if (c == group) {
            if (run == 0 || run > 3 || (!first && run != 3))
                return false;
            first = false;
            run = 0;
        } else {
            ++run;
        }
    }
    return first || run == 3;
}

} // namespace

CsvAmount ReadCsvAmount(QByteArrayView text, bool threeDigitsAreThousands)
{
    CsvAmount result;
    QVarLengthArray<char, 64> s;
    // Blanks are dropped; a text without any is read where it stands.
    const auto mayBeBlank = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == ' ' || u == '\t' || u == 0xA0 || u == '\'' || u == 0xC2 || u == 0xE2;
    };
    QByteArrayView v = text;
    if (std::any_of(text.begin(), text.end(), mayBeBlank)) {
        for (qsizetype i = 0; i < text.size();) {
            const int blank = blankAt(text, i);
            if (blank) {
                i += blank;
                continue;
            }
            s.append(text[i++]);
        }
        v = QByteArrayView(s.data(), s.size());
    }
    if (v.isEmpty())
        return result;
    // A currency behind the number: "Kč" in Windows-1250 or UTF-8, "Kc", "CZK",
    // with or without a full stop. Each ends in a letter.
    const QByteArrayView beforeStop = v.endsWith('.') ? v.chopped(1) : v;
    if (!beforeStop.isEmpty() && (beforeStop.back() < '0' || beforeStop.back() > '9')) {
        for (const char *currency : {"K\xe8", "K\xc8", "K\xc4\x8d", "K\xc4\x8c", "Kc", "CZK"}) {
            const QByteArrayView cur(currency);
            QByteArrayView w = beforeStop;
            if (endsWithNoCase(w, cur)) {
                w.chop(cur.size());
                v = w;
                break;
            }
        }
    }
    // "150,-" and "150,--": a whole amount.
    if (v.endsWith('-')) {
        qsizetype k = v.size();
        while (k > 0 && v[k - 1] == '-')
            --k;
        if (k > 0 && (v[k - 1] == ',' || v[k - 1] == '.'))
            v.truncate(k - 1);
    }
    bool negative = false;
    if (!v.isEmpty() && (v.front() == '-' || v.front() == '+')) {
        negative = v.front() == '-';
        v = v.sliced(1);
    }

    int commas = 0, points = 0;
    bool ok = !v.isEmpty();
    for (const char c : v) {
        if (c == ',')
            ++commas;
        else if (c == '.')
            ++points;
        else if (c < '0' || c > '9')
            ok = false;
    }
    char decimal = 0;
    char group = 0;
    if (ok && commas && points) {
        decimal = v.lastIndexOf(',') > v.lastIndexOf('.') ? ',' : '.';
        group = decimal == ',' ? '.' : ',';
        ok = (decimal == ',' ? commas : points) == 1;
    } else if (ok && (commas || points)) {
        const char sep = commas ? ',' : '.';
        const qsizetype at = v.indexOf(sep);
        // "2.500", "1,234": one separator, one to three digits before it (not a
        // lone 0), exactly three behind it. Thousands or decimals? Named.
        result.ambiguous = commas + points == 1 && at >= 1 && at <= 3 && v.front() != '0' && v.size() - at - 1 == 3;
        if (commas + points == 1 && !(result.ambiguous && threeDigitsAreThousands))
            decimal = sep;
        else
            group = sep;
    }
    QVarLengthArray<char, 64> number;
    if (ok) {
        const qsizetype dec = decimal ? v.lastIndexOf(decimal) : v.size();
        const QByteArrayView whole = v.first(dec);
        ok = !group || digitGroupsOk(whole, group);
        for (const char c : whole)
            if (c != group)
                number.append(c);
        if (decimal) {
            number.append('.');
            number.append(v.data() + dec + 1, v.size() - dec - 1);
        }
        ok = ok && (number.size() > 1 || (number.size() == 1 && number[0] != '.'));
    }
    double value = 0;
    if (ok) {
        const char *end = number.data() + number.size();
        const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
        ok = ec == std::errc() && ptr == end && std::isfinite(value);
    }
    if (!ok) {
        result.ambiguous = false;
        result.state = CsvAmount::State::Unreadable;
        result.value = CsvAmountToFloat(text);
        return result;
    }
    result.state = negative && value != 0 ? CsvAmount::State::Negative : CsvAmount::State::Ok;
    result.value = result.state == CsvAmount::State::Negative ? -value : value;
    return result;
}

int ReadCsvFlag(QByteArrayView text, bool *ok)
{
    if (ok)
        *ok = true;
    text = text.trimmed();
    if (text.isEmpty())
        return 0;
    // The words are looked for only in what does not begin as a number.
    const char first = text.front();
    if (first != '-' && first != '+' && (first < '0' || first > '9')) {
        for (const char *yes : {"ano", "a", "x", "true", "yes"})
            if (text.compare(QByteArrayView(yes), Qt::CaseInsensitive) == 0)
                return 1;
        for (const char *no : {"ne", "n", "false", "no"})
            if (text.compare(QByteArrayView(no), Qt::CaseInsensitive) == 0)
                return 0;
    }
    if (text.front() == '-' || text.front() == '+')
        text = text.sliced(1);
    bool nonZero = false;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            if (ok)
                *ok = false;
            return 0;
        }
        nonZero = nonZero || c != '0';
    }
    if (ok && text.isEmpty())
        *ok = false;
    return nonZero ? 1 : 0;
}

} // namespace kvitanky

namespace kvitanky {

bool fuzzCsvRecords(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char separator : {';', ',', '\t'}) {
        CsvReader reader(bytes);
        CsvRecordReader records(reader, separator);
        records.setExpectedFields(int(size % 5));
        int lastLine = 0;
        for (;;) {
            const CsvRecordReader::Status s = records.next();
            if (s != CsvRecordReader::Status::Record)
                break;
            if (records.line() <= lastLine)
                return false;   // no progress
            lastLine = records.line();
            qsizetype total = 0;
            for (const QByteArrayView f : records.fields()) {
                total += f.size();
                const CsvAmount a = ReadCsvAmount(f);
                if (!std::isfinite(a.value) || (a.value < 0) != (a.state == CsvAmount::State::Negative))
                    return false;
                const int flag = ReadCsvFlag(f);
                if (flag != 0 && flag != 1)
                    return false;
            }
            if (total > CsvMaxLineLength)
                return false;
        }
    }
    return true;
}

} // namespace kvitanky
