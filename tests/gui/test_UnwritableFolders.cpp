// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: Folders and files that cannot be written: a read-only program folder, files
// marked immutable, a full disk.
#include "BadInputFixture.h"

#include "shell/AboutPage.h"

#include <QLabel>

using namespace badinput;

namespace {

// ---------------------------------------------------------------- folders and files that cannot be written

// One user action and every message it brings.
struct Step {
    const char *what;
    std::function<void()> act;
    QStringList said;
};

void runSteps(QList<ui::MessageRequest> &messages, const std::vector<Step> &steps,
              const std::function<QStringList()> &texts)
{
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        messages.clear();
        step.act();
        EXPECT_EQ(texts(), step.said);
    }
}

class Unwritable : public BadInput
{
protected:
    void SetUp() override
    {
        BadInput::SetUp();
        source = dir.file("source");
        view = dir.file("view");
        ASSERT_TRUE(QDir().mkpath(source));
        ASSERT_TRUE(QDir().mkpath(view));
        writeFile(dir.file("in.csv"), goodLine(1) + goodLine(2));
    }
    void TearDown() override
    {
        BadInput::TearDown();
        mount.reset();
    }

    void steps(const std::vector<Step> &list)
    {
        runSteps(messages, list, [this] { return texts(); });
    }

    // Closing: the user is told the settings could not be saved and may stay.
    void closeRefusingTheSave(const QString &iniPath)
    {
        messages.clear();
        answer = ui::MessageAnswer::Cancel;
        EXPECT_FALSE(form->close());
        const QString said = QStringLiteral("Unable to write to ") + iniPath
                             + QStringLiteral("\n\nNastavení nebylo uloženo. Ukoncit program i tak?");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].text, said);
        EXPECT_TRUE(messages[0].withCancel);
        answer = ui::MessageAnswer::Ok;
        EXPECT_TRUE(form->close());
        form.reset();
    }

    static QString readOnlyNote(const QString &folder)
    {
        return QStringLiteral("Do složky '%1' nelze zapisovat (%2). Data v ní jsou otevřena jen pro čtení: "
                              "lze je prohlížet a tisknout, změny ale nepůjde uložit.")
            .arg(native(folder), systemReason(EROFS));
    }
    // Starts the program as if it were installed in `executableDir`, with the
    // per-user data folder under the test's folder; false when start-up failed.
    bool startInstalledIn(const QString &executableDir)
    {
        userData = std::make_unique<ScopedEnv>("XDG_DATA_HOME", dir.file("user").toUtf8());
        StartupOptions o = options(QString());
        o.executableDir = executableDir;
        try {
            form = std::make_unique<TForm1>(o);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "start-up failed: " << e.what();
            return false;
        }
        return true;
    }
    QString dataFolderShown() const { return form->TabSheetAbout->LabelAboutDataFolder->text(); }

    QString readOnlyTable(const QString &folder) const
    {
        return QStringLiteral("Tabulka '%1': soubor je jen pro čtení, změny nelze uložit")
            .arg(QDir(folder).filePath("Data.dbf"));
    }
    static QString deleteAllQuestion(int rows)
    {
        return QStringLiteral("Opravdu si prejete Vymazat všechna data (%1) záznamu z adresáre?").arg(rows);
    }

    // An environment variable set for the test and put back afterwards.
    struct ScopedEnv {
        ScopedEnv(const char *name, const QByteArray &value) : name(name), old(qgetenv(name)), had(qEnvironmentVariableIsSet(name))
        {
            qputenv(name, value);
        }
        ~ScopedEnv() { had ? qputenv(name, old) : qunsetenv(name); }
        const char *name;
        QByteArray old;
        bool had;
    };

    QString source;
    QString view;
    std::unique_ptr<Mount> mount;
    std::unique_ptr<ScopedEnv> userData;
};

// An office's program folder the clerk cannot write to: its data are shown, read
// only, said once with the reason; nothing goes to the per-user folder.
TEST_F(Unwritable, ProgramFolderWithDataIsUsedReadOnly)
{
    prepareProgramFolder(source);
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(startInstalledIn(view));
    EXPECT_EQ(form->ProgramDir, view);
    EXPECT_EQ(texts(), QStringList({readOnlyNote(view)}));
    EXPECT_EQ(form->TableData.recordCount(), 4);
    EXPECT_EQ(dataFolderShown(), QStringLiteral("Data programu: %1 (jen pro čtení)").arg(native(view)));
    form.reset();
    EXPECT_FALSE(QFileInfo::exists(dir.file("user")) && !QDir(dir.file("user")).isEmpty());
}

