// SPDX-License-Identifier: GPL-3.0-or-later
// The import/export page: imports and exports through its buttons with the file
// dialogs answered by the test desktop, the workbook export into the program folder, the
// check for an application that opens workbooks, and deleting all recipients.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "exchange/ImpExpPage.h"
#include "exchange/ImportPreviewDialog.h"
#include "exchange/SpreadsheetApp.h"
#include "print/CalibrationPage.h"
#include "print/JobProgress.h"
#include "shell/Desktop.h"
#include "text/Codepage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <xlsxwriter.h>

using namespace kvitanky;
using namespace testsupport;

namespace {

class ImpExpTest : public FormTest
{
protected:
    void TearDown() override
    {
        JobProgress::setObserver({});   // it refers to the test body's variables, gone by now
        desktop->onDialog = {};         // so does a dialog handler
        FormTest::TearDown();
    }

    // The window with the page's file dialogs and the check for a spreadsheet
    // application answered by the test.
    void start()
    {
        startForm();
        page = form->TabSheetImpExp;
        page->setSpreadsheetProbe([this] {
            ++probes;
            return spreadsheetApp;
        });
    }

    static QString surname(DbfTable &table, int row)
    {
        table.moveTo(row);
        return table.fieldByName("PRIJMENI").asString();
    }

    ImpExpPage *page = nullptr;
    // The page's file dialogs and the files it opens, on the window's desktop.
    QList<FileRequest> &requests = desktop->fileRequests;
    QList<QUrl> &opened = desktop->openedUrls;
    QString &chosen = desktop->chosenFile;
    bool &desktopOpens = desktop->opensUrls;
    bool spreadsheetApp = true;
    int probes = 0;
};

struct ImportCase {
    const char *name;
    bool sixColumns;
    QByteArray content;        // nullptr-like empty with missing = true: no file
    bool missing;
    int rows;                  // rows added
    QStringList messages;      // %1 stands for the file's path
    const char *firstSurname;  // of the first added row
};

class Imports : public ImpExpTest, public ::testing::WithParamInterface<ImportCase>
{
};

// Each import appends its rows behind the four samples, reports its own count
// message and leaves the cursor on the last new row.
TEST_P(Imports, AppendAndReport)
{
    const ImportCase c = GetParam();
    start();
    chosen = dir.file("vstup.csv");
    if (!c.missing)
        writeFile(chosen, c.content);
    (c.sixColumns ? page->ButtonImportCsv6 : page->ButtonImportCsv)->click();

    ASSERT_EQ(requests.size(), 1);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].filters, (QStringList{"Soubory CSV (*.CSV)", QString::fromUtf8("Sešity (*.xlsx *.ods)"),
                                                QString::fromUtf8("Všechny soubory (*)")}));
    EXPECT_EQ(requests[0].defaultSuffix, "CSV");
    QStringList expected;
    for (const QString &m : c.messages)
        expected << (m.contains("%1") ? m.arg(QDir::toNativeSeparators(chosen)) : m);
    EXPECT_EQ(texts(), expected);
    DbfTable &t = form->TableData;
    ASSERT_EQ(t.recordCount(), 4 + c.rows);
    if (c.rows > 0) {
        EXPECT_EQ(t.recNo(), 3 + c.rows);
        EXPECT_EQ(surname(t, 4), QString::fromUtf8(c.firstSurname));
    }
    // The one open dialog proposes the file chosen last, for either import.
    page->ButtonImportCsv->click();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[1].proposed, chosen);
}

