// SPDX-License-Identifier: GPL-3.0-or-later
// A process killed at a random moment of a long CSV import or of a backup save:
// the table file must open in every reader with exactly the rows posted before the
// kill, and the program folder must hold no half-written file that looks like data.
//
// The work runs in a child process: this test program started again with one of
// the DISABLED_ child tests and the folder named in KVITANKY_CRASH_DIR.
#include "data/Backup.h"
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvImport.h"
#include "settings/IniFile.h"
#include "text/Codepage.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <vector>

#include <unistd.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

constexpr const char *DirVariable = "KVITANKY_CRASH_DIR";
constexpr int ImportedLines = 80000;
constexpr int Trials = 20;

const char *const KilledImportColumns[] = {"TITUL", "JMENO",     "PRIJMENI", "ULICE",   "OBEC",  "PSC",
                               "CASTKA", "VAR_SYMB", "SPEC_SYMB", "TELEFON", "EMAIL", "VYRAZENO"};
constexpr int ColumnCount = 12;
constexpr int AmountColumn = 6;
constexpr int DiscardColumn = 11;

// Line i of the big CSV: fixed texts with numbers derived from i, so that lines are
// cheap to make and every row tells which line it came from.
const QString Title = QStringLiteral("Ing.");
const QString FirstName = QStringLiteral("Jiří");
const QString Surname = QStringLiteral("Šťastná-Nováková");
const QString Street = QStringLiteral("Žluťoučká ");
const QString Town = QStringLiteral("Nové Hobzí ");
const QString Phone = QStringLiteral("+420 ");
const QString MailDomain = QStringLiteral("@priklad.cz");

// The twelve values of line i, as the table gives them back.
QStringList expectedRow(int i)
{
    return {
        i % 5 == 0 ? QString() : Title,
        FirstName + QString::number(i),
        Surname + QString::number(i),
        Street + QString::number(i % 997),
        Town + QString::number(i % 113),
        QString::number(100 + i % 900) + QLatin1Char(' ') + QString::number(10 + i % 90),
        QString::number(i) + QStringLiteral(".5"),
        QString::number(i),
        QString::number(i * 7 % 1000003),
        Phone + QString::number(600000000 + i),
        QLatin1Char('u') + QString::number(i) + MailDomain,
        i % 3 == 0 ? QStringLiteral("1") : QStringLiteral("0"),
    };
}

// Line i as the full CSV format carries it: Windows-1250, the amount with a comma.
void appendCsvLine(QByteArray &out, int i)
{
    static const QByteArray title = toCp1250(Title), first = toCp1250(FirstName), surname = toCp1250(Surname),
                            street = toCp1250(Street), town = toCp1250(Town), phone = toCp1250(Phone),
                            domain = toCp1250(MailDomain);
    const QByteArray n = QByteArray::number(i);
    if (i % 5 != 0)
        out += title;
    out += ';' + first + n + ';' + surname + n + ';' + street + QByteArray::number(i % 997) + ';' + town
           + QByteArray::number(i % 113) + ';' + QByteArray::number(100 + i % 900) + ' '
           + QByteArray::number(10 + i % 90) + ';' + n + ",5;" + n + ';' + QByteArray::number(i * 7 % 1000003) + ';'
           + phone + QByteArray::number(600000000 + i) + ";u" + n + domain + ';' + (i % 3 == 0 ? "1" : "0") + ";\n";
}

// The big CSV and an empty recipient table, made once for all trials.
class Fixture
{
public:
    static Fixture &get()
    {
        static Fixture f;
        return f;
    }
    QString csv() const { return m_dir.file(QStringLiteral("big.csv")); }
    QString emptyTable() const { return m_dir.file(QStringLiteral("Data.dbf")); }

private:
    Fixture()
    {
        QByteArray bytes;
        bytes.reserve(ImportedLines * 140);
        for (int i = 0; i < ImportedLines; ++i)
            appendCsvLine(bytes, i);
        testsupport::writeFile(csv(), bytes);
        DbfTable t;
        CreateRecipientTable(t, m_dir.path());
    }
    TempDir m_dir;
};

// Reports a count on standard output at once: the parent reads it after the kill.
void report(const char *what, qint64 n)
{
    char line[64];
    const int len = std::snprintf(line, sizeof line, "%s %lld\n", what, static_cast<long long>(n));
    if (::write(STDOUT_FILENO, line, size_t(len)) != len)
        ::_exit(4);
}

