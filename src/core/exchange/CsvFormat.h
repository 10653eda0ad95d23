// SPDX-License-Identifier: GPL-3.0-or-later
// The byte-level rules of the program's semicolon-separated files.
//
// A line ends at LF, at a CR that is not followed by CRs and an LF, or at the end
// of the file; other CRs are dropped (CR LF and CR CR LF end one line); a Ctrl-Z
// (26) ends the file; a line's content ends at its first NUL.
// The import reads its records from these lines through CsvRecords.h, which also
// takes "," or a tab as the separator and reads a field that begins with a
// quotation mark the way spreadsheets write it; the export puts a text holding ";",
// a quotation mark or a line break between quotation marks (CsvExport.h).
// SplitCsvLine below is the plain split without quoting: fields separated by ";",
// a quotation mark inside a field becomes a blank and nothing is trimmed.
// All of it is locale-independent.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>

class QIODevice;

namespace kvitanky {

// The longest line (in bytes, CRs not counted) that an import accepts.
inline constexpr int CsvMaxLineLength = 765;
// Positions of the full format (twelve columns and the empty field behind the
// final ";") and of the six-column format (six columns and one spare).
inline constexpr int CsvFullPositions = 13;
inline constexpr int Csv6Positions = 7;

class CsvReader;
bool ReadCsvLineInto(CsvReader &reader, QByteArray &content);

// Buffered reading of a CSV file. Stops for good at a Ctrl-Z.
class CsvReader
{
public:
    explicit CsvReader(QIODevice *device);
    // For text already in memory (tests, fuzzing).
    explicit CsvReader(const QByteArray &bytes);

    // True when the file has no more bytes or a Ctrl-Z was met.
    bool atEnd();
    // Bytes consumed so far, counted from where reading started.
    qint64 position() const { return m_consumed; }

private:
    friend bool ReadCsvLineInto(CsvReader &reader, QByteArray &content);
    bool fill();
    bool crsEndAtLf(qint64 &crs);

    QIODevice *m_device = nullptr;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0;
    bool m_ended = false;
    // Empty lines still owed: CRs that were each a line end of their own, read
    // together across the end of a piece.
    qint64 m_emptyLines = 0;
};

struct CsvLine {
    QByteArray content;   // the bytes of the line before its first NUL, CRs dropped
    bool tooLong = false; // the line reached CsvMaxLineLength + 1 bytes; content is not usable
};

// The next line of the file. A too-long line is reported once more than 765 of its
// bytes are read; the reader then stands somewhere inside that line.
CsvLine ReadCsvLine(CsvReader &reader);
// The same into a buffer that keeps its capacity from line to line; returns false
// for a too-long line.
bool ReadCsvLineInto(CsvReader &reader, QByteArray &content);

// The line's fields by position (1 is index 0); always exactly `positions` entries,
// the missing ones empty. A field beyond the last position is dropped.
QList<QByteArray> SplitCsvLine(const QByteArray &line, int positions);
// The same without copies: `line` has its quotation marks turned into blanks in
// place and `fields` (resized to `positions`) views into it.
void SplitCsvLineInPlace(QByteArray &line, int positions, QList<QByteArrayView> &fields);

// The bytes an amount field keeps: digits, "," and ".".
bool IsCsvAmountChar(char c);

// An amount field as a number: everything but digits and separators is dropped (the
// minus sign too), then a single "," or "." is the decimal separator whatever the
// locale. Anything that does not convert gives 0.
double CsvAmountToFloat(QByteArrayView text);

// The amount as the export writes it: the shortest general form with up to 15
// significant digits, no thousands separator, always a decimal comma
// (1234.5 -> "1234,5", -80 -> "-80", 0.25 -> "0,25").
QByteArray FloatToCsvText(double amount);

// Fuzzing body over the line reader, the splitter and the amount conversion.
// Returns false when one of their guarantees does not hold.
bool fuzzCsvInput(const std::uint8_t *data, std::size_t size);

} // namespace kvitanky
