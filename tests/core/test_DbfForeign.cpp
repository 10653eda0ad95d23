// SPDX-License-Identifier: GPL-3.0-or-later
// Table files written by other programs, damaged files and files that are no table.
#include "data/DbfFuzzEntry.h"
#include "data/DbfTable.h"

#include "test_DbfSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <cmath>
#include <malloc.h>
#include <functional>
#include <string>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

using dbftest::errorOf;

using dbftest::Column;
using dbftest::FileSpec;

QStringList column(DbfTable &t, const QString &name)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName(name).asString();
    return out;
}

// ---------------------------------------------------------------- ogr2ogr

class WrittenByOgr2ogr : public ::testing::TestWithParam<const char *> {};

TEST_P(WrittenByOgr2ogr, ReadsCzechTextAndNumbers)
{
    if (!testsupport::haveProgram(QStringLiteral("ogr2ogr")))
        GTEST_SKIP() << "ogr2ogr not installed";
    TempDir dir;
    testsupport::writeFile(dir.file(QStringLiteral("in.csv")),
                           "JMENO,OBEC,CASTKA,POCET\n"
                           "STÁTNÍ SPRÁVA CR,Nové Hobzí,1234.5,7\n"
                           "Žluťoučký kůň,Extra-velká Lhota,-0.25,-32768\n"
                           "Národní Pokladnice,Velká Lhota,999999.5,0\n");
    int code = -1;
    QByteArray err;
    testsupport::runProgram(QStringLiteral("ogr2ogr"),
                            {QStringLiteral("-f"), QStringLiteral("ESRI Shapefile"), QStringLiteral("-oo"),
                             QStringLiteral("AUTODETECT_TYPE=YES"), QStringLiteral("-lco"),
                             QStringLiteral("ENCODING=") + QString::fromLatin1(GetParam()),
                             dir.file(QStringLiteral("out.dbf")), dir.file(QStringLiteral("in.csv"))},
                            &code, &err);
    ASSERT_EQ(code, 0) << err.toStdString();

    DbfTable t;
    t.setTableName(dir.file(QStringLiteral("out.dbf")));
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(column(t, QStringLiteral("jmeno")),
              QStringList({QStringLiteral("STÁTNÍ SPRÁVA CR"), QStringLiteral("Žluťoučký kůň"),
                           QStringLiteral("Národní Pokladnice")}));
    EXPECT_EQ(column(t, QStringLiteral("OBEC")),
              QStringList({QStringLiteral("Nové Hobzí"), QStringLiteral("Extra-velká Lhota"), QStringLiteral("Velká Lhota")}));
    t.moveTo(1);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), -0.25);
    EXPECT_EQ(t.fieldByName(QStringLiteral("POCET")).asInteger(), -32768);
    t.moveTo(2);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), 999999.5);
}

INSTANTIATE_TEST_SUITE_P(Foreign, WrittenByOgr2ogr, ::testing::Values("CP1250", "LDID/200"),
                         [](const auto &info) { return std::string(info.param[0] == 'C' ? "CodePageFile" : "LanguageDriver"); });

// ---------------------------------------------------------------- Python

// Two files as small Python programs write them with struct: a dBase III file in the
// DOS code page with deleted rows and no end mark, and a Visual FoxPro file with
// binary columns, a backlink area and a record flagged 0x00.
const char *kPythonWriter = R"PY(
import struct, sys
def table(path, version, ldid, fields, rows, enc, backlink=0, endmark=True, junk=b''):
    reclen = 1 + sum(f[2] for f in fields)
    hdrlen = 32 + 32 * len(fields) + 1 + backlink
    head = bytearray(struct.pack('<BBBBIHH', version, 124, 5, 17, len(rows), hdrlen, reclen) + bytes(20))
    head[29] = ldid
    offset = 1
    for name, typ, length, dec in fields:
        head += struct.pack('<11scIBB14x', name.encode('ascii'), typ.encode('ascii'), offset, length, dec)
        offset += length
    head += b'\r' + bytes(backlink)
    for flag, values in rows:
        rec = flag
        for (name, typ, length, dec), v in zip(fields, values):
            if isinstance(v, bytes):
                rec += v
            elif typ == 'C':
                rec += v.encode(enc).ljust(length, b' ')
            else:
                rec += v.encode('ascii').rjust(length, b' ')
        assert len(rec) == reclen
        head += rec
    if endmark:
        head += b'\x1a'
    open(path, 'wb').write(bytes(head) + junk)

