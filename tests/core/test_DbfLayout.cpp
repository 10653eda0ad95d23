// SPDX-License-Identifier: GPL-3.0-or-later
// Column layouts of other programs: read at the columns' true places, written only
// where every byte of the record is understood, otherwise shown read-only.
#include "data/DbfTable.h"
#include "text/Codepage.h"

#include "test_DbfSupport.h"

#include <QDate>
#include <QDateTime>
#include <QDir>

#include <cstdio>
#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

QString fixedFile(const char *name)
{
    return testsupport::sourceDir() + QStringLiteral("/tests/data/dbf/") + QString::fromLatin1(name);
}

// Byte ranges of a file that differ from another's.
QList<QPair<int, int>> changedRanges(const QByteArray &a, const QByteArray &b)
{
    QList<QPair<int, int>> out;
    const int n = int(qMax(a.size(), b.size()));
    for (int i = 0; i < n; ++i) {
        if (i < a.size() && i < b.size() && a[i] == b[i])
            continue;
        if (!out.isEmpty() && out.last().second == i)
            out.last().second = i + 1;
        else
            out.append({i, i + 1});
    }
    return out;
}

TEST(ClipperLongColumn, ReadAtTrueOffsetsAndAnEditTouchesOnlyItsColumn)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("Data.dbf"));
    ASSERT_TRUE(QFile::copy(fixedFile("clipper-long-column.dbf"), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = testsupport::readFile(path);
    {
        DbfTable t;
        t.setTableName(path);
        t.setActive(true);
        EXPECT_FALSE(t.isReadOnly()) << t.readOnlyReason().toStdString();
        EXPECT_EQ(t.openNotice(), QString());
        ASSERT_EQ(t.fields().size(), 4);
        EXPECT_EQ(t.fields()[1].size, 1000);
        EXPECT_EQ(t.fieldByName(QStringLiteral("PRIJMENI")).asString(), QStringLiteral("Novák"));
        EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), 123.5);
        EXPECT_EQ(t.fieldByName(QStringLiteral("POZNAMKA")).asString(),
                  QStringLiteral("Dlouhá poznámka ").repeated(40).trimmed());
        t.next();
        EXPECT_EQ(t.fieldByName(QStringLiteral("POZNAMKA")).asString().right(2), QStringLiteral("xZ"));
        EXPECT_EQ(t.fieldByName(QStringLiteral("PRIJMENI")).asString(), QStringLiteral("Svobodová"));
        t.edit();
        t.fieldByName(QStringLiteral("PRIJMENI")).setAsString(QStringLiteral("Dvořák"));
        t.post();
    }
    const QByteArray after = testsupport::readFile(path);
    const int headerLength = 32 + 32 * 4 + 1;
    const int prijmeni = headerLength + 1041 + 1 + 1010;   // second record, after JMENO and POZNAMKA
    for (const auto &[from, to] : changedRanges(before, after))
        EXPECT_TRUE((from >= 1 && to <= 8) || (from >= prijmeni && to <= prijmeni + 20)) << from << ".." << to;
    EXPECT_EQ(after.mid(prijmeni, 20), QByteArray("Dvo\xF8\xE1k").leftJustified(20, ' '));
}

// ---------------------------------------------------------------- random layouts

// A column as a small independent writer lays it out.
struct Col {
    QByteArray name;
    char type;
    int length;        // true length in bytes
    int lengthByte;    // as stored
    int decimalsByte;  // as stored
};

struct Layout {
    QList<Col> cols;
    int recordLength = 0;   // as stored
    bool exact = true;      // the stored record length is the columns' sum + 1
    bool long_ = false;     // a character column longer than 255 bytes
    bool stray = false;     // a short character column with a decimals byte
    bool plainTypes = true; // only C, N, L, D
};

