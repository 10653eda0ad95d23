// SPDX-License-Identifier: GPL-3.0-or-later
// Backup copies: the copy itself, the stamped names, and the "Uložit" button of
// the recipient page that makes them.
#include "GuiTestSupport.h"

#include "data/Backup.h"
#include "data/DbfTable.h"
#include "data/RecipientPage.h"
#include "data/RecipientTable.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace kvitanky;
using namespace testsupport;

namespace {

const QDateTime FixedTime(QDate(2024, 3, 9), QTime(7, 5, 3));

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// --- The stamp ---------------------------------------------------------------

struct StampCase {
    QDateTime when;
    const char *stamp;
};

class StampTest : public ::testing::TestWithParam<StampCase>
{
};

TEST_P(StampTest, FourteenDigitsWithLeadingZeros)
{
    EXPECT_EQ(BackupStamp(GetParam().when), QString::fromLatin1(GetParam().stamp));
}

INSTANTIATE_TEST_SUITE_P(
    Times, StampTest,
    ::testing::Values(StampCase{FixedTime, "20240309070503"},
                      StampCase{QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)), "20231231235959"},
                      StampCase{QDateTime(QDate(999, 1, 2), QTime(0, 0, 0)), "09990102000000"}));

// --- The copy ----------------------------------------------------------------

class CopyTest : public ::testing::TestWithParam<int>
{
};

TEST_P(CopyTest, CopiesEveryByte)
{
    TempDir dir;
    QByteArray bytes(GetParam(), '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + 3) & 0xff);
    writeFile(dir.file("src"), bytes);
    writeFile(dir.file("dst"), QByteArray(GetParam() + 100, 'x'));   // replaced, not merged
    QString reason;
    ASSERT_TRUE(CopyFileWhole(dir.file("src"), dir.file("dst"), &reason)) << reason.toStdString();
    EXPECT_EQ(readFile(dir.file("dst")), bytes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CopyTest, ::testing::Values(0, 1, 4096, 3 << 20));

TEST(CopyFailure, MissingSourceWritesNothingAndNamesTheFile)
{
    TempDir dir;
    QString reason;
    EXPECT_FALSE(CopyFileWhole(dir.file("missing.dbf"), dir.file("dst"), &reason));
    EXPECT_TRUE(reason.contains("missing.dbf")) << reason.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("dst")));
}

TEST(CopyFailure, UnwritableDestinationNamesIt)
{
    TempDir dir;
    writeFile(dir.file("src"), "abc");
    ASSERT_TRUE(QDir(dir.path()).mkdir("dst"));
    QString reason;
    EXPECT_FALSE(CopyFileWhole(dir.file("src"), dir.file("dst"), &reason));
    EXPECT_TRUE(reason.contains("dst")) << reason.toStdString();
}

// --- Stamped names -----------------------------------------------------------

TEST(BackupMakerTest, SavesWithinOneSecondGetDistinctNamesAndLeaveNoWorkingCopy)
{
    TempDir dir;
    writeFile(dir.file("Data.dbf"), "one");
    const BackupMaker maker(dir.path(), [] { return FixedTime; });
    maker.ensureBackupDir();
    QStringList made;
    for (const char *content : {"one", "two", "three"}) {
        writeFile(dir.file("Data.dbf"), content);
        const BackupResult r = maker.backup("Data.dbf", "DataTemp.dbf", "Data", ".dbf");
        ASSERT_TRUE(r.saved) << r.reason.toStdString();
        EXPECT_EQ(readFile(r.path), QByteArray(content));
        made << QFileInfo(r.path).fileName();
    }
    EXPECT_EQ(made, QStringList({"Data20240309070503.dbf", "Data20240309070503_2.dbf", "Data20240309070503_3.dbf"}));
    EXPECT_EQ(filesIn(dir.path()), QStringList({"Data", "Data.dbf"}));
}