fields = [('NAZEV', 'C', 20, 0), ('CENA', 'N', 10, 2), ('PODIL', 'F', 12, 4), ('PLATI', 'L', 1, 0), ('DATUM', 'D', 8, 0)]
rows = [
    (b' ', ['Žluťoučký kůň', '12.50', '0.2500', 'T', '20240229']),
    (b'*', ['smazáno', '1.00', '1.0000', 'F', '20000101']),
    (b' ', ['Příliš úděsné', '-3', '', '?', '        ']),
    (b'*', ['také smazáno', '2.00', '2.0000', 'T', '20000102']),
    (b' ', ['ódy', '  ', '1.5E3', 'n', '19991231']),
]
table(sys.argv[1], 0x03, 0x64, fields, rows, 'cp852', endmark=False, junk=b'junk after the records')

vfields = [('JMENO', 'C', 15, 0), ('POCET', 'I', 4, 0), ('CENA', 'Y', 8, 4), ('KURZ', 'B', 8, 2), ('KDY', 'T', 8, 0), ('_NullFlags', '0', 1, 0)]
def vrow(flag, name, count, price, rate, day, ms):
    return (flag, [name, struct.pack('<i', count), struct.pack('<q', price), struct.pack('<d', rate),
                   struct.pack('<ii', day, ms), b'\x00'])
vrows = [vrow(b' ', 'Nové Hobzí', 42, 123456, 0.25, 2460000, 3723000),
         vrow(b'\x00', 'Velká Lhota', -7, -5000, -1e10, 0, 0),
         vrow(b'*', 'smazáno', 1, 1, 1.0, 0, 0)]
table(sys.argv[2], 0x30, 0xC8, vfields, vrows, 'cp1250', backlink=263)
)PY";

struct PythonFiles {
    QString dbase3;
    QString foxpro;
};

bool writePythonFiles(const TempDir &dir, PythonFiles &files)
{
    files = {dir.file(QStringLiteral("dos.dbf")), dir.file(QStringLiteral("vfp.dbf"))};
    int code = -1;
    QByteArray err;
    testsupport::runProgram(testsupport::debianPython(),
                            {QStringLiteral("-c"), QString::fromUtf8(kPythonWriter), files.dbase3, files.foxpro}, &code, &err);
    EXPECT_EQ(code, 0) << err.toStdString();
    return code == 0;
}

TEST(WrittenByPython, DBaseIIIWithDeletedRows)
{
    TempDir dir;
    PythonFiles files;
    if (!writePythonFiles(dir, files))
        return;
    DbfTable t;
    t.setTableName(files.dbase3);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.storedRecordCount(), 5);
    EXPECT_EQ(column(t, QStringLiteral("NAZEV")),
              QStringList({QStringLiteral("Žluťoučký kůň"), QStringLiteral("Příliš úděsné"), QStringLiteral("ódy")}));
    EXPECT_EQ(column(t, QStringLiteral("PLATI")), QStringList({QStringLiteral("True"), QString(), QStringLiteral("False")}));
    EXPECT_EQ(column(t, QStringLiteral("DATUM")),
              QStringList({QStringLiteral("2024-02-29"), QString(), QStringLiteral("1999-12-31")}));
    t.first();
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), 12.5);
    EXPECT_EQ(t.fieldByName(QStringLiteral("PODIL")).asFloat(), 0.25);
    t.next();
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asInteger(), -3);
    EXPECT_EQ(t.fieldByName(QStringLiteral("PODIL")).asString(), QString());
    t.next();
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), 0);
    EXPECT_EQ(t.fieldByName(QStringLiteral("PODIL")).asFloat(), 1500);

    QList<FieldDef> fields = t.fields();
    ASSERT_EQ(fields.size(), 5);
    EXPECT_EQ(fields[1].dbfType, 'N');
    EXPECT_EQ(fields[1].decimals, 2);
    EXPECT_EQ(fields[2].dbfType, 'F');
}

