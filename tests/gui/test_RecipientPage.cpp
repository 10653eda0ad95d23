// SPDX-License-Identifier: GPL-3.0-or-later
// The recipient page driven through its real widgets: write-through editing, the
// number checks, insert and delete, delete all, and boxes that always show the
// row their typing lands in.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "data/RecipientPage.h"
#include "data/RecipientTable.h"
#include "data/RowSearch.h"
#include "data/TableNavigator.h"
#include "render/LayoutPage.h"
#include "render/PriceWords.h"
#include "shell/ProgramEntry.h"

#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <functional>

using namespace kvitanky;
using namespace testsupport;

namespace {

// The table file's rows as Debian's dbfread sees them (empty when it is missing).
QJsonArray dbfRows(const QString &path)
{
    const QString script = QStringLiteral(
        "import sys, json, dbfread\n"
        "rows = [dict(r) for r in dbfread.DBF(sys.argv[1], encoding='cp1250')]\n"
        "print(json.dumps(rows))\n");
    int code = -1;
    const QByteArray out = runProgram(debianPython(), {"-c", script, path}, &code);
    if (code != 0)
        return {};
    return QJsonDocument::fromJson(out).array();
}

class RecipientPageTest : public FormTest
{
protected:
    void start()
    {
        startForm();
        page = form->TabSheetData;
        showPage(page);
    }

    // A recipient table with no rows, made before start-up.
    void startWithEmptyTable()
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
        t.setActive(false);
        start();
    }

    QString stored(const char *column) { return form->TableData.fieldByName(column).asString(); }
    QByteArray fileBytes() { return readFile(dir.file("Data.dbf")); }

    RecipientPage *page = nullptr;
};

TEST_F(RecipientPageTest, ShowsTheFirstSampleRecipientWithTheAmountInWords)
{
    start();
    ASSERT_EQ(form->TableData.recordCount(), 4);
    EXPECT_EQ(edit("EditDataHonour")->text(), "Pan");
    EXPECT_EQ(edit("EditDataStreet")->text(), "c.p. 7100");
    EXPECT_EQ(edit("EditDataPrice")->text(), "123456");
    EXPECT_EQ(edit("EditDataPriceWord")->text(), PriceToWords(123456));
    EXPECT_TRUE(edit("EditDataPriceWord")->isReadOnly());
    EXPECT_FALSE(check("CheckBoxDataDiscard")->isChecked());
    EXPECT_TRUE(check("CheckBoxDataShowTitle")->isChecked());
    auto *grid = form->findChild<QTableView *>("DBGridData");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(grid->model()->columnCount(), RecipientColumnCount);
    EXPECT_EQ(grid->model()->headerData(5, Qt::Horizontal).toString(), "PSC");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RecipientPageTest, AmountTypedWithADotIsStoredAndShownWithTheComma)
{
    start();
    QLineEdit *price = edit("EditDataPrice");
    clearBox(price);
    typeText(price, "12.5");
    EXPECT_EQ(price->text(), "12,5");
    EXPECT_DOUBLE_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 12.5);
    EXPECT_EQ(edit("EditDataPriceWord")->text(), PriceToWords(12));
    EXPECT_EQ(edit("EditDataPriceWord")->text(), QString::fromUtf8("dvanáct"));
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
    // The grid shows the new amount with the system's separator.
    auto *grid = form->findChild<QTableView *>("DBGridData");
    EXPECT_EQ(grid->model()->index(0, 6).data().toString(),
              QString("12") + DbfTable::systemDecimalSeparator() + "5");

    // Shown again from the table, the box still reads 12,5 under every locale.
    form->findChild<QToolButton *>("DBNavigatorDataNext")->click();
    form->findChild<QToolButton *>("DBNavigatorDataFirst")->click();
    EXPECT_EQ(price->text(), "12,5");

    if (havePythonModule("dbfread")) {
        const QJsonArray rows = dbfRows(dir.file("Data.dbf"));
        ASSERT_EQ(rows.size(), 4);
        EXPECT_DOUBLE_EQ(rows[0].toObject().value("CASTKA").toDouble(), 12.5);
    }
}

