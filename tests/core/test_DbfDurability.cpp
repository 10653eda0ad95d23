// SPDX-License-Identifier: GPL-3.0-or-later
// What reaches the disk and when: posts that survive a killed process, deleted rows,
// compaction, and files that are only looked at.
#include "data/DbfTable.h"
#include "data/RecipientTable.h"

#include "test_DbfSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <csignal>
#include <cstring>
#include <cstdint>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

void appendRow(DbfTable &t, int i)
{
    t.append();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("r%1").arg(i));
    t.fieldByName(QStringLiteral("OBEC")).setAsString(QStringLiteral("Nové Hobzí"));
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(i + 0.5);
    t.post();
}

void makeDurableTable(DbfTable &t, const QString &dir, int rows)
{
    CreateRecipientTable(t, dir);
    for (int i = 0; i < rows; ++i)
        appendRow(t, i);
    t.first();
}

QStringList names(DbfTable &t)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName(QStringLiteral("JMENO")).asString();
    return out;
}

// Every row still reads as one the writer wrote: "r<k>" with amount k + 0.5.
void expectConsistentRows(DbfTable &t)
{
    for (t.first(); !t.eof(); t.next()) {
        const QString name = t.fieldByName(QStringLiteral("JMENO")).asString();
        ASSERT_TRUE(name.startsWith(QLatin1Char('r'))) << name.toStdString();
        EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), name.mid(1).toInt() + 0.5);
        EXPECT_EQ(t.fieldByName(QStringLiteral("OBEC")).asString(), QStringLiteral("Nové Hobzí"));
    }
}

// ---------------------------------------------------------------- killed writer

struct KillCase {
    const char *name;
    uint32_t killAfter;   // posts reported before the kill
    bool packing;         // the writer also deletes rows and compacts now and then
};

void PrintTo(const KillCase &c, std::ostream *os) { *os << c.name; }

class KilledWriter : public ::testing::TestWithParam<KillCase> {};

// The writer, in a child process: posts rows and reports each count through the pipe.
[[noreturn]] void writeUntilKilled(const QString &path, int reportFd, bool packing)
{
    try {
        DbfTable t;
        t.setTableName(path);
        t.setActive(true);
        for (uint32_t i = 0; i < 200000; ++i) {
            appendRow(t, int(i));
            if (packing && i % 16 == 15) {
                t.moveTo(int(i % 7));
                t.deleteRecord();
                t.pack();
            }
            const uint32_t posted = i + 1;
            if (::write(reportFd, &posted, sizeof posted) != sizeof posted)
                ::_exit(2);
        }
    } catch (...) {
        ::_exit(3);
    }
    ::_exit(0);
}

TEST_P(KilledWriter, LeavesEveryPostedRow)
{
    TempDir dir;
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
    }
    const QString path = dir.file(QStringLiteral("Data.dbf"));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        writeUntilKilled(path, pipeFds[1], GetParam().packing);
    }
    ::close(pipeFds[1]);
    uint32_t reported = 0, value = 0;
    while (reported < GetParam().killAfter && ::read(pipeFds[0], &value, sizeof value) == sizeof value)
        reported = value;
    ::kill(child, SIGKILL);
    while (::read(pipeFds[0], &value, sizeof value) == sizeof value)
        reported = value;   // posts that finished before the kill landed
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
    ASSERT_GE(reported, GetParam().killAfter);

    DbfTable t;
    t.setTableName(path);
    ASSERT_NO_THROW(t.setActive(true));
    const uint32_t deletedRows = GetParam().packing ? reported / 16 : 0;
    // At most one post more than reported: it finished, its report did not.
    EXPECT_GE(uint32_t(t.recordCount()), reported - deletedRows);
    EXPECT_LE(uint32_t(t.recordCount()), reported + 1 - deletedRows);
    expectConsistentRows(t);
    if (!GetParam().packing) {
        const QStringList rows = names(t);
        for (uint32_t i = 0; i < reported; ++i)
            ASSERT_EQ(rows[int(i)], QStringLiteral("r%1").arg(i));
    }

    if (dbftest::haveDbfread()) {
        // dbfread reads up to the end mark, not the count, and still sees the same rows.
        const QJsonArray records = dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray();
        EXPECT_EQ(records.size(), t.recordCount());
        for (const QJsonValue &v : records) {
            const QJsonObject rec = v.toObject();
            EXPECT_EQ(rec[QStringLiteral("CASTKA")].toDouble(), rec[QStringLiteral("JMENO")].toString().mid(1).toInt() + 0.5);
            EXPECT_EQ(rec[QStringLiteral("OBEC")].toString(), QStringLiteral("Nové Hobzí"));
        }
    }
    if (dbftest::haveOgrinfo()) {
        // Its "Feature Count" is the header's, deleted rows included; it lists the live ones.
        EXPECT_EQ(dbftest::readWithOgrinfo(path).rows.size(), t.recordCount());
    }
}