// The last count the child reported under `what`, -1 when none.
qint64 lastReported(const QByteArray &output, const char *what)
{
    qint64 last = -1;
    const QByteArray prefix = QByteArray(what) + ' ';
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith(prefix))
            last = line.mid(prefix.size()).toLongLong();
    }
    return last;
}

struct Child {
    QProcess process;
    QByteArray output;

    void start(const QString &test, const QString &dir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(DirVariable), dir);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=") + test, QStringLiteral("--gtest_also_run_disabled_tests")});
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    // Waits until the child reported at least `count` under `what` (or ended, or 30 s).
    qint64 waitFor(const char *what, qint64 count)
    {
        QElapsedTimer timer;
        timer.start();
        qint64 last = lastReported(output, what);
        while (last < count && process.state() == QProcess::Running && timer.elapsed() < 30000) {
            process.waitForReadyRead(20);
            output += process.readAllStandardOutput();
            last = lastReported(output, what);
        }
        return last;
    }
    void kill()
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(30000);
        output += process.readAllStandardOutput();
    }
};

// ---------------------------------------------------------------- killed import

TEST(CrashChild, DISABLED_importsUntilKilled)
{
    const QString dir = qEnvironmentVariable(DirVariable);
    ASSERT_FALSE(dir.isEmpty());
    DbfTable table;
    table.setTableName(recipientTablePath(dir));
    table.setActive(true);
    report("opened", 0);
    const CsvImportResult r = ImportCsvFile(QDir(dir).filePath(QStringLiteral("big.csv")), table,
                                            [&](qint64, qint64) {
                                                report("posted", table.recordCount());
                                                return true;
                                            });
    report("finished", r.rows);
    // Stay until killed, like a user reading the count.
    for (;;)
        ::pause();
}

// The table file as its bytes say: the header's count and the records in front of
// the end mark (the one a reader that ignores the count stops at).
struct RawTable {
    qint64 headerCount = -1;
    qint64 recordsBeforeEndMark = 0;
    qint64 liveBeforeEndMark = 0;
    qint64 deletedAtEnd = 0;   // the '*' rows behind the last live one
    // Every flag ' ', but the last ones may be '*': a batch of new rows killed before
    // its rows went live, or a torn write of their flags (a prefix went live).
    bool flagsValid = true;
};

RawTable readRaw(const QString &path)
{
    RawTable r;
    const QByteArray b = testsupport::readFile(path);
    if (b.size() < 32)
        return r;
    const auto u16 = [&](int at) { return int(quint8(b[at])) | int(quint8(b[at + 1])) << 8; };
    r.headerCount = qint64(quint8(b[4])) | qint64(quint8(b[5])) << 8 | qint64(quint8(b[6])) << 16
                    | qint64(quint8(b[7])) << 24;
    const int headerLength = u16(8);
    const int recordLength = u16(10);
    for (qint64 at = headerLength; at + recordLength <= b.size(); at += recordLength) {
        if (b[at] == 0x1A)
            break;
        if ((r.deletedAtEnd > 0 && b[at] != '*') || (b[at] != ' ' && b[at] != '*'))
            r.flagsValid = false;
        r.deletedAtEnd = b[at] == '*' ? r.deletedAtEnd + 1 : 0;
        r.liveBeforeEndMark += b[at] == ' ' ? 1 : 0;
        ++r.recordsBeforeEndMark;
    }
    return r;
}

// dbfread's view of the table: how many rows it finds, and the first that is not
// the CSV line of the same number ("" when all are).
struct DbfreadView {
    qint64 rows = -1;
    QString mismatch;
};