TEST_F(RecipientPageTest, EmptiedAmountStoresZero)
{
    start();
    QLineEdit *price = edit("EditDataPrice");
    price->selectAll();
    pressKey(price, Qt::Key_Backspace);
    EXPECT_EQ(price->text(), "");
    EXPECT_DOUBLE_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 0.0);
    EXPECT_EQ(edit("EditDataPriceWord")->text(), PriceToWords(0));
    EXPECT_TRUE(messages.isEmpty());
}

struct NumberBoxCase {
    const char *box;
    const char *column;
    const char *emptiedValue;   // what the column holds once the box is emptied
};

class NumberBoxTest : public RecipientPageTest, public ::testing::WithParamInterface<NumberBoxCase>
{
};

TEST_P(NumberBoxTest, ALetterEmptiesTheBoxWithTheMessage)
{
    start();
    const NumberBoxCase c = GetParam();
    QLineEdit *e = edit(c.box);
    clearBox(e);
    messages.clear();
    typeText(e, "12a");
    EXPECT_EQ(e->text(), "");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text, QString::fromUtf8("'12a' není platné císlo!"));
    EXPECT_EQ(stored(c.column), QString::fromLatin1(c.emptiedValue));
    // The next keystroke starts a fresh number.
    typeText(e, "7");
    EXPECT_EQ(e->text(), "7");
    EXPECT_EQ(stored(c.column), "7");
}

INSTANTIATE_TEST_SUITE_P(Boxes, NumberBoxTest,
                         ::testing::Values(NumberBoxCase{"EditDataVarSymbol", "VAR_SYMB", ""},
                                           NumberBoxCase{"EditDataSpecSymbol", "SPEC_SYMB", ""}));

struct TextBoxCase {
    const char *box;
    const char *column;
    int limit;
};

class TextBoxTest : public RecipientPageTest, public ::testing::WithParamInterface<TextBoxCase>
{
};

TEST_P(TextBoxTest, TypingWritesThroughUpToTheTypingLimit)
{
    start();
    const TextBoxCase c = GetParam();
    QLineEdit *e = edit(c.box);
    clearBox(e);
    typeText(e, QString(c.limit + 3, QChar('7')));
    EXPECT_EQ(e->text(), QString(c.limit, QChar('7')));
    EXPECT_EQ(stored(c.column), QString(c.limit, QChar('7')));
    EXPECT_TRUE(form->TableData.recNo() == 0 && !form->TableData.isEditing());
}

INSTANTIATE_TEST_SUITE_P(Boxes, TextBoxTest,
                         ::testing::Values(TextBoxCase{"EditDataHonour", "TITUL", 10},
                                           TextBoxCase{"EditDataFirstName", "JMENO", 30},
                                           TextBoxCase{"EditDataSurname", "PRIJMENI", 30},
                                           TextBoxCase{"EditDataStreet", "ULICE", 30},
                                           TextBoxCase{"EditDataCity", "OBEC", 30},
                                           TextBoxCase{"EditDataPostCode", "PSC", 10},
                                           TextBoxCase{"EditDataPrice", "CASTKA", 8},
                                           TextBoxCase{"EditDataVarSymbol", "VAR_SYMB", 10},
                                           TextBoxCase{"EditDataSpecSymbol", "SPEC_SYMB", 10},
                                           TextBoxCase{"EditDataTel", "TELEFON", 20},
                                           TextBoxCase{"EditDataEmail", "EMAIL", 40}));

TEST_F(RecipientPageTest, DiscardBoxWritesOneAndZero)
{
    start();
    auto *discard = check("CheckBoxDataDiscard");
    discard->click();
    EXPECT_EQ(form->TableData.fieldByName("VYRAZENO").asInteger(), 1);
    discard->click();
    EXPECT_EQ(form->TableData.fieldByName("VYRAZENO").asInteger(), 0);
}

TEST_F(RecipientPageTest, ShowingRecordsNeverChangesTheFile)
{
    start();
    const QByteArray before = fileBytes();
    ASSERT_FALSE(before.isEmpty());
    auto *grid = form->findChild<QTableView *>("DBGridData");
    for (const char *b : {"Next", "Next", "Next", "Next", "Prior", "Last", "First"})
        form->findChild<QToolButton *>(QString("DBNavigatorData") + b)->click();
    for (int row : {2, 3, 0}) {
        grid->setCurrentIndex(grid->model()->index(row, 1));
        pressKey(grid, Qt::Key_Down);
    }
    EXPECT_EQ(fileBytes(), before);
    // Only the sample of 999 999,50 is warned of: its words run past row 2.
    const QStringList said = texts();
    EXPECT_TRUE(std::all_of(said.begin(), said.end(), [](const QString &m) { return m.startsWith(QString::fromUtf8("Nebezpecí")); }))
        << said.join('|').toStdString();
}

