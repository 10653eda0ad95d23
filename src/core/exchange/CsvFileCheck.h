// SPDX-License-Identifier: GPL-3.0-or-later
// A look at the bytes of a file chosen for import before anything is read as
// records: its encoding, and whether it is a CSV text at all.
#pragma once

#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace kvitanky {

// How the bytes of a CSV file are read as text. Windows-1250 is the program's own
// encoding; a file with a UTF-8 byte-order mark, or whose bytes above 127 all form
// valid UTF-8, is read as UTF-8.
enum class CsvEncoding { Cp1250, Utf8 };

// Files above this size are refused before they are read.
inline constexpr qint64 CsvMaxFileSize = qint64(1) << 30;

struct CsvFileCheck {
    CsvEncoding encoding = CsvEncoding::Cp1250;
    qint64 contentStart = 0;   // behind a byte-order mark
    enum class Utf16 { No, LittleEndian, BigEndian } utf16 = Utf16::No;
    QString refusal;           // why the file cannot be imported (Czech, names the file); empty when it can
};

// Reads the whole device from its start (stopping at a Ctrl-Z). `shownPath` is the
// file's name as the messages give it. A UTF-16 file is only recognised: convert it
// with ConvertCsvUtf16 and check the result.
CsvFileCheck CheckCsvFile(QIODevice &device, const QString &shownPath);

// Copies a UTF-16 file (from behind its byte-order mark, if any) as UTF-8.
bool ConvertCsvUtf16(QIODevice &in, QIODevice &out, CsvFileCheck::Utf16 order);

// The encoding alone (see CheckCsvFile).
CsvEncoding DetectCsvEncoding(QIODevice &device, qint64 *contentStart);
QString DecodeCsvField(QByteArrayView bytes, CsvEncoding encoding);

} // namespace kvitanky
