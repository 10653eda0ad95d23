// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the table-file tests: building files byte by byte and reading them back
// with other programs (dbfread, ogrinfo).
#pragma once

#include "TestSupport.h"
#include "data/DbfTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace dbftest {

// What a table operation throws, or "(no error)".
inline std::string errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const kvitanky::DbfError &e) {
        return e.what();
    }
    return "(no error)";
}

struct Column {
    const char *name;
    char type;
    int length;
    int decimals = 0;
};

// A table file as another program might write it; every header value can be forced.
struct FileSpec {
    uint8_t version = 0x03;
    uint8_t languageDriver = 0x00;
    std::vector<Column> columns;
    std::vector<QByteArray> records;   // each: flag byte + field bytes, padded/cut to size
    long long countOverride = -1;      // header's record count when >= 0
    int headerLengthOverride = -1;
    int recordLengthOverride = -1;
    bool terminator = true;
    int headerPadding = 0;             // bytes after the terminator (Visual FoxPro: 263)
    bool endMark = true;
    QByteArray trailing;               // junk after everything
};

inline int recordLength(const FileSpec &s)
{
    int n = 1;
    for (const Column &c : s.columns)
        n += c.length;
    return n;
}

inline QByteArray buildFile(const FileSpec &s)
{
    const int headerLength = 32 + 32 * int(s.columns.size()) + (s.terminator ? 1 : 0) + s.headerPadding;
    const int recLen = recordLength(s);
    QByteArray h(32, '\0');
    h[0] = char(s.version);
    h[1] = char(124);
    h[2] = 5;
    h[3] = 17;
    const uint32_t count = s.countOverride >= 0 ? uint32_t(s.countOverride) : uint32_t(s.records.size());
    for (int i = 0; i < 4; ++i)
        h[4 + i] = char((count >> (8 * i)) & 0xFF);
    const int hl = s.headerLengthOverride >= 0 ? s.headerLengthOverride : headerLength;
    const int rl = s.recordLengthOverride >= 0 ? s.recordLengthOverride : recLen;
    h[8] = char(hl & 0xFF);
    h[9] = char(hl >> 8);
    h[10] = char(rl & 0xFF);
    h[11] = char(rl >> 8);
    h[29] = char(s.languageDriver);
    for (const Column &c : s.columns) {
        QByteArray d(32, '\0');
        const QByteArray name(c.name);
        for (int i = 0; i < name.size() && i < 11; ++i)
            d[i] = name[i];
        d[11] = c.type;
        d[16] = char(c.length);
        d[17] = char(c.decimals);
        h += d;
    }
    if (s.terminator)
        h += char(0x0D);
    h += QByteArray(s.headerPadding, '\0');
    for (QByteArray r : s.records) {
        r = r.leftJustified(recLen, ' ', true);
        h += r;
    }
    if (s.endMark)
        h += char(0x1A);
    h += s.trailing;
    return h;
}

inline bool haveDbfread()
{
    static const bool have = testsupport::havePythonModule(QStringLiteral("dbfread"));
    return have;
}

inline bool haveOgrinfo()
{
    static const bool have = testsupport::haveProgram(QStringLiteral("ogrinfo"));
    return have;
}

// dbfread's view: {"fields": [[name, type, length, decimals]...], "records": [{...}],
// "encoding": ...}. Empty when dbfread failed.
inline QJsonObject readWithDbfread(const QString &path)
{
    static const char *script =
        "import sys, json, dbfread\n"
        "t = dbfread.DBF(sys.argv[1], load=False, char_decode_errors='replace', ignore_missing_memofile=True)\n"
        "out = {'fields': [[f.name, f.type, f.length, f.decimal_count] for f in t.fields],\n"
        "       'encoding': t.encoding, 'records': [dict(r) for r in t]}\n"
        "print(json.dumps(out, default=str))\n";
    int code = -1;
    QByteArray err;
    const QByteArray out = testsupport::runProgram(testsupport::debianPython(),
                                                   {QStringLiteral("-c"), QString::fromLatin1(script), path},
                                                   &code, &err);
    if (code != 0) {
        ADD_FAILURE() << "dbfread failed on " << path.toStdString() << ": " << err.toStdString();
        return {};
    }
    return QJsonDocument::fromJson(out).object();
}

struct OgrTable {
    QMap<QString, QString> fieldTypes;    // name -> "Real (20.4)"
    QList<QMap<QString, QString>> rows;   // name -> value text
    int featureCount = -1;
};

// ogrinfo -al: the layer's schema, feature count and every feature's values.
inline OgrTable readWithOgrinfo(const QString &path)
{
    OgrTable t;
    int code = -1;
    QByteArray err;
    const QByteArray out = testsupport::runProgram(QStringLiteral("ogrinfo"),
                                                   {QStringLiteral("-al"), QStringLiteral("-ro"), path}, &code, &err);
    if (code != 0) {
        ADD_FAILURE() << "ogrinfo failed on " << path.toStdString() << ": " << err.toStdString();
        return t;
    }
    static const QRegularExpression schema(QStringLiteral("^(\\w+): (\\w+ \\(.*\\))$"));
    static const QRegularExpression value(QStringLiteral("^  (\\w+) \\((\\w+)(\\(.*\\))?\\) = (.*)$"));
    static const QRegularExpression count(QStringLiteral("^Feature Count: (\\d+)$"));
    for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'))) {
        QRegularExpressionMatch m;
        if (line.startsWith(QLatin1String("OGRFeature("))) {
            t.rows.append(QMap<QString, QString>());
        } else if ((m = value.match(line)).hasMatch() && !t.rows.isEmpty()) {
            t.rows.last()[m.captured(1)] = m.captured(4);
        } else if ((m = count.match(line)).hasMatch()) {
            t.featureCount = m.captured(1).toInt();
        } else if (t.rows.isEmpty() && (m = schema.match(line)).hasMatch()) {
            t.fieldTypes[m.captured(1)] = m.captured(2);
        }
    }
    return t;
}

// Bytes and modification time, to show a file was left alone.
struct FileState {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FileState &o) const { return bytes == o.bytes && modified == o.modified; }
};

inline FileState fileState(const QString &path)
{
    return {testsupport::readFile(path), QFileInfo(path).lastModified()};
}

} // namespace dbftest
