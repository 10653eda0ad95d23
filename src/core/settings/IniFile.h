// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: a Windows-style INI file in Windows-1250 that keeps the
// private-profile rules existing users' files were written with.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <stdexcept>

namespace kvitanky {

class IniError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Parsed view of INI bytes; the parser the file object and the fuzzer share.
//   - section and key names match without regard to letter case;
//   - LF, CR LF, CR CR LF and a bare CR all end a line;
//   - a value is the rest of its line after "=", trimmed, with one pair of
//     enclosing quotation marks (single or double) removed, cut at 2047 characters;
//   - the first of duplicate sections or keys wins; comment lines (";"), lines before
//     the first section and key lines without "=" are kept but never match;
//   - a value the reader would change (blanks at either end, a pair of enclosing
//     quotation marks) is written inside one more pair of double quotation marks.
class IniDocument
{
public:
    static constexpr int MaxValueLength = 2047;

    explicit IniDocument(const QByteArray &bytes = {});

    bool readString(const QString &section, const QString &key, QString *value) const;
    // No value may split a line of the file: a line break in a name or a value is
    // written as one blank (what a single-line box shows for it).
    void writeString(const QString &section, const QString &key, const QString &value);
    QByteArray toBytes() const;

private:
    struct Line {
        QByteArray raw;     // the line as it stands, without its line end
        QByteArray eol;     // "\r\n", "\n", "\r", "\r\r\n", ... or "" (last line without an end)
    };
    int findSection(const QByteArray &section) const;         // index of its header line, -1
    int findKey(int sectionLine, const QByteArray &key) const; // index of the key line, -1
    int sectionEnd(int sectionLine) const;                     // first line after the section's last non-blank line

    QList<Line> m_lines;
};

// The settings file object: reads with a default and writes at once. Each write
// replaces the file through a new file renamed over the old one, so a crash never
// leaves a truncated file behind.
//
// A file another tool saved as UTF-8 or UTF-16 is read as such; the first write
// keeps a copy of it in the backup folder ("Data" beside it) and replaces it with
// the Windows-1250 file. Anything that is not a plain file (a FIFO, a device), and a
// file far larger than any settings file, is refused with IniError.
class IniFile
{
public:
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Throws IniError when the file cannot serve as a settings file.
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Windows-style integer flag: decimal, or hexadecimal after 0x; missing,
    // empty or non-numeric gives the default.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    bool hasKey(const QString &section, const QString &key) const;

    // Throws IniError("Unable to write to <path>") when the file cannot be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeBool(const QString &section, const QString &key, bool value);

    // Several writes as one replacement of the file (the save of all settings).
    void beginBatch();
    void endBatch();

    static bool parseFlag(const QString &text, bool defaultValue);

private:
    void reloadIfChanged() const;
    void reloadForWrite();
    void keepForeignOriginal();
    void store();

    QString m_path;
    mutable IniDocument m_doc;
    mutable qint64 m_loadedSize = -1;
    mutable qint64 m_loadedMtime = -1;
    mutable bool m_foreignEncoding = false;   // the file on disk is UTF-8 or UTF-16
    int m_batchDepth = 0;
    bool m_batchDirty = false;
};

} // namespace kvitanky
