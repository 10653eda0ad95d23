// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include "data/RemovalBackup.h"
#include "text/BoundedRead.h"
#include "text/Codepage.h"
#include "text/SingleLine.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace kvitanky {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(const QByteArray &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "[name]" -> name; an empty result means the line is not a section header.
bool sectionName(const QByteArray &raw, QByteArray *name)
{
    const QByteArray t = trimmed(raw);
    if (t.size() < 2 || t.front() != '[')
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    *name = trimmed(t.mid(1, close - 1));
    return true;
}

bool keyLine(const QByteArray &raw, QByteArray *key, QByteArray *value)
{
    const QByteArray t = trimmed(raw);
    if (t.isEmpty() || t.front() == ';' || t.front() == '[')
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return false;
    *key = trimmed(t.left(eq));
    if (value)
        *value = trimmed(t.mid(eq + 1));
    return true;
}

QByteArray unquoted(QByteArray v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

// What the reader returns whole: a value it would trim or unquote goes inside one
// more pair of double quotation marks.
QByteArray valueAsWritten(const QByteArray &value)
{
    return unquoted(trimmed(value)) == value ? value : '"' + value + '"';
}

QString decodeUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding);
    return decoder(bytes);
}

// Settings files saved by other tools: UTF-8 (with its byte-order mark, or text that
// is valid UTF-8 and nothing else), UTF-16 (with its mark, or a first line that
// starts with "[" or ";" and a zero byte). The bytes as Windows-1250; *foreign
// says whether they had to be converted.
QByteArray asCp1250(const QByteArray &raw, bool *foreign)
{
    *foreign = true;
    const auto startsWith = [&](const char *prefix, qsizetype n) { return raw.startsWith(QByteArrayView(prefix, n)); };
    if (startsWith("\xEF\xBB\xBF", 3))
        return toCp1250(QString::fromUtf8(raw.mid(3)));
    if (startsWith("\xFF\xFE", 2))
        return toCp1250(decodeUtf16(raw.mid(2), QStringDecoder::Utf16LE));
    if (startsWith("\xFE\xFF", 2))
        return toCp1250(decodeUtf16(raw.mid(2), QStringDecoder::Utf16BE));
    if (startsWith("[\0", 2) || startsWith(";\0", 2))
        return toCp1250(decodeUtf16(raw, QStringDecoder::Utf16LE));
    if (startsWith("\0[", 2) || startsWith("\0;", 2))
        return toCp1250(decodeUtf16(raw, QStringDecoder::Utf16BE));
    if (looksLikeUtf8(raw))
        return toCp1250(QString::fromUtf8(raw));
    *foreign = false;
    return raw;
}

} // namespace

IniDocument::IniDocument(const QByteArray &bytes)
{
    // A line ends at LF, at CR LF, at CR CR LF (the CR before the end is white space,
    // not part of the value) or at a bare CR, as the Windows profile functions read it.
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype next = end;
        while (next < n && bytes[next] == '\r')
            ++next;
        if (next < n && bytes[next] == '\n')
            ++next;
        m_lines.append({bytes.mid(pos, end - pos), bytes.mid(end, next - end)});
        pos = next;
    }
}

int IniDocument::findSection(const QByteArray &section) const
{
    QByteArray name;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].raw, &name) && sameName(name, section))
            return i;
    }
    return -1;
}

int IniDocument::findKey(int sectionLine, const QByteArray &key) const
{
    QByteArray name, k;
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].raw, &name))
            break;
        if (keyLine(m_lines[i].raw, &k, nullptr) && sameName(k, key))
            return i;
    }
    return -1;
}

int IniDocument::sectionEnd(int sectionLine) const
{
    QByteArray name;
    int last = sectionLine;
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].raw, &name))
            break;
        if (!trimmed(m_lines[i].raw).isEmpty())
            last = i;
    }
    return last + 1;
}

bool IniDocument::readString(const QString &section, const QString &key, QString *value) const
{
    const int s = findSection(toCp1250(section));
    if (s < 0)
        return false;
    const int k = findKey(s, toCp1250(key));
    if (k < 0)
        return false;
    QByteArray name, v;
    keyLine(m_lines[k].raw, &name, &v);
    v = unquoted(v);
    *value = fromCp1250(v.left(MaxValueLength));
    return true;
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value)
{
    const QByteArray sec = toCp1250(lineBreaksAsBlanks(section));
    const QByteArray k = toCp1250(lineBreaksAsBlanks(key));
    const QByteArray line = k + '=' + valueAsWritten(toCp1250(lineBreaksAsBlanks(value)));
    int s = findSection(sec);
    if (s < 0) {
        // A new section goes at the end of the file; the last line gets its end first.
        if (!m_lines.isEmpty() && m_lines.back().eol.isEmpty())
            m_lines.back().eol = "\r\n";
        m_lines.append({'[' + sec + ']', "\r\n"});
        m_lines.append({line, "\r\n"});
        return;
    }
    const int existing = findKey(s, k);
    if (existing >= 0) {
        m_lines[existing].raw = line;
        return;
    }
    const int at = sectionEnd(s);
    if (m_lines[at - 1].eol.isEmpty())
        m_lines[at - 1].eol = "\r\n";
    m_lines.insert(at, {line, "\r\n"});
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const Line &l : m_lines)
        out += l.raw + l.eol;
    return out;
}

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
    reloadIfChanged();
}