TEST_F(RecipientPageTest, GridAndNavigatorMoveTheCursorAndShowTheRow)
{
    start();
    auto *grid = form->findChild<QTableView *>("DBGridData");
    // A key in the grid: the row under the grid's cursor is shown.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    pressKey(grid, Qt::Key_Down);
    pressKey(grid, Qt::Key_Down);
    EXPECT_EQ(form->TableData.recNo(), 2);
    EXPECT_EQ(edit("EditDataHonour")->text(), "MUDr.");
    EXPECT_EQ(edit("EditDataPrice")->text(), "999999,5");
    // The navigator's last: the excluded fourth sample.
    form->findChild<QToolButton *>("DBNavigatorDataLast")->click();
    EXPECT_EQ(form->TableData.recNo(), 3);
    EXPECT_EQ(grid->currentIndex().row(), 3);
    EXPECT_EQ(edit("EditDataHonour")->text(), "Expert");
    EXPECT_TRUE(check("CheckBoxDataDiscard")->isChecked());
    EXPECT_FALSE(form->findChild<QToolButton *>("DBNavigatorDataLast")->toolTip().isEmpty());
}

TEST_F(RecipientPageTest, InsertTwiceThenDelete)
{
    start();
    button("ButtonDataTableInsert")->click();
    // The defaults changed the boxes, so the new record is posted with them.
    ASSERT_EQ(form->TableData.recordCount(), 5);
    // Text columns keep no trailing blanks.
    EXPECT_EQ(stored("TELEFON"), "+420");
    EXPECT_EQ(stored("EMAIL"), "@");
    EXPECT_EQ(stored("JMENO"), "");
    EXPECT_DOUBLE_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 0.0);
    EXPECT_EQ(form->findChild<QTableView *>("DBGridData")->model()->rowCount(), 5);

    // The boxes already hold the defaults: the second new record stays pending...
    button("ButtonDataTableInsert")->click();
    EXPECT_TRUE(form->TableData.isEditing());
    EXPECT_EQ(form->TableData.recordCount(), 5);
    // ... and Delete discards it.
    button("ButtonDataTableDelete")->click();
    EXPECT_FALSE(form->TableData.isEditing());
    EXPECT_EQ(form->TableData.recordCount(), 5);
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();

    // Delete the posted new record: the four samples remain.
    form->findChild<QToolButton *>("DBNavigatorDataLast")->click();
    EXPECT_EQ(edit("EditDataEmail")->text(), "@");
    button("ButtonDataTableDelete")->click();
    EXPECT_EQ(form->TableData.recordCount(), 4);
    EXPECT_EQ(edit("EditDataHonour")->text(), "Expert");
    if (havePythonModule("dbfread")) {
        EXPECT_EQ(dbfRows(dir.file("Data.dbf")).size(), 4);
    }
}

TEST_F(RecipientPageTest, ValueTypedIntoAPendingRecordIsStoredAlone)
{
    start();
    button("ButtonDataTableInsert")->click();
    button("ButtonDataTableInsert")->click();
    typeText(edit("EditDataFirstName"), "Jan");
    ASSERT_EQ(form->TableData.recordCount(), 6);
    EXPECT_FALSE(form->TableData.isEditing());
    EXPECT_EQ(stored("JMENO"), "Jan");
    EXPECT_EQ(stored("TELEFON"), "");
    EXPECT_EQ(form->TableData.recNo(), 5);
    EXPECT_EQ(form->findChild<QTableView *>("DBGridData")->currentIndex().row(), 5);
}