TEST(WrittenByPython, VisualFoxProBinaryColumns)
{
    TempDir dir;
    PythonFiles files;
    if (!writePythonFiles(dir, files))
        return;
    DbfTable t;
    t.setTableName(files.foxpro);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), 2);   // the 0x00 flag is a live row, '*' is not
    const QChar sep = DbfTable::systemDecimalSeparator();
    EXPECT_EQ(t.fieldByName(QStringLiteral("JMENO")).asString(), QStringLiteral("Nové Hobzí"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("POCET")).asInteger(), 42);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), 12.3456);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asString(), QStringLiteral("12") + sep + QStringLiteral("3456"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("KURZ")).asFloat(), 0.25);
    EXPECT_EQ(t.fieldByName(QStringLiteral("KDY")).asString(), QStringLiteral("2023-02-24 01:02:03"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("_NULLFLAGS")).asString(), QStringLiteral("00"));
    EXPECT_THROW(t.fieldByName(QStringLiteral("KDY")).asFloat(), DbfError);
    t.next();
    EXPECT_EQ(t.fieldByName(QStringLiteral("POCET")).asString(), QStringLiteral("-7"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), -0.5);
    EXPECT_EQ(t.fieldByName(QStringLiteral("KURZ")).asString(), QStringLiteral("-10000000000"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("KDY")).asString(), QString());
}

TEST(WrittenByPython, ChangesKeepTheFileLayout)
{
    TempDir dir;
    PythonFiles files;
    if (!writePythonFiles(dir, files))
        return;
    for (const QString &path : {files.dbase3, files.foxpro}) {
        const QByteArray before = testsupport::readFile(path);
        const int headerLength = quint8(before[8]) | quint8(before[9]) << 8;
        {
            DbfTable t;
            t.setTableName(path);
            t.setActive(true);
            const QString name = t.fields().first().name;
            t.next();
            t.edit();
            t.fieldByName(name).setAsString(QStringLiteral("Přepsáno"));
            t.post();
            t.append();
            t.fieldByName(name).setAsString(QStringLiteral("Nový řádek"));
            if (t.fieldIndex(QStringLiteral("POCET")) >= 0) {
                t.fieldByName(QStringLiteral("POCET")).setAsInteger(-123456789);
                t.fieldByName(QStringLiteral("CENA")).setAsString(QStringLiteral("0,5"));
                t.fieldByName(QStringLiteral("KURZ")).setAsFloat(2.5);
                EXPECT_THROW(t.fieldByName(QStringLiteral("KDY")).setAsString(QStringLiteral("x")), DbfError);
            } else {
                t.fieldByName(QStringLiteral("CENA")).setAsFloat(7.25);
                t.fieldByName(QStringLiteral("PLATI")).setAsString(QStringLiteral("ano"));
                t.fieldByName(QStringLiteral("DATUM")).setAsString(QStringLiteral("17.11.1989"));
                EXPECT_THROW(t.fieldByName(QStringLiteral("DATUM")).setAsString(QStringLiteral("31.2.2020")), DbfError);
            }
            t.post();
        }
        const QByteArray after = testsupport::readFile(path);
        // Everything of the header but the date and the count stays as it was.
        EXPECT_EQ(after.left(1), before.left(1));
        EXPECT_EQ(after.mid(8, headerLength - 8), before.mid(8, headerLength - 8)) << path.toStdString();

        DbfTable t;
        t.setTableName(path);
        t.setActive(true);
        const QString name = t.fields().first().name;
        const QStringList names = column(t, name);
        ASSERT_GE(names.size(), 3);
        EXPECT_EQ(names[1], QStringLiteral("Přepsáno"));
        EXPECT_EQ(names.last(), QStringLiteral("Nový řádek"));
        t.last();
        if (t.fieldIndex(QStringLiteral("POCET")) >= 0) {
            EXPECT_EQ(t.fieldByName(QStringLiteral("POCET")).asInteger(), -123456789);
            EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), 0.5);
            EXPECT_EQ(t.fieldByName(QStringLiteral("KURZ")).asFloat(), 2.5);
        } else {
            EXPECT_EQ(t.fieldByName(QStringLiteral("CENA")).asFloat(), 7.25);
            EXPECT_EQ(t.fieldByName(QStringLiteral("PLATI")).asString(), QStringLiteral("True"));
            EXPECT_EQ(t.fieldByName(QStringLiteral("DATUM")).asString(), QStringLiteral("1989-11-17"));
        }

        if (dbftest::haveDbfread()) {
            const QJsonArray records = dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray();
            ASSERT_EQ(records.size(), names.size());   // the edited 0x00 row now reads as live there too
            EXPECT_EQ(records.last().toObject()[name].toString(), QStringLiteral("Nový řádek"));
        }
    }
}