INSTANTIATE_TEST_SUITE_P(
    ImpExp, Imports,
    ::testing::Values(
        ImportCase{"full", false,
                   toCp1250(QString::fromUtf8("Ing.;Jan;Nováček;Dlouhá 1;Brno;602 00;1 234,50 Kč;77;0;;;1;\r\n"
                                              "\r\n;Eva;Malá\n")),
                   false, 2, {QString::fromUtf8("Bylo importováno 2 záznamu.")}, "Nováček"},
        ImportCase{"sixColumns", true, toCp1250(QString::fromUtf8("Šťastný;Petr;110 00;Praha;Ulice 5;1 250,50")),
                   false, 1, {QString::fromUtf8("Importováno 1 záznamu.")}, "Šťastný"},
        // A line over 765 bytes stops the import there; the program goes on and the
        // rows before it stay.
        ImportCase{"tooLongLine", false, "x;y;Novy\n" + QByteArray(766, 'z') + "\nu;v;Dalsi\n", false, 1,
                   {QString::fromUtf8("Soubor %1, řádek 2: řádek je delší než 765 znaků. Import skončil před tímto "
                                      "řádkem."),
                    QString::fromUtf8("Bylo importováno 1 záznamu.")},
                   "Novy"},
        ImportCase{"longestLine", true, "Dlouhy;" + QByteArray(758, 'z') + "\nKratky\n", false, 2,
                   {QString::fromUtf8("Importováno 2 záznamu.")}, "Dlouhy"},
        ImportCase{"missingFull", false, {}, true, 0,
                   {QString::fromUtf8("Nelze otevrít soubor %1"), QString::fromUtf8("Bylo importováno 0 záznamu.")},
                   ""},
        ImportCase{"missingSix", true, {}, true, 0, {QString::fromUtf8("Nelze otevrít soubor %1")}, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ImpExpTest, CancelledDialogDoesNothing)
{
    start();
    chosen.clear();
    for (QPushButton *b : {page->ButtonImportCsv, page->ButtonImportCsv6, page->ButtonExportCsv})
        b->click();
    EXPECT_EQ(requests.size(), 3);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->TableData.recordCount(), 4);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.CSV", "*.csv"}).isEmpty());
}

// The export writes the four samples; deleted and imported back through the page
// they come back in order.
TEST_F(ImpExpTest, ExportThenImportBack)
{
    start();
    chosen = dir.file("DataKvitanky.CSV");
    page->ButtonExportCsv->click();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].proposed, dir.file("DataKvitanky"));
    EXPECT_EQ(requests[0].defaultSuffix, "CSV");
    EXPECT_EQ(texts(), QStringList{QString::fromUtf8("Bylo exportováno 4 záznamu.")});
    const QByteArray bytes = readFile(chosen);
    EXPECT_EQ(bytes.count("\r\n"), 4);
    EXPECT_TRUE(bytes.startsWith(toCp1250(QString::fromUtf8("Pan;Jan;Novák;"))));

    page->ButtonExportCsv->click();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[1].proposed, chosen);   // the name chosen last

    messages.clear();
    page->Button1->click();   // "Vymazat data", answered OK
    ASSERT_EQ(form->TableData.recordCount(), 0);
    messages.clear();
    page->ButtonImportCsv->click();
    EXPECT_EQ(texts(), QStringList{QString::fromUtf8("Bylo importováno 4 záznamu.")});
    ASSERT_EQ(form->TableData.recordCount(), 4);
    const char *expected[] = {"Novák", "Svobodová", "Dvořák", "Černý"};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(surname(form->TableData, row), QString::fromUtf8(expected[row]));
}

TEST_F(ImpExpTest, ExportIntoAMissingFolder)
{
    start();
    chosen = dir.file("nic/ven.CSV");
    page->ButtonExportCsv->click();
    EXPECT_EQ(texts(), (QStringList{QString::fromUtf8("Nemohu otevrít soubor %1.").arg(QDir::toNativeSeparators(chosen)),
                                     QString::fromUtf8("Bylo exportováno 0 záznamu.")}));
}

// "Vymazat data" asks first; Cancel keeps every row.
TEST_F(ImpExpTest, DeleteAllAsksFirst)
{
    start();
    answer = ui::MessageAnswer::Cancel;
    page->Button1->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(form->TableData.recordCount(), 4);
    answer = ui::MessageAnswer::Ok;
    messages.clear();
    page->Button1->click();
    EXPECT_EQ(form->TableData.recordCount(), 0);
    EXPECT_EQ(messages.size(), 2);
}