const KillCase kKillCases[] = {
    {"AfterTheFirstPost", 1, false},
    {"AfterFortyPosts", 40, false},
    {"AfterSixHundredPosts", 600, false},
    {"AfterThreeThousandPosts", 3000, false},
    {"WhileCompacting", 500, true},
    {"WhileCompactingLater", 1500, true},
};

INSTANTIATE_TEST_SUITE_P(Durability, KilledWriter, ::testing::ValuesIn(kKillCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- killed between two writes

constexpr const char *KillDirVariable = "KVITANKY_DBF_KILL_DIR";

// The writer of the next test, run in a child process: on a table of rows r0, r1 it
// appends r2 and r3, turns r0 into r10, deletes r1 and appends r4.
TEST(KillChild, DISABLED_writes)
{
    const QString dir = QString::fromLocal8Bit(qgetenv(KillDirVariable));
    DbfTable t;
    t.setTableName(dir + QStringLiteral("/Data.dbf"));
    t.setActive(true);
    appendRow(t, 2);
    appendRow(t, 3);
    t.moveTo(0);
    t.edit();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("r10"));
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(10.5);
    t.post();
    t.moveTo(1);
    t.deleteRecord();
    appendRow(t, 4);
    t.setActive(false);
    testsupport::writeFile(dir + QStringLiteral("/finished"), "1");
}

// The writer killed before each of its writes in turn (strace injects the kill):
// our engine, dbfread (which reads up to the end mark) and GDAL (which reads by the
// header's count) show the same rows every time.
TEST(KilledBetweenWrites, EveryReaderSeesTheSameRows)
{
    if (!testsupport::haveProgram(QStringLiteral("strace")) || !dbftest::haveDbfread() || !dbftest::haveOgrinfo())
        GTEST_SKIP() << "needs strace, dbfread and ogrinfo";
    TempDir base;
    {
        DbfTable t;
        makeDurableTable(t, base.path(), 2);
    }
    const QByteArray start = testsupport::readFile(base.file(QStringLiteral("Data.dbf")));
    const QList<QStringList> states = {{"r0", "r1"}, {"r0", "r1", "r2"}, {"r0", "r1", "r2", "r3"},
                                       {"r10", "r1", "r2", "r3"}, {"r10", "r2", "r3"}, {"r10", "r2", "r3", "r4"}};
    bool finished = false;
    for (int k = 1; k <= 60 && !finished; ++k) {
        TempDir dir;
        const QString path = dir.file(QStringLiteral("Data.dbf"));
        testsupport::writeFile(path, start);
        qputenv(KillDirVariable, QFile::encodeName(dir.path()));
        testsupport::runProgram(QStringLiteral("strace"),
                                {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                 QStringLiteral("-e"), QStringLiteral("trace=pwrite64"), QStringLiteral("-e"),
                                 QStringLiteral("inject=pwrite64:signal=KILL:when=%1").arg(k),
                                 QCoreApplication::applicationFilePath(),
                                 QStringLiteral("--gtest_filter=KillChild.DISABLED_writes"),
                                 QStringLiteral("--gtest_also_run_disabled_tests")});
        finished = QFileInfo::exists(dir.file(QStringLiteral("finished")));

        DbfTable t;
        t.setTableName(path);
        ASSERT_NO_THROW(t.setActive(true)) << "killed before write " << k;
        const QStringList ours = names(t);
        expectConsistentRows(t);
        QStringList byEndMark, byCount;
        for (const QJsonValue &v : dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray())
            byEndMark << v.toObject()[QStringLiteral("JMENO")].toString();
        for (const auto &row : dbftest::readWithOgrinfo(path).rows)
            byCount << row.value(QStringLiteral("JMENO"));
        EXPECT_TRUE(states.contains(ours)) << "killed before write " << k << ": " << ours.join(' ').toStdString();
        EXPECT_EQ(byEndMark.join(' ').toStdString(), ours.join(' ').toStdString()) << "killed before write " << k;
        EXPECT_EQ(byCount.join(' ').toStdString(), ours.join(' ').toStdString()) << "killed before write " << k;
    }
    EXPECT_TRUE(finished) << "the writer never ran to its end";
}

// ---------------------------------------------------------------- deleted rows

qint64 expectedSize(const DbfTable &t, int records)
{
    const int headerLength = 32 + 32 * int(t.fields().size()) + 1;
    int recordLength = 1;
    for (const FieldDef &f : t.fields())
        recordLength += f.size;
    return headerLength + qint64(records) * recordLength + 1;
}

TEST(DeletedRows, MarkedAtOnceAndPackedInOrder)
{
    TempDir dir;
    DbfTable t;
    makeDurableTable(t, dir.path(), 10);
    const QString path = t.tableName();
    t.moveTo(2);
    t.deleteRecord();
    t.moveTo(5);   // r6
    t.deleteRecord();
    EXPECT_EQ(t.fieldByName(QStringLiteral("JMENO")).asString(), QStringLiteral("r7"));
    EXPECT_EQ(t.recordCount(), 8);
    EXPECT_EQ(t.storedRecordCount(), 10);
    EXPECT_EQ(QFileInfo(path).size(), expectedSize(t, 10));
    if (dbftest::haveDbfread()) {
        EXPECT_EQ(dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray().size(), 8);
    }

    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions permissions = QFile::permissions(path);
    t.moveTo(4);
    t.pack();
    EXPECT_EQ(t.storedRecordCount(), 8);
    EXPECT_EQ(QFileInfo(path).size(), expectedSize(t, 8));
    EXPECT_EQ(QFile::permissions(path), permissions);
    EXPECT_EQ(t.recNo(), 4);
    EXPECT_EQ(names(t), QStringList({"r0", "r1", "r3", "r4", "r5", "r7", "r8", "r9"}));
    appendRow(t, 10);
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(names(t), QStringList({"r0", "r1", "r3", "r4", "r5", "r7", "r8", "r9", "r10"}));
}

TEST(DeletedRows, DeleteAllIsOneRewrite)
{
    TempDir dir;
    DbfTable t;
    makeDurableTable(t, dir.path(), 1000);
    t.moveTo(500);
    t.edit();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("pending"));
    t.deleteAll();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_FALSE(t.isEditing());
    EXPECT_EQ(QFileInfo(t.tableName()).size(), expectedSize(t, 0));
    appendRow(t, 1);
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(names(t), QStringList({"r1"}));
}