// ---------------------------------------------------------------- bad input

struct BadFile {
    const char *name;
    std::function<QByteArray()> bytes;
    const char *reason;
};

void PrintTo(const BadFile &c, std::ostream *os) { *os << c.name; }

FileSpec goodSpec()
{
    FileSpec s;
    s.languageDriver = 0xC8;
    s.columns = {{"JMENO", 'C', 10}, {"CASTKA", 'N', 20, 4}};
    s.records = {QByteArray(" Jan       ") + QByteArray("12.5").rightJustified(20, ' '),
                 QByteArray(" Eva       ") + QByteArray("30").rightJustified(20, ' ')};
    return s;
}

FileSpec with(const std::function<void(FileSpec &)> &change)
{
    FileSpec s = goodSpec();
    change(s);
    return s;
}

class RefusedFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(RefusedFile, WithAClearReasonAndUntouched)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("Špatná.dbf"));
    testsupport::writeFile(path, GetParam().bytes());
    const dbftest::FileState before = dbftest::fileState(path);
    DbfTable t;
    t.setTableName(path);
    const std::string message = errorOf([&] { t.setActive(true); });
    EXPECT_NE(message.find("Tabulka '" + path.toStdString() + "': "), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
    EXPECT_FALSE(t.active());
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_TRUE(dbftest::fileState(path) == before);
}

const BadFile kBadFiles[] = {
    {"ZeroLength", [] { return QByteArray(); }, "prázdný"},
    {"TenBytes", [] { return QByteArray(10, '\x03'); }, "příliš krátký"},
    {"CsvText", [] { return QByteArray("TITUL;JMENO;PRIJMENI\nPan;Jan;Novák\n").repeated(3); }, "nejde o tabulku"},
    {"Picture", [] { return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(64, '\0'); }, "nejde o tabulku"},
    {"DBase7", [] { return dbftest::buildFile(with([](FileSpec &s) { s.version = 0x04; })); }, "neznámá verze 0x04"},
    {"HeaderLongerThanFile", [] { return dbftest::buildFile(with([](FileSpec &s) { s.headerLengthOverride = 4000; })); },
     "zkrácený"},
    {"CutInTheColumnList", [] { return dbftest::buildFile(goodSpec()).left(50); }, "zkrácený"},
    {"HeaderTooShort", [] { return dbftest::buildFile(with([](FileSpec &s) { s.headerLengthOverride = 20; })); },
     "délka hlavičky"},
    {"NoTerminator", [] { return dbftest::buildFile(with([](FileSpec &s) { s.terminator = false; })); },
     "nemá zakončení"},
    {"UnknownType", [] { return dbftest::buildFile(with([](FileSpec &s) { s.columns[1].type = 'X'; })); },
     "sloupec 'CASTKA' má neznámý typ 'X'"},
    {"ControlCharType", [] { return dbftest::buildFile(with([](FileSpec &s) { s.columns[0].type = '\x01'; })); },
     "neznámý typ '0x01'"},
    {"ZeroLengthColumn", [] { return dbftest::buildFile(with([](FileSpec &s) { s.columns.push_back({"PRAZDNY", 'C', 0}); })); },
     "nulovou délku"},
    {"ZeroRecordLength", [] { return dbftest::buildFile(with([](FileSpec &s) { s.recordLengthOverride = 0; })); },
     "nulová délka záznamu"},
};

INSTANTIATE_TEST_SUITE_P(Foreign, RefusedFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto &info) { return std::string(info.param.name); });

struct OddFile {
    const char *name;
    std::function<QByteArray()> bytes;
    int rows;
    int dbfreadRows = -2;   // rows dbfread sees after the append when not rows + 1; -1: not comparable
};

void PrintTo(const OddFile &c, std::ostream *os) { *os << c.name; }

class ToleratedFile : public ::testing::TestWithParam<OddFile> {};