void IniFile::reloadIfChanged() const
{
    const QFileInfo info(m_path);
    const qint64 size = info.exists() ? info.size() : -1;
    const qint64 mtime = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    if (size == m_loadedSize && mtime == m_loadedMtime)
        return;
    // Reading a FIFO or a device would wait for ever, a huge file fill the memory.
    if (info.exists() && !info.isFile())
        throw IniError(QStringLiteral("Nastavení nelze načíst ze souboru '%1': nejde o soubor.")
                           .arg(m_path).toStdString());
    if (size > MaxFileSize)
        throw IniError(QStringLiteral("Nastavení nelze načíst ze souboru '%1': soubor má %2 MB, "
                                      "soubor nastavení má jen několik kB.")
                           .arg(m_path).arg(size / (1024 * 1024)).toStdString());
    QByteArray bytes;
    QFile f(m_path);
    if (f.open(QIODevice::ReadOnly))
        bytes = ReadBounded(f, size, MaxFileSize);
    m_doc = IniDocument(asCp1250(bytes, &m_foreignEncoding));
    m_loadedSize = size;
    m_loadedMtime = mtime;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (m_batchDepth == 0)
        reloadIfChanged();
    QString v;
    return m_doc.readString(section, key, &v) ? v : defaultValue;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    if (m_batchDepth == 0)
        reloadIfChanged();
    QString v;
    return m_doc.readString(section, key, &v);
}

bool IniFile::parseFlag(const QString &text, bool defaultValue)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return defaultValue;
    bool ok = false;
    qlonglong v;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    return ok ? v != 0 : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    if (m_batchDepth == 0)
        reloadIfChanged();
    QString v;
    if (!m_doc.readString(section, key, &v))
        return defaultValue;
    return parseFlag(v, defaultValue);
}

void IniFile::reloadForWrite()
{
    // What cannot be read as a settings file cannot be replaced by one either.
    try {
        reloadIfChanged();
    } catch (const IniError &) {
        throw IniError(QStringLiteral("Unable to write to %1").arg(m_path).toStdString());
    }
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (m_batchDepth == 0)
        reloadForWrite();
    m_doc.writeString(section, key, value);
    if (m_batchDepth > 0) {
        m_batchDirty = true;
        return;
    }
    store();
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::beginBatch()
{
    if (m_batchDepth == 0) {
        reloadForWrite();   // may throw: no batch is begun then
        m_batchDirty = false;
    }
    ++m_batchDepth;
}

void IniFile::endBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0 && m_batchDirty) {
        m_batchDirty = false;
        store();
    }
}

void IniFile::keepForeignOriginal()
{
    const QFileInfo info(m_path);
    try {
        backupBeforeRemoval(info.absolutePath(), info.fileName(),
                            QStringLiteral("Soubor je uložen v kódování UTF a bez zálohy se do Windows-1250 "
                                           "nepřevede."));
    } catch (const BackupError &e) {
        throw IniError(QStringLiteral("Unable to write to %1\n\n%2").arg(m_path, QString::fromUtf8(e.what())).toStdString());
    }
    m_foreignEncoding = false;
}

void IniFile::store()
{
    // A file another tool saved in UTF-8 or UTF-16 is replaced only once a copy of it is kept.
    if (m_foreignEncoding)
        keepForeignOriginal();
    QSaveFile f(m_path);
    // The folder may forbid new files while the settings file itself is writable.
    f.setDirectWriteFallback(false);
    const QByteArray bytes = m_doc.toBytes();
    // The explicit flush matters: commit() does not notice a failed flush of the last
    // buffered bytes (a full disk) and would rename a short file over the settings.
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush() || !f.commit()) {
        // Re-read what is really on disk, so the next write starts from it.
        m_loadedSize = m_loadedMtime = -2;
        throw IniError(QStringLiteral("Unable to write to %1").arg(m_path).toStdString());
    }
    const QFileInfo info(m_path);
    m_loadedSize = info.size();
    m_loadedMtime = info.lastModified().toMSecsSinceEpoch();
}

} // namespace kvitanky
