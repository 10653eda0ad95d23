// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers in table files and on screen, independent of the C locale.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kvitanky::dbfnumber {

// A decimal number as a user or another program writes it: blanks around it, an
// optional sign, "," or "." as the decimal separator, an optional exponent.
// Empty text is no number; std::nullopt when the text is not a finite number.
std::optional<double> parseDecimal(QStringView text);
std::optional<double> parseDecimal(const QByteArray &ascii);

// The text of a numeric column of the given width and decimals, right-aligned.
// Whole-number columns (no decimals) get the value rounded. Other columns get the
// declared decimals when that keeps the value exactly, else the shortest text that
// reads back as the same double. Empty when that does not fit the width.
QByteArray columnText(double value, int width, int decimals);

// Shortest general form, up to 15 significant digits ("999999,5", "1E20").
QString general(double value, QChar decimalSeparator);

// Shortest text that reads back as the same double, with a decimal point.
QByteArray shortest(double value);

} // namespace kvitanky::dbfnumber