Layout randomLayout(std::mt19937 &rng)
{
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    Layout l;
    const int n = 1 + pick(8);
    int sum = 1;
    for (int i = 0; i < n; ++i) {
        Col c;
        c.name = "COL" + QByteArray::number(i);
        switch (pick(10)) {
        case 0: c.type = 'N'; c.length = 1 + pick(20); c.decimalsByte = c.length > 2 && pick(2) ? pick(c.length - 2) : 0; break;
        case 1: c.type = 'L'; c.length = 1; c.decimalsByte = 0; break;
        case 2: c.type = 'D'; c.length = 8; c.decimalsByte = 0; break;
        case 3: {
            static const char odd[] = {'V', 'M', '0', 'I', 'Q', '+'};
            c.type = odd[pick(6)];
            c.length = c.type == 'M' ? 10 : c.type == 'I' || c.type == '+' ? 4 : 1 + pick(12);
            c.decimalsByte = 0;
            l.plainTypes = false;
            break;
        }
        default:   // character columns, across 255 bytes, with a stray decimals byte now and then
            c.type = 'C';
            c.length = 1 + (pick(4) == 0 ? pick(700) : pick(40));
            c.decimalsByte = c.length > 255 ? c.length >> 8 : (pick(6) == 0 ? 1 + pick(5) : 0);
            l.long_ = l.long_ || c.length > 255;
            l.stray = l.stray || (c.length <= 255 && c.decimalsByte > 0);
            break;
        }
        c.lengthByte = c.length & 0xFF;
        if (c.lengthByte == 0) {   // a multiple of 256 would need a zero length byte
            ++c.length;
            c.lengthByte = 1;
        }
        sum += c.length;
        l.cols.append(c);
    }
    l.recordLength = sum;
    if (pick(4) == 0) {
        const int delta = pick(2) || sum < 3 ? 1 + pick(6) : -1 - pick(qMin(6, sum - 2));
        if (sum + delta > 1) {
            l.recordLength = sum + delta;
            l.exact = false;
        }
    }
    return l;
}

QByteArray cellBytes(const Col &c, std::mt19937 &rng, QString *text)
{
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    switch (c.type) {
    case 'C': {
        static const QString letters = QStringLiteral("abcxyzABČŘŽščřáé 019");
        QString s;
        const int n = pick(qMin(c.length, 30) + 1);
        for (int i = 0; i < n; ++i)
            s += letters[pick(int(letters.size()))];
        s = s.trimmed();
        *text = s;
        QByteArray b = encode(s, Codepage::Cp1250);
        return b.leftJustified(c.length, ' ', true);
    }
    case 'N': {
        const int digits = qMin(c.length - (c.decimalsByte ? c.decimalsByte + 1 : 0), 9);
        if (digits < 1) {
            *text = QString();
            return QByteArray(c.length, ' ');
        }
        long long whole = pick(2) ? rng() % 1000 : 0;
        while (QByteArray::number(whole).size() > digits)
            whole /= 10;
        QByteArray t = QByteArray::number(whole);
        double v = double(whole);
        if (c.decimalsByte) {
            t += '.' + QByteArray(c.decimalsByte, '5');
            v = t.toDouble();
        }
        *text = DbfTable::formatGeneral(v, DbfTable::systemDecimalSeparator());
        return t.rightJustified(c.length, ' ');
    }
    case 'L':
        *text = pick(2) ? QStringLiteral("True") : QStringLiteral("False");
        return *text == QLatin1String("True") ? "T" : "F";
    case 'D': {
        const QDate d = QDate(1990, 1, 1).addDays(pick(12000));
        *text = d.toString(Qt::ISODate);
        return d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    }
    default:
        *text = QString();
        return QByteArray(c.length, c.type == 'M' ? ' ' : '\0');
    }
}

QByteArray writeTable(const Layout &l, const QList<QList<QByteArray>> &rows)
{
    const int headerLength = 32 + 32 * int(l.cols.size()) + 1;
    QByteArray f(32, '\0');
    f[0] = 0x03;
    f[1] = char(120);
    f[2] = 1;
    f[3] = 1;
    f[4] = char(rows.size());
    f[8] = char(headerLength & 0xFF);
    f[9] = char(headerLength >> 8);
    f[10] = char(l.recordLength & 0xFF);
    f[11] = char(l.recordLength >> 8);
    f[29] = char(0xC8);
    for (const Col &c : l.cols) {
        QByteArray d(32, '\0');
        d.replace(0, int(c.name.size()), c.name);
        d[11] = c.type;
        d[16] = char(c.lengthByte);
        d[17] = char(c.decimalsByte);
        f += d;
    }
    f += '\r';
    for (const QList<QByteArray> &r : rows) {
        QByteArray rec = " " + r.join();
        f += rec.leftJustified(l.recordLength, ' ', true);
    }
    f += '\x1a';
    return f;
}

