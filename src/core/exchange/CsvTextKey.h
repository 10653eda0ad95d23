// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of a CSV field the import compares rows by, worked out on the field's
// bytes: a row of a long file costs no QString of its own.
//
// Each gives exactly what the same steps on the decoded text give (DecodeCsvField,
// then QString's trimmed(), toCaseFolded(), qHash), so a field read either way
// meets the other.
#pragma once

#include "exchange/CsvFileCheck.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

namespace kvitanky {

// qHash of the field's text with the blanks around it dropped, and case-folded
// when `fold`. `empty` (if given) says whether that text is empty.
std::size_t CsvTextHash(QByteArrayView bytes, CsvEncoding encoding, bool fold, bool *empty = nullptr);

// The field as the table keeps it: its text in Windows-1250, cut to `size` bytes,
// the blanks and NULs at its end dropped. Views `bytes` where it can, else
// `scratch`.
QByteArrayView CsvKeptBytes(QByteArrayView bytes, CsvEncoding encoding, qsizetype size, QByteArray &scratch);

// True when every byte is below 128: the same text in UTF-8 and every code page.
bool IsAsciiText(QByteArrayView bytes);

} // namespace kvitanky
