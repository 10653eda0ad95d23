// SPDX-License-Identifier: GPL-3.0-or-later
// The recipient columns a CSV file can fill, and a header line that names them.
#pragma once

#include "data/RecipientColumns.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace kvitanky {

// The columns of the recipient table in the order of the full CSV layout: the
// table's own (RecipientColumns.h), a column's index being its RecipientColumn.
inline constexpr int CsvColumnCount = RecipientColumnCount;
inline constexpr std::array<const char *, CsvColumnCount> CsvColumnNames = {
#define KVITANKY_CSV_COLUMN_NAME(id, name, ...) name,
    KVITANKY_RECIPIENT_COLUMNS(KVITANKY_CSV_COLUMN_NAME)
#undef KVITANKY_CSV_COLUMN_NAME
};
inline constexpr int CsvAmountColumn = int(RecipientColumn::Amount);
inline constexpr int CsvFlagColumn = int(RecipientColumn::Excluded);

// The column a header text names, or -1. Letter case, diacritics, blanks and
// punctuation do not count: "Příjmení", "PRIJMENI", "Var. symbol", "VS" and
// "Variabilní symbol" all name their column.
int CsvColumnForName(const QString &name);

struct CsvHeader {
    bool found = false;            // the line is a header
    std::vector<int> columnOf;     // per field position: the column it fills, or -1
    QStringList unknown;           // names of header fields that fill no column
};

// Decides whether a file's first line names columns: at least two of its fields
// do, or every non-empty one does. A name given twice fills its column once.
CsvHeader RecogniseCsvHeader(const QStringList &fields);

// The mapping the user chose for a header (per field position: the column it fills,
// or -1), kept in `memoryFile` and offered the next time the same header comes.
// Recall gives an empty list for a header never seen.
std::vector<int> RecallCsvColumns(const QString &memoryFile, const QStringList &header);
void RememberCsvColumns(const QString &memoryFile, const QStringList &header, const std::vector<int> &columnOf);

} // namespace kvitanky