// Installed where nothing can be written and no data are: the per-user folder
// holds them, and the information page says where.
TEST_F(Unwritable, EmptyProgramFolderFallsBackToTheUserFolder)
{
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(startInstalledIn(view));
    EXPECT_EQ(texts(), QStringList());
    EXPECT_TRUE(form->ProgramDir.startsWith(dir.file("user/"))) << form->ProgramDir.toStdString();
    EXPECT_EQ(dataFolderShown(), QStringLiteral("Data programu: %1").arg(native(form->ProgramDir)));
    EXPECT_TRUE(QFileInfo::exists(QDir(form->ProgramDir).filePath("Data.dbf")));
}

// Links someone planted in a shared program folder under the name of the folder's
// write test: nothing is written through them.
TEST_F(Unwritable, WriteTestNeverFollowsALink)
{
    const QString target = dir.file("target.txt");
    writeFile(target, "keep me");
    ASSERT_TRUE(QFile::link(target, QDir(source).filePath(".kvitanky-write-test")));
    ASSERT_TRUE(startInstalledIn(source));
    EXPECT_EQ(form->ProgramDir, source);
    EXPECT_EQ(readFile(target), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo(QDir(source).filePath(".kvitanky-write-test")).isSymLink());
}

// The program folder mounted read-only: the program starts, shows the data and
// refuses every change with a message that names the file; nothing is changed.
TEST_F(Unwritable, ProgramFolderRefusesEveryChangeAndKeepsTheFiles)
{
    prepareProgramFolder(source);
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    const auto before = snapshot(source);

    ASSERT_TRUE(start(view));
    EXPECT_EQ(texts(), QStringList({readOnlyNote(view)}));
    EXPECT_EQ(form->TableData.recordCount(), 4);
    const QString ini = QDir(view).filePath("Kvitanky.ini");
    steps({
        {"typing a name", [&] { edit("EditDataFirstName")->setText(QStringLiteral("Nové")); }, {readOnlyTable(view)}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); },
         {QStringLiteral("Cannot create ") + native(QDir(view).filePath("Data")) + QStringLiteral(" directory.")}},
        {"saving the settings", [&] { button("ButtonSetSave")->click(); }, {QStringLiteral("Unable to write to ") + ini}},
        {"importing", [&] { importCsv(dir.file("in.csv")); }, {readOnlyTable(view)}},
        {"exporting into the folder", [&] { exportCsv(QDir(view).filePath("export.csv")); },
         {QStringLiteral("Nemohu otevrít soubor ") + native(QDir(view).filePath("export.csv")) + QStringLiteral("."),
          QStringLiteral("Bylo exportováno 0 záznamu.")}},
        {"deleting all", [&] { impExp()->Button1->click(); }, {deleteAllQuestion(4), readOnlyTable(view)}},
        {"printing to a PDF file in the folder", [&] { form->ButtonPrintActual->click(); },
         {QStringLiteral("Nelze vytvorit soubor ") + native(QDir(view).filePath("Kvitanky.pdf"))
          + QStringLiteral(" (") + systemReason(EROFS) + QStringLiteral(").")}},
    });
    EXPECT_EQ(form->TableData.recordCount(), 4);
    closeRefusingTheSave(ini);
    mount.reset();
    EXPECT_EQ(snapshot(source), before);
}

// The very first start in a folder that cannot be written: the user learns that
// the settings file cannot be made and why the table cannot be made; no window.
TEST_F(Unwritable, FirstStartInAReadOnlyFolderSaysWhy)
{
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    EXPECT_FALSE(runEntry(view));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Nelze otevrít soubor 'Kvitanky.ini'"),
                                    QStringLiteral("Tabulka '%1': soubor nelze vytvořit: %2")
                                        .arg(QDir(view).filePath("Data.dbf"), systemReason(EROFS))}));
    EXPECT_EQ(snapshot(source), (QMap<QString, QByteArray>()));
}