// A large import shows its progress and can be cancelled: what came before stays
// and the count says so.
TEST_F(ImpExpTest, LargeImportCanBeCancelled)
{
    start();
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content += ";Jan;Novak" + QByteArray::number(i) + ";;;;" + QByteArray::number(i) + ";;;;;0;\r\n";
    chosen = dir.file("velky.csv");
    writeFile(chosen, content);
    // Cancelled while the file is read for the preview: nothing happens at all.
    int updates = 0;
    int cancelAt = 1;
    JobProgress::setObserver([&](JobProgress &progress, qint64 done, qint64 total) {
        EXPECT_LE(done, total);
        EXPECT_EQ(total, content.size());
        if (++updates == cancelAt)
            progress.cancel();
    });
    page->ButtonImportCsv->click();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(form->TableData.recordCount(), 4);
    EXPECT_TRUE(texts().isEmpty());
    // The reading reports after every thousand lines; the import is cancelled at its first report.
    updates = 0;
    cancelAt = 6;
    page->ButtonImportCsv->click();
    EXPECT_EQ(updates, 6);
    const int added = form->TableData.recordCount() - 4;
    EXPECT_EQ(added, 1000);
    EXPECT_EQ(texts(), QStringList{QString::fromUtf8("Bylo importováno %1 záznamu.").arg(added)});
}

// The workbook lands in the program folder under a time-stamped name, a second one
// within the same second under a name of its own, and is handed to the desktop.
TEST_F(ImpExpTest, WorkbookExport)
{
    start();
    const QDateTime when(QDate(2024, 1, 5), QTime(9, 30, 7));
    page->setClock([&] { return when; });
    page->ButtonExportXLS->click();
    page->ButtonExportXLS->click();
    EXPECT_TRUE(messages.isEmpty()) << texts().join("|").toStdString();
    const QString first = dir.file("DataKvitanky20240105093007.xlsx");
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(first));
    EXPECT_NE(opened[1], opened[0]);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(opened[1].toLocalFile()));
    EXPECT_EQ(QFileInfo(opened[1].toLocalFile()).absolutePath(), QFileInfo(first).absolutePath());

    if (!havePythonModule("openpyxl"))
        GTEST_SKIP() << "python3-openpyxl missing";
    int code = -1;
    const QByteArray out = runProgram(debianPython(),
                                      {"-c",
                                       "import sys, openpyxl\n"
                                       "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                       "print(ws.max_row, ws['A1'].value, ws['C2'].value, ws['G4'].value)\n",
                                       first},
                                      &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(QString::fromUtf8(out).trimmed(), QString::fromUtf8("5 Titul Novák 999999.5"));
}

// Whether the desktop's opener fails or reports success with no application for
// workbooks (as xdg-open does), the user learns where the workbook is.
TEST_F(ImpExpTest, WorkbookNobodyCanOpen)
{
    start();
    const QDateTime when(QDate(2024, 1, 5), QTime(9, 30, 7));
    page->setClock([&] { return when; });
    for (const bool app : {true, false}) {
        spreadsheetApp = app;
        desktopOpens = !app;
        messages.clear();
        opened.clear();
        page->ButtonExportXLS->click();
        EXPECT_EQ(opened.size(), app ? 1 : 0);
        ASSERT_EQ(messages.size(), 1);
        const QString path = app ? dir.file("DataKvitanky20240105093007.xlsx") : dir.file("DataKvitanky20240105093007_2.xlsx");
        EXPECT_TRUE(QFile::exists(path));
        EXPECT_TRUE(messages[0].text.contains(QDir::toNativeSeparators(path))) << messages[0].text.toStdString();
    }
}