DbfreadView readWithDbfread(const QString &path, const QString &csv)
{
    static const char *script =
        "import sys, dbfread\n"
        "names = sys.argv[3].split(',')\n"
        "csv = open(sys.argv[2], 'rb')\n"
        "n = 0\n"
        "bad = ''\n"
        "for r in dbfread.DBF(sys.argv[1], load=False):\n"
        "    f = csv.readline().rstrip(b'\\n').decode('cp1250').split(';')\n"
        "    want = f[:6] + [float(f[6].replace(',', '.'))] + f[7:11] + [1 if f[11] == '1' else 0]\n"
        "    got = [r[k] for k in names]\n"
        "    if not bad and got != want:\n"
        "        bad = 'row %d: %r instead of %r' % (n, got, want)\n"
        "    n += 1\n"
        "sys.stdout.buffer.write(('%d\\n%s' % (n, bad)).encode('utf-8'))\n";
    QStringList names;
    for (const char *c : KilledImportColumns)
        names << QString::fromLatin1(c);
    int code = -1;
    QByteArray err;
    const QByteArray out = testsupport::runProgram(
        testsupport::debianPython(),
        {QStringLiteral("-c"), QString::fromLatin1(script), path, csv, names.join(',')}, &code, &err);
    DbfreadView view;
    if (code != 0) {
        ADD_FAILURE() << "dbfread failed on " << path.toStdString() << ": " << err.toStdString();
        return view;
    }
    const qsizetype nl = out.indexOf('\n');
    view.rows = out.left(nl).toLongLong();
    view.mismatch = QString::fromUtf8(out.mid(nl + 1));
    return view;
}

bool sameValue(int column, const QString &got, const QString &expected)
{
    if (column == AmountColumn || column == DiscardColumn)
        return got.toDouble() == expected.toDouble();
    return got == expected;
}

// Row i as our engine reads it, in the form of expectedRow.
QStringList engineRow(std::vector<DbfField> &fields)
{
    QStringList row;
    for (int c = 0; c < ColumnCount; ++c) {
        if (c == AmountColumn)
            row << QString::number(fields[size_t(c)].asFloat(), 'g', 17);
        else if (c == DiscardColumn)
            row << QString::number(fields[size_t(c)].asInteger());
        else
            row << fields[size_t(c)].asString();
    }
    return row;
}

// Our engine's rows are the first lines of the CSV. Each row tells its line by its
// first name; the first rows and the last ones, where a kill does its harm, are
// compared value by value, all of them when `everyValue` (dbfread compares every
// value of every row when it is there).
void expectCsvPrefix(DbfTable &table, bool everyValue)
{
    std::vector<DbfField> fields;
    for (const char *c : KilledImportColumns)
        fields.push_back(table.fieldByName(QString::fromLatin1(c)));
    const qint64 rows = table.recordCount();
    int i = 0;
    for (table.first(); !table.eof(); table.next(), ++i) {
        if (everyValue || i < 100 || i >= rows - 2000) {
            const QStringList got = engineRow(fields);
            const QStringList expected = expectedRow(i);
            bool same = true;
            for (int c = 0; same && c < ColumnCount; ++c)
                same = sameValue(c, got[c], expected[c]);
            if (!same) {
                ADD_FAILURE() << "row " << i << " is not CSV line " << i << ": " << got.join('|').toStdString()
                              << " instead of " << expected.join('|').toStdString();
                return;
            }
        } else if (fields[1].asString() != FirstName + QString::number(i)) {
            ADD_FAILURE() << "row " << i << " is not CSV line " << i << ": " << fields[1].asString().toStdString();
            return;
        }
    }
}