// Table and settings file marked immutable (chattr +i): the same refusals, the
// files stay byte for byte, and no working file is left beside them.
TEST_F(Unwritable, ImmutableFilesRefuseChangesAndLeaveNoWorkingFiles)
{
    prepareProgramFolder(source);
    QString why;
    std::vector<std::unique_ptr<Immutable>> locks;
    for (const char *name : {"Data.dbf", "Owners.dbf", "Kvitanky.ini"}) {
        auto lock = Immutable::set(QDir(source).filePath(QString::fromLatin1(name)), &why);
        if (!lock)
            GTEST_SKIP() << why.toStdString();
        locks.push_back(std::move(lock));
    }
    const auto before = snapshot(source);
    const QStringList entries = QDir(source).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    ASSERT_TRUE(start(source));
    EXPECT_EQ(texts(), QStringList());
    const QString ini = QDir(source).filePath("Kvitanky.ini");
    steps({
        {"typing a name", [&] { edit("EditDataFirstName")->setText(QStringLiteral("Nové")); }, {readOnlyTable(source)}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); }, {readOnlyTable(source)}},
        {"saving the settings", [&] { button("ButtonSetSave")->click(); }, {QStringLiteral("Unable to write to ") + ini}},
        {"importing", [&] { importCsv(dir.file("in.csv")); }, {readOnlyTable(source)}},
        {"deleting all", [&] { impExp()->Button1->click(); }, {deleteAllQuestion(4), readOnlyTable(source)}},
    });
    closeRefusingTheSave(ini);
    EXPECT_EQ(snapshot(source), before);
    QStringList now = QDir(source).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    now.removeAll(QStringLiteral("Data"));   // the backup folder, made before the refusal
    EXPECT_EQ(now, entries);
}

// A full disk: saves fail with a message and keep the old file, no half file is
// left, an import keeps every row posted before the disk ran full, and once there
// is room again everything goes on.
TEST_F(Unwritable, FullDiskKeepsOldFilesAndPostedRows)
{
    QString why;
    mount = Mount::tmpfs(source, "size=256k", &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    prepareProgramFolder(source);
    QByteArray bigCsv;
    for (int i = 0; i < 400; ++i)
        bigCsv += goodLine(i);
    writeFile(dir.file("big.csv"), bigCsv);

    ASSERT_TRUE(start(source));
    const QString filler = dir.file("source/filler");
    ASSERT_GT(fillUp(filler), 0);
    const auto before = snapshot(source);
    const QString ini = QDir(source).filePath("Kvitanky.ini");

    steps({
        {"saving the settings",
         [&] {
             edit("EditSetOwnerAddress1")->setText(QStringLiteral("Nová adresa, která se nevejde"));
             button("ButtonSetSave")->click();
         },
         {QStringLiteral("Unable to write to ") + ini}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); },
         {QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close."),
          QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close.")}},
    });
    auto now = snapshot(source);
    EXPECT_EQ(now, before);

    // The import runs until the table cannot grow.
    messages.clear();
    importCsv(dir.file("big.csv"));
    const int posted = form->TableData.recordCount() - 4;
    EXPECT_GE(posted, 0);
    EXPECT_LT(posted, 400);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Tabulka '%1': do souboru nelze zapisovat: %2")
                                    .arg(QDir(source).filePath("Data.dbf"), systemReason(ENOSPC)));
    closeRefusingTheSave(ini);

    const QString table = QDir(source).filePath("Data.dbf");
    QStringList rows = names(table);
    ASSERT_EQ(rows.size(), 4 + posted);
    for (int i = 0; i < posted; ++i)
        EXPECT_EQ(rows[4 + i], QStringLiteral("Jan%1 Novák").arg(i));
    EXPECT_EQ(header(readFile(table)).count, quint32(4 + posted));
    expectDbfreadRows(table, 4 + posted);

    // Room again: the next session imports the rest behind the rows already there.
    ASSERT_TRUE(QFile::remove(filler));
    messages.clear();
    ASSERT_TRUE(start(source));
    importCsv(dir.file("big.csv"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Bylo importováno 400 záznamu.")}));
    form.reset();
    rows = names(table);
    ASSERT_EQ(rows.size(), 4 + posted + 400);
    EXPECT_EQ(rows.last(), QStringLiteral("Jan399 Novák"));
    expectDbfreadRows(table, 4 + posted + 400);
}


// Files the program replaces as a whole (exports, the PDF, the table when it is
// compacted) on a full disk: the earlier file must stay, and the user must hear
// that the new one was not written. QSaveFile::commit() does not notice that the
// flush of the last buffered bytes failed: it renames the short file into place
// and reports success, so every writer has to flush() and check before commit().
class FullDisk : public Unwritable
{
protected:
    // Starts in a small file system of its own and fills it up after `before`.
    bool startFull(const std::function<void()> &before = {})
    {
        QString why;
        mount = Mount::tmpfs(source, "size=128k", &why);
        if (!mount) {
            skipReason = why;
            return false;
        }
        prepareProgramFolder(source);
        if (!start(source))
            return false;
        if (before)
            before();
        messages.clear();
        EXPECT_GT(fillUp(QDir(source).filePath("filler")), 0);
        return true;
    }
    QString skipReason;
};

TEST_F(FullDisk, CsvExportKeepsTheEarlierExport)
{
    const QString path = QDir(source).filePath("export.csv");
    if (!startFull([&] { exportCsv(path); }))
        GTEST_SKIP() << skipReason.toStdString();
    const QByteArray earlier = readFile(path);
    ASSERT_FALSE(earlier.isEmpty());
    exportCsv(path);
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Nemohu otevrít soubor ") + native(path) + QStringLiteral("."),
                                    QStringLiteral("Bylo exportováno 0 záznamu.")}));
    EXPECT_EQ(readFile(path), earlier);
}