// The preview shows the file as it will land and nothing is written before
// "Importovat"; over the untouched samples it offers to remove them, and rows
// already in the table can be left out.
TEST_F(ImpExpTest, PreviewThenImport)
{
    start();
    chosen = dir.file("tabulka.csv");
    writeFile(chosen, QString::fromUtf8("Příjmení,Jméno,Částka,Poznámka\r\nNovák,Jan,\"1 234,50\",x\r\n"
                                        "Malá,Eva,abc,y\r\n").toUtf8());
    QString facts, problems, problemsKeepingSamples, firstSurname, firstPlace;
    bool samplesOffered = false, duplicatesOffered = false;
    QString duplicatesText;
    bool answer = false;
    desktop->onDialog = [&](QDialog &dialog) {
        auto &d = dynamic_cast<ImportPreviewDialog &>(dialog);
        facts = d.LabelPreviewFacts->text();
        problems = d.LabelPreviewProblems->text();
        firstSurname = d.TablePreview->rowCount() ? d.TablePreview->item(0, 1)->text() : QString();
        firstPlace = d.TablePreview->rowCount() ? d.TablePreview->verticalHeaderItem(0)->text() : QString();
        samplesOffered = d.CheckBoxRemoveSamples->isVisibleTo(&d) && d.CheckBoxRemoveSamples->isChecked();
        if (samplesOffered) {
            // The table rows named follow the choice to keep the samples.
            d.CheckBoxRemoveSamples->setChecked(false);
            problemsKeepingSamples = d.LabelPreviewProblems->text();
            d.CheckBoxRemoveSamples->setChecked(true);
        }
        duplicatesOffered = d.CheckBoxSkipDuplicates->isVisibleTo(&d) && d.CheckBoxSkipDuplicates->isChecked();
        duplicatesText = d.CheckBoxSkipDuplicates->text();
        answer ? d.accept() : d.reject();
        return d.result();
    };
    page->ButtonImportCsv->click();
    EXPECT_EQ(facts, QString::fromUtf8("Kódování: UTF-8    Oddělovač: čárka    Záhlaví: ano, první řádek se neimportuje    "
                                       "K importu: 2 řádky"));
    EXPECT_EQ(firstSurname, QString::fromUtf8("Novák"));
    EXPECT_TRUE(problems.contains(QString::fromUtf8("„Poznámka“"))) << problems.toStdString();
    EXPECT_EQ(firstPlace, QString::fromUtf8("Řádek souboru 2 (řádek adresáře 1)"));
    EXPECT_TRUE(problems.contains(QString::fromUtf8("Řádek souboru 3 (řádek adresáře 2): částku „abc“ nelze přečíst")))
        << problems.toStdString();
    EXPECT_TRUE(problemsKeepingSamples.contains(QString::fromUtf8("Řádek souboru 3 (řádek adresáře 6): částku „abc“")))
        << problemsKeepingSamples.toStdString();
    EXPECT_TRUE(samplesOffered);
    EXPECT_EQ(form->TableData.recordCount(), 4);   // "Zrušit": nothing written, nothing said
    EXPECT_TRUE(messages.isEmpty());

    answer = true;
    page->ButtonImportCsv->click();
    EXPECT_EQ(form->TableData.recordCount(), 2);   // the samples went
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].text, QString::fromUtf8("Bylo importováno 2 záznamu."));
    EXPECT_TRUE(messages[1].text.startsWith(QString::fromUtf8("Čtyři ukázkoví adresáti byli před importem odstraněni.")));

    messages.clear();
    page->ButtonImportCsv->click();
    EXPECT_FALSE(samplesOffered);
    EXPECT_TRUE(duplicatesOffered);
    EXPECT_TRUE(duplicatesText.startsWith(QString::fromUtf8("2 řádky už v adresáři je"))) << duplicatesText.toStdString();
    EXPECT_EQ(form->TableData.recordCount(), 2);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].text.contains(QString::fromUtf8("2 řádky už v adresáři byly, nebyly importovány znovu.")))
        << messages[1].text.toStdString();
}

// The check runs each time the page is selected, at either tab index, and only then;
// the export button stays usable whatever it finds.
TEST_F(ImpExpTest, SpreadsheetCheck)
{
    start();
    QLabel *comment = form->findChild<QLabel *>("LabelExcelComment");
    ASSERT_NE(comment, nullptr);
    for (bool ownersTab : {false, true}) {
        form->check("CheckBoxSetOwnersAdr")->setChecked(ownersTab);
        for (bool present : {true, false}) {
            spreadsheetApp = present;
            probes = 0;
            form->PageControlMain->setCurrentWidget(form->TabSheetCalibration);
            EXPECT_EQ(probes, 0);
            form->PageControlMain->setCurrentWidget(page);
            EXPECT_EQ(probes, 1);
            EXPECT_EQ(comment->text(), present ? QString::fromUtf8("Excel je nainstalován")
                                               : QString::fromUtf8("Excel není pravdepodobne nainstalován"));
            EXPECT_TRUE(page->ButtonExportXLS->isEnabled());
            EXPECT_TRUE(page->ButtonImportCsv->isEnabled());
        }
    }
}

TEST_F(ImpExpTest, TabOrder)
{
    start();
    const QList<QWidget *> order = {page->ButtonImportCsv6, page->ButtonExportXLS, page->ButtonImportCsv,
                                    page->ButtonExportCsv, page->Button1};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget *next = order[i]->nextInFocusChain();
        while (next && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }
}

struct Association {
    const char *name;
    QByteArray mimeapps;
    bool desktopFile;
    bool expected;
};

