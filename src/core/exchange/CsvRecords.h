// SPDX-License-Identifier: GPL-3.0-or-later
// Records of a CSV file as spreadsheets write them, on top of the line rules of
// CsvFormat.h: the separator may be ";", "," or a tab, and a field that begins
// with a quotation mark is read the RFC 4180 way (the separator and line breaks
// inside the quotes belong to the field, a doubled quote is one quote). A field
// that does not begin with a quotation mark keeps the program's own rule: every
// quotation mark in it becomes a blank.
//
// Also here: amounts and exclusion marks as people write them.
#pragma once

#include "exchange/CsvFormat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace kvitanky {

// The separator of a file from its first line: ";" when the line holds one outside
// quotes, else a tab, else ",", else ";".
char DetectCsvSeparator(QByteArrayView firstLine);

// Reads one record after another, counting physical lines from 1.
class CsvRecordReader
{
public:
    enum class Status {
        Record,         // fields() holds the record (no fields for an empty line)
        End,            // no more records
        TooLong,        // the record's bytes exceed CsvMaxLineLength
        Unterminated,   // a quoted field is still open at the end of the file
    };

    CsvRecordReader(CsvReader &reader, char separator);

    // The field count a record of this file has. A field that opens with a
    // quotation mark and does not close on its line may go on over the next lines
    // only while the record still needs fields: where the line alone is complete,
    // or the record over several lines gets more than one field too many, or the
    // quotes never close, or a line they would swallow is a whole record without
    // quotation marks, the quotation mark is read as a character of the line and
    // quoteAsCharacter() says so. 0 (the default): any record is sensible.
    void setExpectedFields(int fields) { m_expected = fields; }
    bool quoteAsCharacter() const { return m_quoteAsChar; }

    // The file read is a copy of another whose lines are numbered otherwise (a
    // workbook's sheet written as CSV): `lineOf[k]` is the number of line k + 1.
    void setLineNumbers(const std::vector<int> *lineOf) { m_lineOf = lineOf; }

    Status next();
    // The line the last record began on, and the one it ended on.
    int line() const { return numbered(m_line); }
    int lastLine() const { return numbered(m_nextLine - 1); }
    // True when the last record began inside an open quoted field that ran past
    // the longest record (only meaningful after TooLong).
    bool inQuotes() const { return m_inQuotes; }
    const QList<QByteArrayView> &fields() const { return m_fields; }

private:
    int numbered(int physical) const
    {
        return m_lineOf && physical >= 1 && size_t(physical) <= m_lineOf->size() ? (*m_lineOf)[size_t(physical - 1)]
                                                                                 : physical;
    }
    Status cook();
    bool readLine(QByteArray &into);
    void cookPlain();
    bool dittoLine() const;
    int plainFields(const QByteArray &line) const;

    CsvReader &m_reader;
    char m_separator;
    int m_line = 0;
    int m_nextLine = 1;
    bool m_inQuotes = false;
    bool m_quoteAsChar = false;
    int m_expected = 0;
    const std::vector<int> *m_lineOf = nullptr;
    std::deque<QByteArray> m_pending;   // lines read ahead and given back
    QByteArray m_raw;
    QByteArray m_more;
    QByteArray m_cooked;
    std::vector<std::pair<qsizetype, qsizetype>> m_spans;
    QList<QByteArrayView> m_fields;
};

// An amount field read as people write it: "1 234,50", "1 234,50" with a no-break
// space, "1.234,50", "1,234.50", "150,-", "150 Kč", "12.50", "-150". Works on the
// bytes of Windows-1250 and UTF-8 alike.
// A single "," or "." followed by exactly three digits ("2.500", "1,234") is read
// as the decimal separator unless `threeDigitsAreThousands`; either way the
// amount says it was ambiguous. A negative amount keeps its minus sign.
struct CsvAmount {
    enum class State { Empty, Ok, Negative, Unreadable };
    State state = State::Empty;
    double value = 0;   // what is stored; for an unreadable text what the program's
                        // own rule gives (CsvAmountToFloat)
    bool ambiguous = false;
};
CsvAmount ReadCsvAmount(QByteArrayView text, bool threeDigitsAreThousands = false);

// The exclusion mark: 1 for any non-zero whole number (blanks around it allowed)
// and for "ano", "a", "x", "true", "yes"; 0 for an empty field, zero and "ne",
// "n", "false", "no" (letter case does not count). Anything else gives 0 and
// `ok` false.
int ReadCsvFlag(QByteArrayView text, bool *ok = nullptr);

// Fuzzing body over the record reader and the two readings above. Returns false
// when one of their guarantees does not hold.
bool fuzzCsvRecords(const std::uint8_t *data, std::size_t size);

} // namespace kvitanky