TEST(KilledImport, LeavesExactlyAPrefixOfTheCsvInEveryReader)
{
    const Fixture &fixture = Fixture::get();
    const bool dbfread = testsupport::havePythonModule(QStringLiteral("dbfread"));
    QRandomGenerator rng(20260412);
    for (int trial = 0; trial < Trials; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        TempDir dir;
        ASSERT_TRUE(QFile::copy(fixture.emptyTable(), dir.file(QStringLiteral("Data.dbf"))));
        ASSERT_TRUE(QFile::link(fixture.csv(), dir.file(QStringLiteral("big.csv"))));

        Child child;
        child.start(QStringLiteral("CrashChild.DISABLED_importsUntilKilled"), dir.path());
        if (trial % 5 == 0) {
            // Early: while the file is opened, the CSV scanned, the first rows posted.
            QThread::usleep(rng.bounded(0, 60000));
        } else {
            // Somewhere in the import: after a reported count, a random moment later.
            // Most kills come in the first part to keep the run short, three go deeper.
            const qint64 target = trial % 8 == 3 ? rng.bounded(30000, 60000) : rng.bounded(1000, 25000);
            ASSERT_GE(child.waitFor("posted", target), target) << child.output.toStdString();
            QThread::usleep(rng.bounded(0, 4000));
        }
        child.kill();
        ASSERT_EQ(child.process.exitStatus(), QProcess::CrashExit) << "the import ended by itself";
        ASSERT_LT(lastReported(child.output, "finished"), 0) << "killed too late: the import had finished";
        const qint64 reported = qMax<qint64>(0, lastReported(child.output, "posted"));

        const QString path = dir.file(QStringLiteral("Data.dbf"));
        // The bytes: the header counts every record in front of the end mark, but for
        // new records killed before their count: those are marked deleted, so readers
        // by the end mark (dbfread) and by the count see the same rows.
        const RawTable raw = readRaw(path);
        EXPECT_TRUE(raw.flagsValid);
        EXPECT_GE(raw.liveBeforeEndMark, reported);
        EXPECT_TRUE(raw.recordsBeforeEndMark >= raw.headerCount
                    && raw.recordsBeforeEndMark - raw.headerCount <= raw.deletedAtEnd)
            << raw.recordsBeforeEndMark << " records, header " << raw.headerCount;

        DbfTable table;
        table.setTableName(path);
        ASSERT_NO_THROW(table.setActive(true));
        EXPECT_EQ(table.recordCount(), raw.liveBeforeEndMark);
        expectCsvPrefix(table, !dbfread);

        if (dbfread) {
            const DbfreadView seen = readWithDbfread(path, fixture.csv());
            EXPECT_EQ(seen.rows, raw.liveBeforeEndMark);
            EXPECT_EQ(seen.mismatch, QString());
        }

        // The next session goes on from there: a post puts the header right.
        {
            table.append();
            table.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("po pádu"));
            table.post();
            table.setActive(false);
            const RawTable after = readRaw(path);
            EXPECT_EQ(after.headerCount, raw.headerCount + 1);
            EXPECT_EQ(after.recordsBeforeEndMark, after.headerCount);
            EXPECT_EQ(after.liveBeforeEndMark, raw.liveBeforeEndMark + 1);
        }
    }
    if (!dbfread)
        GTEST_SKIP() << "python3-dbfread is not installed; only our engine read the files";
}

// ---------------------------------------------------------------- killed backup save

const QDateTime ChildClockStart(QDate(2031, 5, 17), QTime(8, 0, 0));

TEST(CrashChild, DISABLED_backsUpUntilKilled)
{
    const QString dir = qEnvironmentVariable(DirVariable);
    ASSERT_FALSE(dir.isEmpty());
    // Three saves per second of the clock, so stamped names are taken now and then.
    qint64 calls = 0;
    const BackupMaker maker(dir, [&] { return ChildClockStart.addSecs(calls++ / 6); });
    for (qint64 n = 1;; ++n) {
        maker.ensureBackupDir();
        for (const auto &[file, working, prefix, suffix] :
             {std::tuple("Data.dbf", "DataTemp.dbf", "Data", ".dbf"),
              std::tuple("Kvitanky.ini", "KvitankyTemp.ini", "Kvitanky", ".ini")}) {
            const BackupResult r = maker.backup(file, working, prefix, suffix);
            if (!r.saved) {
                std::fprintf(stderr, "%s\n", qPrintable(r.reason));
                ::_exit(3);
            }
        }
        report("saved", n);
    }
}

// Source files of some size: the copy takes long enough to be cut.
QByteArray bigTable(const QString &dir)
{
    DbfTable t;
    CreateRecipientTable(t, dir);
    for (int i = 0; i < 8000; ++i) {
        t.append();
        const QStringList values = expectedRow(i);
        for (int c = 0; c < ColumnCount; ++c) {
            if (c == AmountColumn)
                t.fieldByName(QString::fromLatin1(KilledImportColumns[c])).setAsFloat(i + 0.5);
            else
                t.fieldByName(QString::fromLatin1(KilledImportColumns[c])).setAsString(values[c]);
        }
        t.post();
    }
    t.setActive(false);
    return testsupport::readFile(recipientTablePath(dir));
}

QByteArray bigSettings(const QString &path)
{
    IniFile ini(path);
    ini.beginBatch();
    for (int i = 0; i < 4000; ++i)
        ini.writeString(QStringLiteral("LAYOUT"), QStringLiteral("Klic%1").arg(i), QStringLiteral("Hodnota %1").arg(i));
    ini.endBatch();
    return testsupport::readFile(path);
}