struct CloseCase {
    const char *name;
    int rows;
    int deletes;
    int storedAfterClose;
};

void PrintTo(const CloseCase &c, std::ostream *os) { *os << c.name; }

class CompactOnClose : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CompactOnClose, OnlyWhenAQuarterIsDeleted)
{
    TempDir dir;
    DbfTable t;
    makeDurableTable(t, dir.path(), GetParam().rows);
    for (int i = 0; i < GetParam().deletes; ++i)
        t.deleteRecord();
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), GetParam().rows - GetParam().deletes);
    EXPECT_EQ(t.storedRecordCount(), GetParam().storedAfterClose);
    expectConsistentRows(t);
}

INSTANTIATE_TEST_SUITE_P(Durability, CompactOnClose,
                         ::testing::Values(CloseCase{"NoDeletes", 8, 0, 8}, CloseCase{"OneOfEight", 8, 1, 8},
                                           CloseCase{"TwoOfEight", 8, 2, 6}, CloseCase{"AllOfThem", 8, 8, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DeletedRows, LookingNeverChangesTheFile)
{
    TempDir dir;
    QString path;
    {
        DbfTable t;
        makeDurableTable(t, dir.path(), 12);
        path = t.tableName();
        t.deleteRecord();
        t.deleteRecord();   // a sixth of the file: kept at close
    }
    {
        // And one deleted by another program.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray header = f.read(12);
        f.seek((quint8(header[8]) | quint8(header[9]) << 8) + qint64(11) * (quint8(header[10]) | quint8(header[11]) << 8));
        f.write("*");
    }
    const dbftest::FileState before = dbftest::fileState(path);
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), 9);
    EXPECT_EQ(t.storedRecordCount(), 12);
    for (t.first(); !t.eof(); t.next())
        for (int c = 0; c < t.fieldCount(); ++c)
            (void)t.fieldByName(t.fields()[c].name).asString();
    for (int row = t.recordCount() - 1; row >= 0; --row)
        (void)t.displayText(row, 1);
    t.moveTo(3);
    t.edit();
    t.cancel();
    t.append();   // dropped unchanged by the move
    t.first();
    t.setActive(false);
    EXPECT_TRUE(dbftest::fileState(path) == before);
}