class Associations : public ::testing::TestWithParam<Association>
{
};

// Without xdg-mime the desktop's association files tell whether a workbook opens.
TEST_P(Associations, Listed)
{
    const Association a = GetParam();
    TempDir config, data;
    QDir(data.path()).mkpath("applications");
    writeFile(config.file("mimeapps.list"), a.mimeapps);
    if (a.desktopFile)
        writeFile(data.file("applications/calc.desktop"), "[Desktop Entry]\nName=Calc\n");
    EXPECT_EQ(spreadsheetAppListed({config.path()}, {data.path()}), a.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ImpExp, Associations,
    ::testing::Values(
        Association{"default",
                    "[Default Applications]\napplication/vnd.openxmlformats-officedocument.spreadsheetml.sheet=calc.desktop\n",
                    true, true},
        Association{"added",
                    "[Added Associations]\napplication/vnd.openxmlformats-officedocument.spreadsheetml.sheet=x.desktop;calc.desktop;\n",
                    true, true},
        Association{"desktopFileGone",
                    "[Default Applications]\napplication/vnd.openxmlformats-officedocument.spreadsheetml.sheet=calc.desktop\n",
                    false, false},
        Association{"removed",
                    "[Removed Associations]\napplication/vnd.openxmlformats-officedocument.spreadsheetml.sheet=calc.desktop\n",
                    true, false},
        Association{"otherType", "[Default Applications]\ntext/csv=calc.desktop\n", true, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

// A column the program does not know is mapped in the preview: the rows shown and
// the warning about the amount follow the choice at once, and the import takes it.
TEST_F(ImpExpTest, MappingAColumnInThePreview)
{
    start();
    chosen = dir.file("zaci.csv");
    writeFile(chosen, QString::fromUtf8("Číslo žáka;Příjmení;Jméno;Částka k úhradě\n1;Novák;Jan;150\n2;Malá;Eva;200\n").toUtf8());
    bool warnedBefore = true, warnedAfter = true;
    QString amountShown;
    desktop->onDialog = [&](QDialog &dialog) {
        auto &d = dynamic_cast<ImportPreviewDialog &>(dialog);
        warnedBefore = d.LabelNoAmount->isVisibleTo(&d);
        QComboBox *third = d.findChild<QComboBox *>(QStringLiteral("ComboMapping4"));
        if (third)
            third->setCurrentIndex(third->findText(QString::fromUtf8("Částka")));
        warnedAfter = d.LabelNoAmount->isVisibleTo(&d);
        for (int k = 0; k < d.TablePreview->columnCount(); ++k)
            if (d.TablePreview->horizontalHeaderItem(k)->text() == QString::fromUtf8("Částka"))
                amountShown = d.TablePreview->item(0, k)->text();
        d.CheckBoxRemoveSamples->setChecked(true);
        d.ButtonPreviewImport->click();
        return d.result();
    };
    page->ButtonImportCsv->click();
    EXPECT_TRUE(warnedBefore);
    EXPECT_FALSE(warnedAfter);
    EXPECT_EQ(amountShown, QStringLiteral("150"));
    ASSERT_EQ(form->TableData.recordCount(), 2);
    form->TableData.first();
    EXPECT_EQ(form->TableData.fieldByName(QStringLiteral("CASTKA")).asFloat(), 150);
    EXPECT_EQ(form->TableData.fieldByName(QStringLiteral("PRIJMENI")).asString(), QStringLiteral("Novák"));

    // The same header again: the mapping chosen is offered.
    QString offered;
    desktop->onDialog = [&](QDialog &dialog) {
        auto &d = dynamic_cast<ImportPreviewDialog &>(dialog);
        warnedBefore = d.LabelNoAmount->isVisibleTo(&d);
        offered = d.findChild<QComboBox *>(QStringLiteral("ComboMapping4"))->currentText();
        d.reject();
        return d.result();
    };
    page->ButtonImportCsv->click();
    EXPECT_EQ(offered, QString::fromUtf8("Částka"));
    EXPECT_FALSE(warnedBefore);
}

// A workbook of several sheets offers the sheet in the preview; the columns and rows
// shown follow the sheet chosen, and the import reads it. One sheet: no choice shown.
TEST_F(ImpExpTest, ChoosingTheSheetOfAWorkbook)
{
    start();
    const auto workbook = [&](const char *name, QList<const char *> sheets) {
        const QString path = dir.file(QString::fromUtf8(name));
        lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
        for (const char *title : sheets) {
            lxw_worksheet *sheet = workbook_add_worksheet(book, title);
            worksheet_write_string(sheet, 0, 0, "Poznámka", nullptr);
            worksheet_write_string(sheet, 1, 0, "jen poznámky", nullptr);
            if (QByteArray(title) != "Adresy")
                continue;
            const char *const cells[3][3] = {{"Příjmení", "Jméno", "Částka"}, {"Novák", "Jan", "150"}, {"Malá", "Eva", "200"}};
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c + 1), cells[r][c], nullptr);
        }
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return path;
    };
    bool sheetOffered = false;
    QString factsBefore, factsAfter, surname, amountColumn;
    desktop->onDialog = [&](QDialog &dialog) {
        auto &d = dynamic_cast<ImportPreviewDialog &>(dialog);
        QComboBox *sheet = d.findChild<QComboBox *>(QStringLiteral("ComboSheet"));
        sheetOffered = sheet && sheet->isVisibleTo(&d);
        factsBefore = d.LabelPreviewFacts->text();
        if (sheetOffered)
            sheet->setCurrentIndex(sheet->findText(QStringLiteral("Adresy")));
        factsAfter = d.LabelPreviewFacts->text();
        for (int k = 0; k < d.TablePreview->columnCount(); ++k)
            if (d.TablePreview->horizontalHeaderItem(k)->text() == QString::fromUtf8("Příjmení"))
                surname = d.TablePreview->item(0, k)->text();
        QComboBox *fourth = d.findChild<QComboBox *>(QStringLiteral("ComboMapping4"));
        amountColumn = fourth ? fourth->currentText() : QString();
        if (QComboBox *third = d.findChild<QComboBox *>(QStringLiteral("ComboMapping3")))
            third->setCurrentIndex(third->findText(QString::fromUtf8("nepoužít")));
        d.CheckBoxRemoveSamples->setChecked(true);
        d.CheckBoxSkipDuplicates->setChecked(false);
        d.ButtonPreviewImport->click();
        return d.result();
    };
    chosen = workbook("dva listy.xlsx", {"Poznámky", "Adresy"});
    page->ButtonImportCsv->click();
    EXPECT_TRUE(sheetOffered);
    EXPECT_TRUE(factsBefore.contains(QString::fromUtf8("List sešitu: „Poznámky“"))) << factsBefore.toStdString();
    EXPECT_TRUE(factsAfter.contains(QString::fromUtf8("List sešitu: „Adresy“    Záhlaví: ano"))) << factsAfter.toStdString();
    EXPECT_EQ(surname, QString::fromUtf8("Novák"));
    EXPECT_EQ(amountColumn, QString::fromUtf8("Částka"));
    ASSERT_EQ(form->TableData.recordCount(), 2);
    form->TableData.last();
    EXPECT_EQ(form->TableData.fieldByName(QStringLiteral("PRIJMENI")).asString(), QString::fromUtf8("Malá"));
    EXPECT_EQ(form->TableData.fieldByName(QStringLiteral("CASTKA")).asFloat(), 200);

    chosen = workbook("jeden list.xlsx", {"Adresy"});
    page->ButtonImportCsv->click();
    EXPECT_FALSE(sheetOffered);
    EXPECT_EQ(form->TableData.recordCount(), 4);

    // The mapping chosen for the sheet's header is offered when that sheet is chosen.
    QString firstNameColumn;
    desktop->onDialog = [&](QDialog &dialog) {
        auto &d = dynamic_cast<ImportPreviewDialog &>(dialog);
        QComboBox *sheet = d.findChild<QComboBox *>(QStringLiteral("ComboSheet"));
        if (sheet)
            sheet->setCurrentIndex(sheet->findText(QStringLiteral("Adresy")));
        QComboBox *third = d.findChild<QComboBox *>(QStringLiteral("ComboMapping3"));
        firstNameColumn = third ? third->currentText() : QString();
        d.reject();
        return d.result();
    };
    chosen = dir.file(QString::fromUtf8("dva listy.xlsx"));
    page->ButtonImportCsv->click();
    EXPECT_EQ(firstNameColumn, QString::fromUtf8("nepoužít"));
}