// A table's memo file goes along under the same stamp, and each copy may be read
// by whom its source may be read.
TEST(BackupMakerTest, MemoFileGoesAlongAndPermissionsStay)
{
    TempDir dir;
    writeFile(dir.file("Data.dbf"), "table");
    writeFile(dir.file("Data.FPT"), "memo");
    ASSERT_TRUE(QFile::setPermissions(dir.file("Data.dbf"), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(dir.file("Data.FPT"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const BackupMaker maker(dir.path(), [] { return FixedTime; });
    maker.ensureBackupDir();
    const BackupResult r = maker.backup("Data.dbf", "DataTemp.dbf", "Data", ".dbf");
    ASSERT_TRUE(r.saved) << r.reason.toStdString();
    const QString memo = dir.file("Data/Data20240309070503.fpt");
    EXPECT_EQ(readFile(r.path), QByteArray("table"));
    EXPECT_EQ(readFile(memo), QByteArray("memo"));
    EXPECT_EQ(QFileInfo(r.path).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QFileInfo(memo).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(filesIn(dir.path()), QStringList({"Data", "Data.FPT", "Data.dbf"}));
}

// Links someone put in the program folder or the backup folder: the file they
// point to stays as it was, the backup goes to a name of its own.
TEST(BackupMakerTest, LinksPlantedInTheFoldersAreNeverWrittenThrough)
{
    TempDir dir, elsewhere;
    writeFile(dir.file("Data.dbf"), "table");
    writeFile(elsewhere.file("victim"), "keep");
    const BackupMaker maker(dir.path(), [] { return FixedTime; });
    maker.ensureBackupDir();
    ASSERT_TRUE(QFile::link(elsewhere.file("victim"), dir.file("DataTemp.dbf")));
    ASSERT_TRUE(QFile::link(elsewhere.file("victim"), dir.file("Data/Data20240309070503.dbf")));
    ASSERT_TRUE(QFile::link(elsewhere.file("nothing"), dir.file("Data/Data20240309070503_2.dbf")));
    const BackupResult r = maker.backup("Data.dbf", "DataTemp.dbf", "Data", ".dbf");
    ASSERT_TRUE(r.saved) << r.reason.toStdString();
    EXPECT_EQ(QFileInfo(r.path).fileName(), "Data20240309070503_3.dbf");
    EXPECT_EQ(readFile(r.path), QByteArray("table"));
    EXPECT_EQ(readFile(elsewhere.file("victim")), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo::exists(elsewhere.file("nothing")));
    EXPECT_EQ(filesIn(dir.path()), QStringList({"Data", "Data.dbf"}));
}

TEST(BackupMakerTest, FolderThatCannotBeMadeIsAnError)
{
    TempDir dir;
    writeFile(dir.file("Data"), "a file in the way");
    const BackupMaker maker(dir.path());
    try {
        maker.ensureBackupDir();
        FAIL() << "no error";
    } catch (const BackupError &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  "Cannot create " + QDir::toNativeSeparators(dir.file("Data")) + " directory.");
    }
}

// --- The "Uložit" button -----------------------------------------------------

class SaveButtonTest : public FormTest
{
protected:
    void start()
    {
        startForm();
        showPage(form->TabSheetData);
    }

    void save() { button("ButtonDataTableSave")->click(); }
    QString confirmation() const
    {
        return QString::fromUtf8("Data byla uložena do adresáre ") + QDir::toNativeSeparators(dir.file("Data"))
               + " ";
    }
    QStringList backups(const QString &pattern) const
    {
        return filesIn(dir.file("Data")).filter(QRegularExpression(pattern));
    }
    void expectNoWorkingCopies() const
    {
        EXPECT_FALSE(QFile::exists(dir.file("DataTemp.dbf")));
        EXPECT_FALSE(QFile::exists(dir.file("KvitankyTemp.ini")));
    }
};

TEST_F(SaveButtonTest, CreatesTheFolderWithOneStampedCopyOfEachFile)
{
    start();
    ASSERT_FALSE(QFileInfo::exists(dir.file("Data")));
    form->SaveSettings();   // a settings file with content, to compare
    save();
    const QStringList all = filesIn(dir.file("Data"));
    ASSERT_EQ(all.size(), 2) << all.join(' ').toStdString();
    const QStringList dbf = backups("^Data\\d{14}\\.dbf$");
    const QStringList ini = backups("^Kvitanky\\d{14}\\.ini$");
    ASSERT_EQ(dbf.size(), 1);
    ASSERT_EQ(ini.size(), 1);
    EXPECT_EQ(readFile(dir.file("Data/" + dbf[0])), readFile(dir.file("Data.dbf")));
    EXPECT_EQ(readFile(dir.file("Data/" + ini[0])), readFile(dir.file("Kvitanky.ini")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Information);
    EXPECT_EQ(messages[0].text, confirmation());
    expectNoWorkingCopies();
    EXPECT_EQ(form->TableData.recordCount(), 4);   // posting again adds nothing
}

TEST_F(SaveButtonTest, TwoSavesWithinOneSecondKeepBothBackups)
{
    start();
    form->TabSheetData->setBackupClock([] { return FixedTime; });
    save();
    save();
    EXPECT_EQ(backups("\\.dbf$"), QStringList({"Data20240309070503.dbf", "Data20240309070503_2.dbf"}));
    EXPECT_EQ(backups("\\.ini$"), QStringList({"Kvitanky20240309070503.ini", "Kvitanky20240309070503_2.ini"}));
    expectNoWorkingCopies();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].text, confirmation());
}

TEST_F(SaveButtonTest, MissingSettingsFileStillConfirms)
{
    start();
    ASSERT_TRUE(QFile::remove(dir.file("Kvitanky.ini")));
    save();
    EXPECT_EQ(backups("\\.dbf$").size(), 1);
    EXPECT_EQ(backups("\\.ini$").size(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text, confirmation());
    expectNoWorkingCopies();
}

// Saving makes no blank row; a record with something typed is kept as it is.
TEST_F(SaveButtonTest, EmptyTableGetsNoBlankRecord)
{
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
    }
    start();
    ASSERT_EQ(form->TableData.recordCount(), 0);
    save();
    EXPECT_EQ(form->TableData.recordCount(), 0);
    const QStringList dbf = backups("\\.dbf$");
    ASSERT_EQ(dbf.size(), 1);
    DbfTable copy;
    copy.setTableName(dir.file("Data/" + dbf[0]));
    copy.setActive(true);
    EXPECT_EQ(copy.recordCount(), 0);
    typeText(edit("EditDataSurname"), "Nova");
    save();
    ASSERT_EQ(form->TableData.recordCount(), 1);
    EXPECT_EQ(form->TableData.fieldByName("PRIJMENI").asString(), "Nova");
}

TEST_F(SaveButtonTest, FolderThatCannotBeMadeStopsTheSave)
{
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
    }
    writeFile(dir.file("Data"), "a file in the way");
    start();
    save();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(messages[0].text, "Cannot create " + QDir::toNativeSeparators(dir.file("Data")) + " directory.");
    EXPECT_EQ(form->TableData.recordCount(), 0);   // nothing posted
    expectNoWorkingCopies();
}

TEST_F(SaveButtonTest, FailedCopyIsReportedAndNotConfirmed)
{
    start();
    // The working copy cannot be written: a folder stands where it would go.
    ASSERT_TRUE(QDir(dir.path()).mkdir("DataTemp.dbf"));
    save();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, "File Error");
    EXPECT_EQ(messages[0].text, "Can't perform one of the following file operations: Open, Seek, Read, Close.");
    EXPECT_EQ(backups("\\.dbf$").size(), 0);
    EXPECT_EQ(backups("\\.ini$").size(), 1);   // the settings copy is still made
    EXPECT_FALSE(QFile::exists(dir.file("KvitankyTemp.ini")));
}

} // namespace
