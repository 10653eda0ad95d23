// SPDX-License-Identifier: GPL-3.0-or-later
// The text a workbook's cell shows for the value it stores: numbers in the general
// format, dates the Czech way. Shared by the readers of the workbook's XML.
#pragma once

#include <QString>

namespace kvitanky::workbook {

// A number as the spreadsheet shows it in its general format: no exponent, no
// trailing zeros, a '.' for the decimal point whatever the locale. `ok` is false
// (and the text stays as it was) when it is no number.
QString numberText(const QString &raw, bool *ok);
// An ISO date or date-time (as .ods and strict .xlsx store them) in the Czech way.
QString isoDateText(const QString &iso);
// A serial day number of the 1900 (or 1904) date system; empty when out of range.
QString serialDateText(const QString &raw, bool date1904);

} // namespace kvitanky::workbook
