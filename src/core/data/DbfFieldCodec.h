// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of one column in a record, read as text or a number and written from
// either: every column type other programs store (C, N, F, L, D, I, Y, B, T, ...).
#pragma once

#include "data/DbfLayout.h"

#include <QByteArray>
#include <QString>

namespace kvitanky {

class DbfFile;

class DbfFieldCodec
{
public:
    // Errors name `file`'s path; texts use its code page and decimal separator.
    explicit DbfFieldCodec(const DbfFile &file) : m_file(file) {}

    QByteArray blankRecord() const;   // every column empty, the row live

    // The value of column `c` in record `rec` (none: empty text, 0).
    QString text(const DbfColumn &c, const char *rec) const;
    double number(const DbfColumn &c, const char *rec) const;
    int integer(const DbfColumn &c, const char *rec) const;

    // Writes a value into column `c` of the pending record; `pending` is null when
    // no record is being edited, which is an error naming the column.
    void setText(const DbfColumn &c, const QString &value, QByteArray *pending) const;
    void setNumber(const DbfColumn &c, double v, QByteArray *pending) const;
    // setText of the bytes' text in code page `cp`, without decoding where the
    // column keeps the bytes as they are.
    void setEncodedText(const DbfColumn &c, QByteArrayView bytes, Codepage cp, QByteArray *pending) const;

private:
    [[noreturn]] void fail(const QString &reason) const;
    [[noreturn]] void notANumber(const DbfColumn &c, const QString &value) const;
    [[noreturn]] void readOnlyColumn(const DbfColumn &c) const;
    char *pendingField(const DbfColumn &c, QByteArray *pending) const;
    void clearField(const DbfColumn &c, QByteArray *pending) const;

    const DbfFile &m_file;
};

} // namespace kvitanky
