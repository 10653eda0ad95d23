// SPDX-License-Identifier: GPL-3.0-or-later
// Single-byte code pages of the files the program shares with other programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace kvitanky {

enum class Codepage { Cp1250, Cp1252, Cp852 };

// Bytes in the given code page to text. A byte the code page leaves undefined becomes
// the control character of the same number (0x81 -> U+0081), as on Windows, and is
// encoded back to the same byte.
QString decode(const QByteArray &bytes, Codepage cp = Codepage::Cp1250);
QString decode(const char *data, qsizetype size, Codepage cp = Codepage::Cp1250);
// Text to bytes in the given code page; a character the code page lacks becomes '?'.
QByteArray encode(const QString &text, Codepage cp = Codepage::Cp1250);

// True when encoding the decoded bytes gives every byte back (Windows-1250 does).
bool keepsEveryByte(Codepage cp);

// True when `encode` keeps every character of `text`: nothing would become '?'.
bool canEncode(QStringView text, Codepage cp = Codepage::Cp1250);

// Shorthands for the program's own files, which are all Windows-1250.
inline QString fromCp1250(const QByteArray &bytes) { return decode(bytes, Codepage::Cp1250); }
inline QByteArray toCp1250(const QString &text) { return encode(text, Codepage::Cp1250); }
inline bool canEncodeCp1250(QStringView text) { return canEncode(text, Codepage::Cp1250); }

// True when every byte sequence above 0x7F forms valid UTF-8 (and there is at least one).
bool looksLikeUtf8(const QByteArray &bytes);

} // namespace kvitanky