const QRegularExpression BackupName(QStringLiteral("^(Data\\d{14}(_\\d+)?\\.dbf|Kvitanky\\d{14}(_\\d+)?\\.ini)$"));

// Every file in Data/ is a whole backup of its source; returns how many of each kind.
QPair<int, int> expectWholeBackups(const QString &dir, const QByteArray &table, const QByteArray &settings)
{
    int tables = 0, settingsCopies = 0;
    const QDir backups(QDir(dir).filePath(QStringLiteral("Data")));
    for (const QFileInfo &f : backups.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        EXPECT_TRUE(BackupName.match(f.fileName()).hasMatch()) << "stray file " << f.fileName().toStdString();
        const bool isTable = f.suffix() == QLatin1String("dbf");
        EXPECT_EQ(f.size(), isTable ? table.size() : settings.size()) << f.fileName().toStdString();
        if (testsupport::readFile(f.filePath()) != (isTable ? table : settings))
            ADD_FAILURE() << f.fileName().toStdString() << " differs from its source";
        (isTable ? tables : settingsCopies) += 1;
    }
    return {tables, settingsCopies};
}

QStringList programFolderFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

TEST(KilledBackup, LeavesOnlyWholeBackupsAndTheNextSaveCleansUp)
{
    TempDir source;
    const QByteArray table = bigTable(source.path());
    const QByteArray settings = bigSettings(source.file(QStringLiteral("Kvitanky.ini")));
    ASSERT_GT(table.size(), 1 << 20);

    QRandomGenerator rng(987123);
    int leftWorkingCopies = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        TempDir dir;
        testsupport::writeFile(dir.file(QStringLiteral("Data.dbf")), table);
        testsupport::writeFile(dir.file(QStringLiteral("Kvitanky.ini")), settings);

        Child child;
        child.start(QStringLiteral("CrashChild.DISABLED_backsUpUntilKilled"), dir.path());
        ASSERT_GE(child.waitFor("saved", 1), 1) << child.process.readAllStandardError().toStdString();
        QThread::usleep(rng.bounded(0, 40000));
        child.kill();
        ASSERT_EQ(child.process.exitStatus(), QProcess::CrashExit)
            << child.process.readAllStandardError().toStdString();
        const qint64 saves = lastReported(child.output, "saved");

        // The sources are untouched, every backup is whole, none reported is missing.
        EXPECT_EQ(testsupport::readFile(dir.file(QStringLiteral("Data.dbf"))), table);
        EXPECT_EQ(testsupport::readFile(dir.file(QStringLiteral("Kvitanky.ini"))), settings);
        const QPair<int, int> made = expectWholeBackups(dir.path(), table, settings);
        EXPECT_GE(made.first, saves);
        EXPECT_GE(made.second, saves);
        EXPECT_LE(made.first, saves + 1);
        EXPECT_LE(made.second, saves + 1);

        // Beside the sources at most the working copy of the cut copy is left.
        QStringList stray = programFolderFiles(dir.path());
        for (const char *known : {"Data", "Data.dbf", "Kvitanky.ini"})
            stray.removeAll(QString::fromLatin1(known));
        EXPECT_TRUE(stray.isEmpty() || stray == QStringList{QStringLiteral("DataTemp.dbf")}
                    || stray == QStringList{QStringLiteral("KvitankyTemp.ini")})
            << stray.join(' ').toStdString();
        leftWorkingCopies += int(stray.size());

        // The next save replaces and moves a left working copy; nothing stays beside
        // the sources.
        const BackupMaker maker(dir.path());
        EXPECT_TRUE(maker.backup(QStringLiteral("Data.dbf"), QStringLiteral("DataTemp.dbf"), QStringLiteral("Data"),
                                 QStringLiteral(".dbf")).saved);
        EXPECT_TRUE(maker.backup(QStringLiteral("Kvitanky.ini"), QStringLiteral("KvitankyTemp.ini"),
                                 QStringLiteral("Kvitanky"), QStringLiteral(".ini")).saved);
        EXPECT_EQ(programFolderFiles(dir.path()), QStringList({"Data", "Data.dbf", "Kvitanky.ini"}));
        const QPair<int, int> after = expectWholeBackups(dir.path(), table, settings);
        EXPECT_EQ(after.first, made.first + 1);
        EXPECT_EQ(after.second, made.second + 1);
    }
    RecordProperty("leftWorkingCopies", leftWorkingCopies);
}

} // namespace