TEST_F(RecipientPageTest, EmptyTableShowsEmptyBoxesAndTypingCreatesOneRow)
{
    startWithEmptyTable();
    ASSERT_EQ(form->TableData.recordCount(), 0);
    EXPECT_EQ(edit("EditDataHonour")->text(), "");
    EXPECT_EQ(edit("EditDataPrice")->text(), "0");
    EXPECT_FALSE(check("CheckBoxDataDiscard")->isChecked());

    typeText(edit("EditDataCity"), "Brno");
    ASSERT_EQ(form->TableData.recordCount(), 1);
    EXPECT_EQ(stored("OBEC"), "Brno");
    typeText(edit("EditDataSurname"), "Novák");
    EXPECT_EQ(form->TableData.recordCount(), 1);
    EXPECT_EQ(stored("PRIJMENI"), QString::fromUtf8("Novák"));
    if (havePythonModule("dbfread")) {
        const QJsonArray rows = dbfRows(dir.file("Data.dbf"));
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].toObject().value("OBEC").toString(), "Brno");
        EXPECT_EQ(rows[0].toObject().value("PRIJMENI").toString(), QString::fromUtf8("Novák"));
    }
}

TEST_F(RecipientPageTest, DeleteOnAnEmptyTableReportsTheEngineError)
{
    startWithEmptyTable();
    button("ButtonDataTableDelete")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(form->TableData.recordCount(), 0);
}

struct DeleteAllCase {
    bool empty;
    ui::MessageAnswer answer;
    int rowsAfter;
};

class DeleteAllTest : public RecipientPageTest, public ::testing::WithParamInterface<DeleteAllCase>
{
};