// Opens with the whole records that are there, leaves the file alone while showing it,
// and a row appended afterwards reads back here and in dbfread.
TEST_P(ToleratedFile, OpensAndTakesANewRow)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("odd.dbf"));
    testsupport::writeFile(path, GetParam().bytes());
    const dbftest::FileState before = dbftest::fileState(path);
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), GetParam().rows);
    for (t.first(); !t.eof(); t.next())
        for (int c = 0; c < t.fieldCount(); ++c)
            (void)t.displayText(t.recNo(), c);
    t.setActive(false);
    EXPECT_TRUE(dbftest::fileState(path) == before);

    t.setActive(true);
    if (t.fieldCount() == 0)
        return;
    t.append();
    t.fieldByName(t.fields().first().name).setAsString(QStringLiteral("Nový"));
    t.post();
    t.setActive(false);
    t.setActive(true);
    ASSERT_EQ(t.recordCount(), GetParam().rows + 1);
    t.last();
    EXPECT_EQ(t.fieldByName(t.fields().first().name).asString(), QStringLiteral("Nový"));
    if (dbftest::haveDbfread() && GetParam().dbfreadRows != -1) {
        const QJsonArray records = dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray();
        ASSERT_EQ(records.size(), GetParam().dbfreadRows == -2 ? GetParam().rows + 1 : GetParam().dbfreadRows);
        EXPECT_EQ(records.last().toObject()[t.fields().first().name].toString(), QStringLiteral("Nový"));
    }
}

const OddFile kOddFiles[] = {
    {"Plain", [] { return dbftest::buildFile(goodSpec()); }, 2},
    {"CountLargerThanFile", [] { return dbftest::buildFile(with([](FileSpec &s) { s.countOverride = 10; })); }, 2},
    {"CountFarLargerThanFile",
     [] { return dbftest::buildFile(with([](FileSpec &s) { s.countOverride = 0xFFFFFFFFLL; })); }, 2},
    {"PartialLastRecord", [] { return dbftest::buildFile(with([](FileSpec &s) { s.endMark = false; })).chopped(7); }, 1},
    {"RecordBeyondTheCount", [] { return dbftest::buildFile(with([](FileSpec &s) { s.countOverride = 1; })); }, 2},
    {"JunkAfterRecords", [] { return dbftest::buildFile(with([](FileSpec &s) { s.trailing = "junk junk junk junk junk junk junk"; })); }, 2},
    {"NoEndMark", [] { return dbftest::buildFile(with([](FileSpec &s) { s.endMark = false; })); }, 2},
    {"DeletedAndNulFlags",
     [] {
         return dbftest::buildFile(with([](FileSpec &s) {
             s.records[0][0] = '*';
             s.records.push_back(QByteArray(1, '\0') + "Nula");
             s.records.push_back("*Smazany");
         }));
     },
     2, 2},   // dbfread passes over the 0x00 row
    {"VisualFoxProBacklink", [] { return dbftest::buildFile(with([](FileSpec &s) { s.version = 0x30; s.headerPadding = 263; })); }, 2},
    {"ZeroRecords", [] { return dbftest::buildFile(with([](FileSpec &s) { s.records.clear(); })); }, 0},
    {"NoColumns", [] {
         FileSpec s;
         s.records = {" "};
         s.endMark = false;
         return dbftest::buildFile(s);
     }, 1},
};

