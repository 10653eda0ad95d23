// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvSniff.h"

#include "exchange/CsvRecords.h"

#include <map>

namespace kvitanky {

namespace {

constexpr int HeaderSearchRecords = 5;

} // namespace

CsvSniffed SniffCsvHead(const QByteArray &head, CsvEncoding encoding, const std::vector<int> *lineOf)
{
    CsvSniffed out;
    int bestScore = 0;
    for (const char sep : {';', '\t', ','}) {
        // Quotation marks used as ditto marks must not merge lines here either: the
        // records are read expecting the field count most lines without quotation
        // marks have.
        std::map<int, int> plain;
        for (const QByteArray &l : head.split('\n'))
            if (!l.isEmpty() && !l.contains('"'))
                ++plain[int(l.count(sep)) + 1];
        int plainModal = 0, plainMost = 0;
        for (const auto &[n, many] : plain)
            if (n >= 2 && many >= plainMost) {
                plainModal = n;
                plainMost = many;
            }
        if (sep != ';' && out.separator == ';' && out.fields >= CsvFullPositions)
            break;
        // A workbook's copy separates its cells by ";", whatever its texts hold.
        if (sep != ';' && lineOf)
            break;
        // Where most records hold line breaks in quoted fields (as our own export
        // writes them), the lines without quotation marks are only pieces of
        // records: the records read as quoted fields say more than those pieces.
        int modal = 0, score = 0;
        for (const int expected : {plainModal, 0}) {
            CsvReader reader(head);
            CsvRecordReader records(reader, sep);
            records.setExpectedFields(expected);
            std::map<int, int> lines;
            while (records.next() == CsvRecordReader::Status::Record)
                if (!records.fields().isEmpty())
                    ++lines[int(records.fields().size())];
            int thisModal = 0, thisScore = 0;
            for (const auto &[n, many] : lines)
                if (n >= 2 && many >= thisScore) {
                    thisModal = n;
                    thisScore = many;
                }
            // The program's own layout read through quoted fields wins.
            const bool ownLayout = expected == 0 && sep == ';' && thisModal >= CsvFullPositions;
            if (thisScore > score || (ownLayout && thisScore > 0)) {
                modal = thisModal;
                score = thisScore;
            }
            if (expected == 0)
                break;
        }
        // The program's own separator wins wherever it splits lines the same way.
        if (score > bestScore || (sep == ';' && score > 0 && modal >= CsvFullPositions)) {
            bestScore = score;
            out.separator = sep;
            out.fields = modal;
        }
    }
    CsvReader reader(head);
    CsvRecordReader records(reader, out.separator);
    records.setExpectedFields(out.fields);
    records.setLineNumbers(lineOf);
    int seen = 0;
    QList<int> oneField;
    while (seen < HeaderSearchRecords && records.next() == CsvRecordReader::Status::Record) {
        const QList<QByteArrayView> &fields = records.fields();
        if (fields.isEmpty())
            continue;
        ++seen;
        QStringList names;
        int nonEmpty = 0;
        for (QByteArrayView f : fields) {
            names << DecodeCsvField(f, encoding);
            nonEmpty += !f.trimmed().isEmpty();
        }
        const CsvHeader h = RecogniseCsvHeader(names);
        if (h.found) {
            out.header = h;
            out.headerNames = names;
            out.headerLine = records.line();
            out.firstDataLine = records.line() + 1;
            out.captions = oneField;
            return out;
        }
        // A full row of data: the header, if any, stood above it. Further down, a
        // line that happens to read as column names is data.
        if (out.fields >= 2 && int(fields.size()) >= out.fields)
            break;
        if (nonEmpty == 1 && out.fields >= 3 && int(fields.size()) < out.fields && oneField.size() + 1 == seen)
            oneField << records.line();
    }
    // No header: the caption lines above the first row are skipped.
    if (!oneField.isEmpty()) {
        out.captions = oneField;
        out.firstDataLine = oneField.back() + 1;
    }
    return out;
}

} // namespace kvitanky