TEST_P(DeleteAllTest, AsksWithTheCountAndReportsIt)
{
    const DeleteAllCase c = GetParam();
    if (c.empty)
        startWithEmptyTable();
    else
        start();
    const int n = form->TableData.recordCount();
    const QByteArray tableBefore = fileBytes();
    answer = c.answer;
    page->DeleteAllRecipients();
    ASSERT_GE(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QString::fromUtf8("Vymazání všech dat s adresáre"));
    EXPECT_EQ(messages[0].text,
              QString::fromUtf8("Opravdu si prejete Vymazat všechna data (%1) záznamu z adresáre?").arg(n));
    EXPECT_TRUE(messages[0].withCancel);
    EXPECT_TRUE(messages[0].cancelIsDefault);
    EXPECT_EQ(form->TableData.recordCount(), c.rowsAfter);
    const QStringList backups = QDir(dir.file("Data")).entryList({"Data*.dbf"}, QDir::Files);
    if (c.answer == ui::MessageAnswer::Cancel) {
        EXPECT_EQ(messages.size(), 1);
        EXPECT_TRUE(backups.isEmpty());
        return;
    }
    ASSERT_EQ(messages.size(), 2);
    const QString report = QString::fromUtf8("Bylo vymazáno všech %1záznamu z adresáre.").arg(n);
    if (n == 0) {
        EXPECT_EQ(messages[1].text, report);   // nothing to keep
        EXPECT_TRUE(backups.isEmpty());
    } else {
        // The rows went first into a stamped copy, named as "Uložit" names it.
        ASSERT_EQ(backups.size(), 1);
        EXPECT_TRUE(QRegularExpression("^Data\\d{14}\\.dbf$").match(backups[0]).hasMatch()) << backups[0].toStdString();
        const QString copy = dir.file("Data/" + backups[0]);
        EXPECT_EQ(messages[1].text, report + QString::fromUtf8("\n\nPůvodní data jsou uložena v souboru %1.")
                                                 .arg(QDir::toNativeSeparators(copy)));
        EXPECT_EQ(readFile(copy), tableBefore);
        EXPECT_FALSE(QFile::exists(dir.file("DataTemp.dbf")));
        if (havePythonModule("dbfread")) {
            EXPECT_EQ(dbfRows(copy).size(), n);
        }
    }
    EXPECT_EQ(edit("EditDataHonour")->text(), "");
    EXPECT_EQ(edit("EditDataPrice")->text(), "0");
    EXPECT_EQ(form->findChild<QTableView *>("DBGridData")->model()->rowCount(), 0);
    if (havePythonModule("dbfread")) {
        EXPECT_EQ(dbfRows(dir.file("Data.dbf")).size(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, DeleteAllTest,
                         ::testing::Values(DeleteAllCase{true, ui::MessageAnswer::Ok, 0},
                                           DeleteAllCase{false, ui::MessageAnswer::Ok, 0},
                                           DeleteAllCase{false, ui::MessageAnswer::Cancel, 4}));

// Other pages move the shared cursor without telling the page; what the user
// types must still land in the row the boxes show.
TEST_F(RecipientPageTest, LayoutStepThenTypingChangesTheRowShown)
{
    start();
    auto *layoutNext = button("ButtonLayoutValuesNext");
    ASSERT_TRUE(layoutNext);
    form->PageControlMain->setCurrentWidget(form->TabSheetLayout);
    layoutNext->click();
    layoutNext->click();
    ASSERT_EQ(form->TableData.recNo(), 2) << "the layout page's step moved nowhere";
    form->PageControlMain->setCurrentWidget(page);
    // The page shows the row the layout page stepped to...
    EXPECT_EQ(edit("EditDataHonour")->text(), "MUDr.");
    typeText(edit("EditDataFirstName"), "X");
    // ... and the typing lands there, nowhere else.
    form->TableData.moveTo(2);
    EXPECT_TRUE(stored("JMENO").endsWith("X"));
    for (int row : {0, 1, 3}) {
        form->TableData.moveTo(row);
        EXPECT_FALSE(stored("JMENO").endsWith("X")) << row;
    }
}

struct BehindTheBackCase {
    const char *name;
    int moveTo;            // where another page leaves the cursor
    bool appendRows;       // an import adds rows meanwhile
};

class BehindTheBackTest : public RecipientPageTest, public ::testing::WithParamInterface<BehindTheBackCase>
{
};

// The page stays visible while the cursor moves (printing all, the bottom row's
// buttons): the typing still goes to the row on screen.
TEST_P(BehindTheBackTest, TypingLandsInTheRowOnScreen)
{
    start();
    const BehindTheBackCase c = GetParam();
    form->findChild<QToolButton *>("DBNavigatorDataNext")->click();   // shows row 1
    ASSERT_EQ(edit("EditDataHonour")->text(), QString::fromUtf8("Paní"));
    const QByteArray shownName = stored("JMENO").toUtf8();
    if (c.appendRows) {
        form->TableData.append();
        form->TableData.fieldByName("JMENO").setAsString("Import");
        form->TableData.post();
    }
    form->TableData.moveTo(c.moveTo);
    typeText(edit("EditDataFirstName"), "Z");
    EXPECT_EQ(form->TableData.recNo(), 1);
    EXPECT_EQ(stored("JMENO"), QString::fromUtf8(shownName) + "Z");
    EXPECT_EQ(edit("EditDataFirstName")->text(), QString::fromUtf8(shownName) + "Z");
    for (int row = 0; row < form->TableData.recordCount(); ++row) {
        if (row == 1)
            continue;
        form->TableData.moveTo(row);
        EXPECT_FALSE(stored("JMENO").endsWith("Z")) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(Moves, BehindTheBackTest,
                         ::testing::Values(BehindTheBackCase{"last", 3, false},
                                           BehindTheBackCase{"first", 0, false},
                                           BehindTheBackCase{"appended", 4, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecipientPageTest, RowsRemovedBehindTheBackReShowInsteadOfWriting)
{
    start();
    form->findChild<QToolButton *>("DBNavigatorDataLast")->click();   // shows row 3
    form->TableData.moveTo(0);
    form->TableData.deleteRecord();   // row indices shift under the boxes
    const QByteArray before = fileBytes();
    typeText(edit("EditDataFirstName"), "Q");
    // Nothing is written into a row the user did not see; the boxes show the cursor's row.
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(edit("EditDataFirstName")->text(), stored("JMENO"));
}

TEST_F(RecipientPageTest, DeleteNeverRemovesARowOtherThanTheOneShown)
{
    start();
    form->findChild<QToolButton *>("DBNavigatorDataNext")->click();   // shows row 1, "Paní"
    form->TableData.moveTo(3);
    button("ButtonDataTableDelete")->click();
    ASSERT_EQ(form->TableData.recordCount(), 3);
    QStringList titles;
    for (int row = 0; row < 3; ++row) {
        form->TableData.moveTo(row);
        titles << stored("TITUL");
    }
    EXPECT_EQ(titles, QStringList({"Pan", "MUDr.", "Expert"}));
}

// On screen the delete-all question answers a stray Enter with "Zrušit".
TEST_F(RecipientPageTest, DeleteAllQuestionDefaultsToCancel)
{
    start();
    ASSERT_TRUE(installCzechTranslations(*qApp));
    SystemDesktop system;   // the real box this time
    desktop->onMessage = [&](const ui::MessageRequest &r) { return system.message(form.get(), r); };
    QString defaultButton;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            pressKey(box, Qt::Key_Return);
        } else if (modal) {
            modal->close();
        }
    });
    page->DeleteAllRecipients();
    desktop->onMessage = {};   // boxes recorded again
    EXPECT_EQ(defaultButton, QString::fromUtf8("Zrušit"));
    EXPECT_EQ(form->TableData.recordCount(), 4);
}

// First and prior stop on the first row, next and last on the last, all four on
// an empty table; they follow the cursor wherever it was moved.
TEST_F(RecipientPageTest, NavigatorButtonsStopAtTheEnds)
{
    start();
    const auto enabled = [&] {
        QString s;
        for (const char *b : {"First", "Prior", "Next", "Last"})
            s += form->findChild<QToolButton *>(QString("DBNavigatorData") + b)->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(enabled(), "0011");
    form->findChild<QToolButton *>("DBNavigatorDataNext")->click();
    EXPECT_EQ(enabled(), "1111");
    form->findChild<QToolButton *>("DBNavigatorDataLast")->click();
    EXPECT_EQ(enabled(), "1100");
    form->TableData.first();   // as a print job leaves it, while another page is shown
    showPage(form->TabSheetLayout);
    showPage(page);
    EXPECT_EQ(enabled(), "0011");
    page->DeleteAllRecipients();
    EXPECT_EQ(enabled(), "0000");
    edit("EditDataFirstName")->setText("Jan");   // one row now
    ASSERT_EQ(form->TableData.recordCount(), 1);
    EXPECT_EQ(enabled(), "0000");
}

// An amount the slip carries as crosses is not spelled out: the words box says why.
TEST_F(RecipientPageTest, AmountTheSlipCannotCarryIsNotSpelledOut)
{
    start();
    edit("EditDataPrice")->setText("-5");
    EXPECT_EQ(edit("EditDataPriceWord")->text(), QString::fromUtf8("částku nelze vytisknout: je záporná"));
    edit("EditDataPrice")->setText("12");
    EXPECT_EQ(edit("EditDataPriceWord")->text(), PriceToWords(12));
    // More koruny than the slip has boxes come only from outside (an import, another program).
    form->TableData.moveTo(1);
    form->TableData.edit();
    form->TableData.fieldByName("CASTKA").setAsFloat(123456789.0);
    form->TableData.post();
    form->TablesChanged();   // as an import tells the pages
    EXPECT_EQ(edit("EditDataPrice")->text(), "123456789");
    EXPECT_EQ(edit("EditDataPriceWord")->text(),
              QString::fromUtf8("částku nelze vytisknout: koruny mají více než 8 číslic"));
}

// The search box finds the next row holding the text in any text column, case and
// diacritics aside, from the row after the cursor round to it; the grid's own
// type-to-jump still works.
TEST_F(RecipientPageTest, SearchBoxFindsTheNextMatchingRow)
{
    start();
    // Hundreds of rows after the four samples; the last one lives in a Lhota too.
    QList<QByteArray> names;
    for (int i = 0; i < 300; ++i)
        names << QByteArray("Adresát ") + QByteArray::number(i);
    for (const QByteArray &name : names)
        appendRecipient(form->TableData, {{"", "Josef", name.constData(), "Dlouhá 1", "Brno", "602 00", "", "", "", ""}, 10});
    appendRecipient(form->TableData,
                    {{"", "Eva", "Malá", "Nádražní 5", "Horní LHOTA", "111 11", "4455667788", "", "", ""}, 10});
    form->TablesChanged();
    form->findChild<QToolButton *>("DBNavigatorDataFirst")->click();

    QLineEdit *box = edit("EditDataSearch");
    ASSERT_TRUE(box);
    const auto search = [&](const char *text) {
        box->clear();
        typeText(box, QString::fromUtf8(text));
        pressKey(box, Qt::Key_Return);
        return form->TableData.recNo();
    };
    EXPECT_EQ(search("lhota"), 2);
    EXPECT_EQ(edit("EditDataSurname")->text(), QString::fromUtf8("Dvořák"));
    pressKey(box, Qt::Key_Return);
    EXPECT_EQ(form->TableData.recNo(), 3);
    pressKey(box, Qt::Key_Return);
    EXPECT_EQ(form->TableData.recNo(), 304);
    EXPECT_EQ(form->findChild<QTableView *>("DBGridData")->currentIndex().row(), 304);
    pressKey(box, Qt::Key_Return);
    EXPECT_EQ(form->TableData.recNo(), 2);   // round again
    EXPECT_EQ(search("DVORAK"), 2);          // the row itself when it is the only one
    EXPECT_EQ(search("4455667788"), 304);    // the variable symbol
    EXPECT_EQ(search("VESELICKA"), 1);       // "Veselícka" in the town
    auto *result = form->findChild<QLabel *>("EditDataSearchResult");
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->text().isEmpty());
    EXPECT_EQ(search("nikde nic"), 1);   // stays
    EXPECT_EQ(result->text(), QString::fromUtf8("Nenalezeno."));
    // Only the sample of 999 999,50 is warned of: its words run past row 2.
    const QStringList said = texts();
    EXPECT_TRUE(std::all_of(said.begin(), said.end(), [](const QString &m) { return m.startsWith(QString::fromUtf8("Nebezpecí")); }))
        << said.join('|').toStdString();

    auto *grid = form->findChild<QTableView *>("DBGridData");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 2));
    typeText(grid, QString::fromUtf8("Sv"));
    EXPECT_EQ(form->TableData.recNo(), 1);
    EXPECT_EQ(edit("EditDataSurname")->text(), QString::fromUtf8("Svobodová"));
}

} // namespace

// However the grid's highlight moves, the boxes, the cursor and "Smazat" go with
// it; however the cursor moves, the highlight goes with it.
struct GestureCase {
    const char *name;
    std::function<void(QTableView *)> gesture;
    int row;   // the row the gesture leaves highlighted
};

class GridGestureTest : public RecipientPageTest, public ::testing::WithParamInterface<GestureCase>
{
};

TEST_P(GridGestureTest, BoxesCursorAndDeleteFollowTheHighlight)
{
    start();
    auto *grid = form->findChild<QTableView *>("DBGridData");
    grid->setFocus();
    const char *honours[] = {"Pan", "Paní", "MUDr.", "Expert"};
    GetParam().gesture(grid);
    const int row = GetParam().row;
    ASSERT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(grid->selectionModel()->selectedRows()[0].row(), row);
    EXPECT_EQ(form->TableData.recNo(), row);
    EXPECT_EQ(edit("EditDataHonour")->text(), QString::fromUtf8(honours[row]));
    button("ButtonDataTableDelete")->click();
    ASSERT_EQ(form->TableData.recordCount(), 3);
    for (int r = 0; r < 3; ++r) {
        form->TableData.moveTo(r);
        EXPECT_NE(stored("TITUL"), QString::fromUtf8(honours[row])) << "row " << r;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, GridGestureTest,
    ::testing::Values(GestureCase{"drag", [](QTableView *g) { dragRows(g, 0, 2); }, 2},
                      GestureCase{"rightClick", [](QTableView *g) { clickRow(g, 3, Qt::RightButton); }, 3},
                      GestureCase{"wheelThenClick",
                                  [](QTableView *g) {
                                      wheelGrid(g, -1);
                                      clickRow(g, 1);
                                  },
                                  1},
                      GestureCase{"autoRepeatDown", [](QTableView *g) { holdKey(g, Qt::Key_Down, 2); }, 2},
                      GestureCase{"pageDownThenHome",
                                  [](QTableView *g) {
                                      pressKey(g, Qt::Key_PageDown);
                                      holdKey(g, Qt::Key_Home, 1);
                                      pressKey(g, Qt::Key_End);
                                  },
                                  3}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecipientPageTest, HighlightFollowsTheCursorAndLeavesAPendingRecord)
{
    start();
    auto *grid = form->findChild<QTableView *>("DBGridData");
    const auto highlighted = [grid] {
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows[0].row() : -1;
    };
    page->DBNavigatorData->button(TableNavigator::Button::Last)->click();
    EXPECT_EQ(highlighted(), 3);
    button("ButtonDataTableInsert")->click();
    button("ButtonDataTableInsert")->click();   // the boxes hold the defaults: the record stays pending
    ASSERT_TRUE(form->TableData.isEditing());
    EXPECT_EQ(highlighted(), -1);
    clickRow(grid, 3);   // the row that was current before: the new record is dropped
    EXPECT_FALSE(form->TableData.isEditing());
    EXPECT_EQ(highlighted(), 3);
    EXPECT_EQ(edit("EditDataHonour")->text(), "Expert");
}

TEST_F(RecipientPageTest, UnreadableValuesAreShownWholeAndEditsStayInTheirRow)
{
    writeSampleRecipients(dir.path());
    patchDbfField(dir.file("Data.dbf"), 1, "CASTKA", QByteArray(20, '*'));
    patchDbfField(dir.file("Data.dbf"), 1, "VYRAZENO", "    .T");
    start();
    auto *grid = form->findChild<QTableView *>("DBGridData");
    clickRow(grid, 1);
    EXPECT_EQ(edit("EditDataHonour")->text(), QString::fromUtf8("Paní"));
    EXPECT_EQ(edit("EditDataEmail")->text(), stored("EMAIL"));
    EXPECT_EQ(edit("EditDataPrice")->text(), QString(20, '*'));
    EXPECT_FALSE(edit("EditDataPrice")->toolTip().isEmpty());
    EXPECT_FALSE(check("CheckBoxDataDiscard")->toolTip().isEmpty());

    typeText(edit("EditDataFirstName"), "X");
    EXPECT_EQ(form->TableData.recNo(), 1);
    EXPECT_EQ(stored("JMENO"), "MarieX");
    form->TableData.moveTo(0);
    EXPECT_EQ(stored("JMENO"), "Jan");
    clickRow(grid, 1);

    edit("EditDataPrice")->selectAll();
    typeText(edit("EditDataPrice"), "150");
    check("CheckBoxDataDiscard")->click();
    EXPECT_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 150.0);
    EXPECT_EQ(form->TableData.fieldByName("VYRAZENO").asInteger(), 1);
    EXPECT_TRUE(edit("EditDataPrice")->toolTip().isEmpty());
    if (havePythonModule("dbfread")) {
        const QJsonArray rows = dbfRows(dir.file("Data.dbf"));
        ASSERT_EQ(rows.size(), 4);
        EXPECT_EQ(rows[1].toObject().value("CASTKA").toDouble(), 150.0);
        EXPECT_EQ(rows[1].toObject().value("VYRAZENO").toInt(), 1);
    }
}

TEST_F(RecipientPageTest, AmountTypedWithThousandsBlanksIsStoredWhole)
{
    start();
    clearBox(edit("EditDataPrice"));
    typeText(edit("EditDataPrice"), QString::fromUtf8("2 500,00"));
    EXPECT_EQ(edit("EditDataPrice")->text(), QString::fromUtf8("2 500,00"));
    EXPECT_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 2500.0);
    EXPECT_EQ(edit("EditDataPriceWord")->text(), PriceToWords(2500));
    clearBox(edit("EditDataPrice"));
    typeText(edit("EditDataPrice"), QString::fromUtf8("1\u00A0200"));
    EXPECT_EQ(form->TableData.fieldByName("CASTKA").asFloat(), 1200.0);
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
    typeText(edit("EditDataPrice"), "a");   // a letter is still no number: refused
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(edit("EditDataPrice")->text(), QString::fromUtf8("1\u00A0200"));
}

TEST_F(RecipientPageTest, PastedLineBreakIsStoredAsABlank)
{
    start();
    QApplication::clipboard()->setText(QString::fromUtf8("Hlavní 1\r\nBrno"));
    clearBox(edit("EditDataStreet"));
    edit("EditDataStreet")->paste();
    EXPECT_EQ(stored("ULICE"), QString::fromUtf8("Hlavní 1 Brno"));
}

// Found by the model test: a refused character on an empty table made a row, and
// an Insert after an edited new record left defaults shown but not stored.
TEST_F(RecipientPageTest, RefusedCharacterAddsNoRowAndInsertStoresWhatItShows)
{
    startWithEmptyTable();
    typeText(edit("EditDataFirstName"), QString::fromUtf8("ñ"));
    EXPECT_EQ(form->TableData.recordCount(), 0);
    button("ButtonDataTableInsert")->click();
    typeText(edit("EditDataFirstName"), "A");
    button("ButtonDataTableInsert")->click();
    ASSERT_EQ(form->TableData.recordCount(), 2);
    EXPECT_EQ(stored("TELEFON"), "+420");
    EXPECT_EQ(stored("EMAIL"), "@");
}
