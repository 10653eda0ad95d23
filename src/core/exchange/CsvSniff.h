// SPDX-License-Identifier: GPL-3.0-or-later
// The first lines of a file say how it is written: the separator is the one that
// gives the same field count on most of them, the header is the first of the first
// few records that names columns, and one-field lines above the rows are captions.
#pragma once

#include "exchange/CsvColumns.h"
#include "exchange/CsvFileCheck.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <vector>

namespace kvitanky {

struct CsvSniffed {
    char separator = ';';
    int fields = 0;             // the field count most lines have
    int headerLine = 0;
    CsvHeader header;
    QStringList headerNames;
    int firstDataLine = 1;
    QList<int> captions;
};

// The lines looked at.
inline constexpr int CsvSniffedLines = 12;

// `head`: the first lines, each ended by a line feed. `lineOf`: the numbers of the
// lines of a workbook's copy (see CsvRecordReader::setLineNumbers), whose cells are
// separated by ";" whatever they hold; null for a CSV file.
CsvSniffed SniffCsvHead(const QByteArray &head, CsvEncoding encoding, const std::vector<int> *lineOf);

} // namespace kvitanky