TEST_F(FullDisk, PdfPrintKeepsTheEarlierPdf)
{
    const QString path = QDir(source).filePath("Kvitanky.pdf");
    if (!startFull([&] { form->ButtonPrintActual->click(); }))
        GTEST_SKIP() << skipReason.toStdString();
    const QByteArray earlier = readFile(path);
    ASSERT_TRUE(earlier.startsWith("%PDF"));
    messages.clear();
    form->ButtonPrintAll->click();
    // Before the job its summary and the question about the existing file; then one error.
    QList<ui::MessageRequest> errors;
    for (const ui::MessageRequest &m : messages) {
        if (m.kind == ui::MessageKind::Error)
            errors << m;
    }
    ASSERT_EQ(errors.size(), 1) << texts().join('\n').toStdString();
    EXPECT_TRUE(errors[0].text.startsWith(QStringLiteral("Nelze zapsat soubor ") + native(path)))
        << errors[0].text.toStdString();
    EXPECT_EQ(readFile(path), earlier);
}

TEST_F(FullDisk, WorkbookExportIsNotReportedAsDone)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    const QList<QUrl> &opened = desktop->openedUrls;
    impExp()->ButtonExportXLS->click();
    // Either an error naming the workbook, or a whole workbook that opens.
    if (opened.isEmpty()) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    } else {
        const QString path = opened[0].toLocalFile();
        const QByteArray bytes = readFile(path);
        EXPECT_TRUE(bytes.startsWith("PK\x03\x04") && bytes.contains("PK\x05\x06"))
            << path.toStdString() << " holds " << bytes.size() << " bytes, not a whole workbook";
    }
}

// Deleting a quarter of the rows makes the table compact itself when it closes.
TEST_F(FullDisk, CompactionAtCloseKeepsTheRows)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    button("ButtonDataTableDelete")->click();
    EXPECT_EQ(form->TableData.recordCount(), 3);
    answer = ui::MessageAnswer::Ok;
    form.reset();
    const QString table = QDir(source).filePath("Data.dbf");
    EXPECT_GT(QFileInfo(table).size(), 0);
    QStringList rows;
    EXPECT_NO_THROW(rows = names(table));
    EXPECT_EQ(rows.size(), 3);
}

TEST_F(FullDisk, DeleteAllLeavesATable)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    impExp()->Button1->click();
    form.reset();
    const QString table = QDir(source).filePath("Data.dbf");
    // Either every row is gone from a valid table, or the rows stayed and the user heard why.
    QStringList rows;
    EXPECT_NO_THROW(rows = names(table)) << "the table no longer opens";
    EXPECT_TRUE(rows.isEmpty() || rows.size() == 4);
    if (rows.size() == 4) {
        ASSERT_EQ(messages.size(), 2);
        EXPECT_EQ(messages[1].kind, ui::MessageKind::Error);
    }
}


// The first start on a full disk cannot create the table; once there is room the
// next start must create it, not stumble over a file the first one left.
TEST_F(FullDisk, FirstStartLeavesNoEmptyTableBehind)
{
    QString why;
    mount = Mount::tmpfs(source, "size=64k", &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    const QString filler = QDir(source).filePath("filler");
    ASSERT_GT(fillUp(filler), 0);
    EXPECT_FALSE(runEntry(source));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Tabulka '%1': ").arg(QDir(source).filePath("Data.dbf"))))
        << messages.last().text.toStdString();

    ASSERT_TRUE(QFile::remove(filler));
    messages.clear();
    ASSERT_TRUE(runEntry(source)) << texts().join('\n').toStdString();
    EXPECT_EQ(names(QDir(source).filePath("Data.dbf")).size(), 4);
}

} // namespace