INSTANTIATE_TEST_SUITE_P(Foreign, ToleratedFile, ::testing::ValuesIn(kOddFiles),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- corpus

QString corpusFile(const QString &name) { return testsupport::corpusDir() + QStringLiteral("/files/") + name; }

QStringList corpusNames()
{
    return QDir(testsupport::corpusDir() + QStringLiteral("/expected"))
        .entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
}

bool isAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

// The code page this engine reads a language driver byte as, by dbfread's name.
QString ourEncoding(int ldid)
{
    return ldid == 0x64 ? QStringLiteral("cp852") : ldid == 0x03 ? QStringLiteral("cp1252") : QStringLiteral("cp1250");
}

void compareValue(DbfTable &t, const QString &name, char type, const QJsonValue &expected, const QString &where,
                  bool textComparable)
{
    DbfField f = t.fieldByName(name);
    switch (type) {
    case 'C':
        if (expected.isNull()) {
            EXPECT_EQ(f.asString(), QString()) << where.toStdString();
        } else if (textComparable || isAscii(expected.toString())) {
            EXPECT_EQ(f.asString(), expected.toString()) << where.toStdString();
        }
        break;
    case 'N':
    case 'F':
    case 'I':
    case 'B':
        if (expected.isNull()) {
            EXPECT_EQ(f.asString(), QString()) << where.toStdString();
        } else if (expected.isDouble()) {
            EXPECT_EQ(f.asFloat(), expected.toDouble()) << where.toStdString();
        }
        break;
    case 'Y':
        EXPECT_EQ(f.asFloat(), expected.toString().toDouble()) << where.toStdString();
        break;
    case 'L':
        EXPECT_EQ(f.asString(), expected.isNull() ? QString()
                                : expected.toBool() ? QStringLiteral("True")
                                                    : QStringLiteral("False"))
            << where.toStdString();
        break;
    case 'D':
        EXPECT_EQ(f.asString(), expected.isNull() ? QString() : expected.toString()) << where.toStdString();
        break;
    case 'T':
        if (!expected.isNull()) {
            EXPECT_EQ(f.asString(), expected.toString().left(19).replace(QLatin1Char('T'), QLatin1Char(' ')))
                << where.toStdString();
        }
        break;
    default:
        (void)f.asString();   // memo and flag columns: shown somehow, never a crash
        break;
    }
}

TEST(Corpus, ReadsWhatOtherProgramsWrote)
{
    const QStringList names = corpusNames();
    if (names.isEmpty())
        GTEST_SKIP() << "no corpus at " << testsupport::corpusDir().toStdString();
    int compared = 0;
    for (const QString &jsonName : names) {
        const QJsonObject expected =
            QJsonDocument::fromJson(testsupport::readFile(testsupport::corpusDir() + QStringLiteral("/expected/") + jsonName)).object();
        const QString file = expected[QStringLiteral("file")].toString();
        SCOPED_TRACE(file.toStdString());
        const QJsonObject header = expected[QStringLiteral("header_raw")].toObject();
        const dbftest::FileState before = dbftest::fileState(corpusFile(file));

        DbfTable t;
        t.setTableName(corpusFile(file));
        ASSERT_NO_THROW(t.setActive(true));
        EXPECT_EQ(t.recordCount(),
                  header[QStringLiteral("num_records")].toInt() - header[QStringLiteral("deleted_flag_count")].toInt());

        const QJsonArray hfields = header[QStringLiteral("fields")].toArray();
        const QList<FieldDef> fields = t.fields();
        ASSERT_EQ(fields.size(), hfields.size());
        for (int i = 0; i < fields.size(); ++i) {
            const QJsonObject hf = hfields[i].toObject();
            EXPECT_EQ(fields[i].name, hf[QStringLiteral("name")].toString());
            EXPECT_EQ(QString(QChar::fromLatin1(fields[i].dbfType)), hf[QStringLiteral("type")].toString());
            EXPECT_EQ(fields[i].size, hf[QStringLiteral("length")].toInt());
            EXPECT_EQ(fields[i].decimals, hf[QStringLiteral("decimals")].toInt());
        }

        // dbfread's values where it saw the same rows (it skips rows flagged 0x00).
        const QJsonObject dbfread = expected[QStringLiteral("dbfread")].toObject();
        const bool sameRows = dbfread[QStringLiteral("record_count")].toInt() == t.recordCount();
        const int ldid = header[QStringLiteral("ldid")].toString().toInt(nullptr, 16);
        const bool textComparable = !dbfread.contains(QStringLiteral("strict_decode_error_with_header_encoding"))
            && dbfread[QStringLiteral("encoding_used")].toString() == ourEncoding(ldid);
        if (sameRows) {
            const QJsonArray records = dbfread[QStringLiteral("first_records")].toArray();
            for (int r = 0; r < records.size(); ++r) {
                t.moveTo(r);
                const QJsonObject rec = records[r].toObject();
                for (int i = 0; i < fields.size(); ++i) {
                    const FieldDef &f = fields[i];
                    int sameName = 0;
                    for (const FieldDef &g : fields)
                        sameName += g.name.compare(f.name, Qt::CaseInsensitive) == 0;
                    if (sameName > 1)
                        continue;   // two columns of one name: dbfread keeps the last, fieldByName the first
                    compareValue(t, f.name, f.dbfType, rec[f.name],
                                 QStringLiteral("%1 row %2 %3").arg(file).arg(r).arg(f.name), textComparable);
                    ++compared;
                }
            }
        }
        for (t.first(); !t.eof(); t.next())
            for (int c = 0; c < t.fieldCount(); ++c)
                (void)t.fieldByName(fields[c].name).asString();
        t.setActive(false);
        EXPECT_TRUE(dbftest::fileState(corpusFile(file)) == before);
    }
    EXPECT_GT(compared, 500);
}

TEST(Corpus, ReadOnlyFilesRefuseChanges)
{
    const QString path = corpusFile(QStringLiteral("dbfread_people.dbf"));
    if (!QFile::exists(path))
        GTEST_SKIP() << "no corpus";
    if (QFileInfo(path).isWritable())
        GTEST_SKIP() << "corpus is writable here";
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    EXPECT_TRUE(t.isReadOnly());
    EXPECT_EQ(t.fieldByName(QStringLiteral("name")).asString(), QStringLiteral("Alice"));
    EXPECT_NE(errorOf([&] { t.edit(); }).find("jen pro čtení"), std::string::npos);
    EXPECT_THROW(t.append(), DbfError);
    EXPECT_THROW(t.deleteRecord(), DbfError);
    EXPECT_THROW(t.deleteAll(), DbfError);
    EXPECT_EQ(t.recordCount(), 2);
}

// ---------------------------------------------------------------- fuzz seeds

TEST(FuzzSeeds, RunCleanly)
{
    const QDir seeds(testsupport::sourceDir() + QStringLiteral("/fuzz/corpus/dbf"));
    const QStringList files = seeds.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    int opened = 0;
    for (const QString &name : files) {
        const QByteArray bytes = testsupport::readFile(seeds.filePath(name));
        opened += fuzzDbfInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, files.size());   // the seeds hold refused files too
}

// Data.dbf in `dir` with the bytes of `s`, opened in `t`.
void openSpec(const TempDir &dir, const FileSpec &s, DbfTable &t)
{
    t.setTableName(dir.file(QStringLiteral("Data.dbf")));
    testsupport::writeFile(t.tableName(), dbftest::buildFile(s));
    t.setActive(true);
}

// A header counting fewer records than the file holds: every record is shown, the
// user hears of it once, and a new row goes behind the last one.
TEST(ShortCount, RecordsBehindItAreShownAndNeverOverwritten)
{
    TempDir dir;
    FileSpec s = goodSpec();
    s.records.push_back(QByteArray(" Petr      ") + QByteArray("1").rightJustified(20, ' '));
    s.records.push_back(QByteArray(" Zdenek    ") + QByteArray("2").rightJustified(20, ' '));
    s.countOverride = 2;
    DbfTable t;
    openSpec(dir, s, t);
    const QString path = t.tableName();
    const QByteArray before = dbftest::buildFile(s);
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_TRUE(t.openNotice().contains(path) && t.openNotice().contains(QStringLiteral("(4)"))
                && t.openNotice().contains(QStringLiteral("(2)")))
        << t.openNotice().toStdString();
    EXPECT_FALSE(t.isReadOnly());
    t.append();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("Nový"));
    t.post();
    t.setActive(false);
    const QByteArray after = testsupport::readFile(path);
    const int headerLength = 32 + 64 + 1;
    EXPECT_EQ(after.mid(headerLength, 4 * 31), before.mid(headerLength, 4 * 31));
    t.setActive(true);
    EXPECT_EQ(column(t, QStringLiteral("JMENO")),
              QStringList({"Jan", "Eva", "Petr", "Zdenek", "Nový"}));
    EXPECT_EQ(t.openNotice(), QString());
}

// A header declaring 500 million records in a file of 4 KB: memory follows the
// records in the file.
TEST(DeclaredCount, MemoryFollowsTheRecordsPresent)
{
    TempDir dir;
    FileSpec s = goodSpec();
    s.countOverride = 500'000'000;
    for (int i = 0; i < 128; ++i)
        s.records.push_back(s.records[i % 2]);
    const size_t before = ::mallinfo2().uordblks;
    DbfTable t;
    openSpec(dir, s, t);
    const size_t used = ::mallinfo2().uordblks - before;
    EXPECT_EQ(t.recordCount(), 130);
    EXPECT_LT(used, size_t(4) << 20);
}

} // namespace