TEST(Pending, ChangedRecordIsPostedOnClose)
{
    TempDir dir;
    DbfTable t;
    makeDurableTable(t, dir.path(), 2);
    t.append();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("r2"));
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(names(t), QStringList({"r0", "r1", "r2"}));
    t.append();   // unchanged: dropped
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(t.recordCount(), 3);
}

TEST(Pending, PostWritesBeforeReturning)
{
    TempDir dir;
    DbfTable t;
    makeDurableTable(t, dir.path(), 3);
    t.moveTo(1);
    t.edit();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("Příliš žluťoučký"));
    t.post();
    appendRow(t, 3);
    // A second reader sees both at once, while this table stays open.
    DbfTable reader;
    reader.setTableName(t.tableName());
    reader.setActive(true);
    EXPECT_EQ(names(reader), QStringList({"r0", "Příliš žluťoučký", "r2", "r3"}));
}

} // namespace

namespace {

// Another dBase program appending to the same table: it takes the byte-range lock
// on the header, reads the count, writes its record and the end mark, then the
// count. Plain system calls, as a program that knows nothing of this engine.
[[noreturn]] void appendAsAnotherProgram(const QByteArray &path, int rows)
{
    const int fd = ::open(path.constData(), O_RDWR);
    unsigned char h[12];
    if (fd < 0 || ::pread(fd, h, 12, 0) != 12)
        ::_exit(2);
    const int headerLength = h[8] | h[9] << 8;
    const int recordLength = h[10] | h[11] << 8;
    for (int i = 0; i < rows; ++i) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = headerLength;
        if (::fcntl(fd, F_SETLKW, &lock) != 0)
            ::_exit(3);
        unsigned char c[4];
        if (::pread(fd, c, 4, 4) != 4)
            ::_exit(4);
        const uint32_t count = uint32_t(c[0]) | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24;
        QByteArray rec(recordLength + 1, ' ');
        const QByteArray name = "o" + QByteArray::number(i);
        std::memcpy(rec.data() + 1 + 10, name.constData(), size_t(name.size()));   // JMENO follows TITUL (10)
        rec[recordLength] = 0x1A;
        const off_t at = off_t(headerLength) + off_t(count) * recordLength;
        const uint32_t next = count + 1;
        const unsigned char n[4] = {uint8_t(next), uint8_t(next >> 8), uint8_t(next >> 16), uint8_t(next >> 24)};
        if (::pwrite(fd, rec.constData(), size_t(rec.size()), at) != rec.size() || ::pwrite(fd, n, 4, 4) != 4)
            ::_exit(5);
        lock.l_type = F_UNLCK;
        ::fcntl(fd, F_SETLK, &lock);
    }
    ::_exit(0);
}

class SharedTable : public ::testing::TestWithParam<int> {};

// Both programs append a thousand rows at once (this one one by one, or in
// batches): every row of either is there afterwards, each once.
TEST_P(SharedTable, AppendsOfAnotherProgramUnderTheLockAreKept)
{
    TempDir dir;
    DbfTable t;
    CreateRecipientTable(t, dir.path());
    t.setAppendBatch(GetParam());
    const int rows = 1000;
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0)
        appendAsAnotherProgram(QFile::encodeName(recipientTablePath(dir.path())), rows);
    for (int i = 0; i < rows; ++i) {
        t.append();
        t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("p%1").arg(i));
        t.post();
    }
    t.flushAppends();
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    t.setActive(false);
    t.setActive(true);
    QStringList ours, theirs;
    for (const QString &n : names(t))
        (n.startsWith(QLatin1Char('p')) ? ours : theirs) << n;
    ASSERT_EQ(ours.size(), rows);
    ASSERT_EQ(theirs.size(), rows);
    for (int i = 0; i < rows; ++i) {
        EXPECT_EQ(ours[i], QStringLiteral("p%1").arg(i));
        EXPECT_EQ(theirs[i], QStringLiteral("o%1").arg(i));
    }
    EXPECT_EQ(t.storedRecordCount(), 2 * rows);
}

INSTANTIATE_TEST_SUITE_P(Posts, SharedTable, ::testing::Values(0, 37));

} // namespace