TEST(RandomLayouts, ReadTrulyAndEditOnlyTheColumnOrStayUntouched)
{
    // KVITANKY_SEED repeats a run.
    const unsigned seed = qEnvironmentVariableIsSet("KVITANKY_SEED") ? qEnvironmentVariableIntValue("KVITANKY_SEED")
                                                                    : unsigned(QDateTime::currentMSecsSinceEpoch());
    std::printf("RandomLayouts seed %u\n", seed);
    std::fflush(stdout);
    std::mt19937 rng(seed);
    TempDir dir;
    int written = 0, readOnly = 0;
    for (int trial = 0; trial < 250; ++trial) {
        const Layout l = randomLayout(rng);
        QList<QList<QByteArray>> rows;
        QList<QStringList> texts;
        for (int r = 0; r < 3; ++r) {
            rows.append(QList<QByteArray>());
            texts.append(QStringList());
            for (const Col &c : l.cols) {
                QString t;
                rows.last().append(cellBytes(c, rng, &t));
                texts.last().append(t);
            }
        }
        const QString path = dir.file(QStringLiteral("t%1.dbf").arg(trial));
        const QByteArray before = writeTable(l, rows);
        testsupport::writeFile(path, before);
        SCOPED_TRACE(testing::Message() << "seed " << seed << " trial " << trial);

        DbfTable t;
        t.setTableName(path);
        t.setActive(true);
        ASSERT_EQ(t.recordCount(), 3);
        ASSERT_EQ(t.fieldCount(), l.cols.size());
        // Long columns beside a stray decimals byte: no reader can tell which is which.
        const bool readable = l.exact && !(l.long_ && l.stray);
        if (readable) {
            // Every column reads as the writer put it, whether writable or not.
            for (int r = 0; r < 3; ++r, t.next()) {
                for (int i = 0; i < l.cols.size(); ++i) {
                    if (QByteArray("CNLD").contains(l.cols[i].type)) {
                        ASSERT_EQ(t.fieldByName(QString::fromLatin1(l.cols[i].name)).asString(), texts[r][i])
                            << "column " << i << " row " << r;
                    }
                }
            }
        }
        if (readable && l.plainTypes) {
            ASSERT_FALSE(t.isReadOnly()) << t.readOnlyReason().toStdString();
        }
        if (!readable) {
            ASSERT_TRUE(t.isReadOnly());
        }

        if (t.isReadOnly()) {
            ++readOnly;
            const QString reason = t.readOnlyReason();
            EXPECT_TRUE(reason.contains(path) && reason.contains(QStringLiteral("kterému program nerozumí")))
                << reason.toStdString();
            EXPECT_EQ(t.openNotice(), reason);
            t.first();
            EXPECT_THROW(t.edit(), DbfError);
            EXPECT_THROW(t.append(), DbfError);
            EXPECT_THROW(t.deleteRecord(), DbfError);
            EXPECT_THROW(t.deleteAll(), DbfError);
            EXPECT_THROW(t.pack(), DbfError);
            t.setActive(false);
            ASSERT_EQ(testsupport::readFile(path), before);
            continue;
        }
        // Writable: one C column of one row changed; only its bytes (and the
        // header's date and count) differ afterwards.
        ++written;
        QList<int> textColumns;
        for (int i = 0; i < l.cols.size(); ++i)
            if (l.cols[i].type == 'C')
                textColumns.append(i);
        if (textColumns.isEmpty())
            continue;
        const int i = textColumns[int(rng() % unsigned(textColumns.size()))];
        const int row = int(rng() % 3u);
        t.moveTo(row);
        t.edit();
        t.fieldByName(QString::fromLatin1(l.cols[i].name)).setAsString(QStringLiteral("Změněno"));
        t.post();
        t.setActive(false);
        const QByteArray after = testsupport::readFile(path);
        int offset = 1;
        for (int k = 0; k < i; ++k)
            offset += l.cols[k].length;
        const int headerLength = 32 + 32 * int(l.cols.size()) + 1;
        const int from = headerLength + row * l.recordLength + offset;
        for (const auto &[a, b] : changedRanges(before, after))
            ASSERT_TRUE((a >= 1 && b <= 8) || (a >= from && b <= from + l.cols[i].length)) << a << ".." << b;
        ASSERT_EQ(after.mid(from, l.cols[i].length),
                  QByteArray("Zm\xECn\xECno").leftJustified(l.cols[i].length, ' ', true));
    }
    std::printf("%d layouts written, %d read-only\n", written, readOnly);
    EXPECT_GT(written, 30);
    EXPECT_GT(readOnly, 30);
}

} // namespace
