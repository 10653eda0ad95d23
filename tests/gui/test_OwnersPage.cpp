// SPDX-License-Identifier: GPL-3.0-or-later
// The owner directory page driven through its real widgets.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/OwnerTable.h"
#include "data/OwnersPage.h"
#include "render/LayoutPage.h"
#include "settings/IniFile.h"
#include "shell/PageControls.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

using namespace kvitanky;
using namespace testsupport;

namespace {

class OwnersPageTest : public FormTest
{
protected:
    void start()
    {
        startForm();
        form->show();
        form->check("CheckBoxSetOwnersAdr")->setChecked(true);   // the page's tab appears
        page = form->TabSheetOwnersAdr;
        showPage(page);
    }

    QString stored(const char *column) { return form->TableOwners.fieldByName(column).asString(); }
    int rows() { return form->TableOwners.recordCount(); }

    OwnersPage *page = nullptr;
};

TEST_F(OwnersPageTest, ShowsTheFirstSampleOwner)
{
    start();
    ASSERT_EQ(rows(), 4);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), QString::fromUtf8("STÁTNÍ SPRÁVA CR"));
    EXPECT_EQ(edit("EditOwnerNum2")->text(), "0123456789");
    auto *grid = page->findChild<QTableView *>("DBGridOwners");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->model()->rowCount(), 4);
    EXPECT_EQ(grid->model()->columnCount(), 7);
    EXPECT_EQ(grid->model()->index(1, 5).data().toString(), "0666");   // text, leading zero kept
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(OwnersPageTest, NavigatorAndGridShowTheOwnerWithLeadingZeros)
{
    start();
    page->findChild<QToolButton *>("DBNavigatorOwnersNext")->click();
    EXPECT_EQ(edit("EditOwnerIDB")->text(), "0666");
    EXPECT_EQ(edit("EditOwnerConstS")->text(), "0777");
    auto *grid = page->findChild<QTableView *>("DBGridOwners");
    clickRow(grid, 2);
    EXPECT_EQ(form->TableOwners.recNo(), 2);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), "Muzeum RVHP");
    EXPECT_EQ(edit("EditOwnerNum1")->text(), "000000");
    // The settings page's owner is not touched by browsing.
    EXPECT_EQ(form->edit("EditSetOwnerAddress1")->text(), QString::fromUtf8("STÁTNÍ SPRÁVA CR"));
}

struct OwnerBoxCase {
    const char *box;
    const char *column;
    int limit;
};

class OwnerBoxTest : public OwnersPageTest, public ::testing::WithParamInterface<OwnerBoxCase>
{
};

TEST_P(OwnerBoxTest, TypingWritesThroughUpToTheTypingLimit)
{
    start();
    const OwnerBoxCase c = GetParam();
    QLineEdit *e = edit(c.box);
    clearBox(e);
    EXPECT_EQ(stored(c.column), "");
    typeText(e, QString(c.limit + 2, QChar('1')));
    EXPECT_EQ(e->text(), QString(c.limit, QChar('1')));
    EXPECT_EQ(stored(c.column), QString(c.limit, QChar('1')));
    EXPECT_EQ(rows(), 4);
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Boxes, OwnerBoxTest,
                         ::testing::Values(OwnerBoxCase{"EditOwnerAddress1", "Address1", 30},
                                           OwnerBoxCase{"EditOwnerAddress2", "Address2", 30},
                                           OwnerBoxCase{"EditOwnerAddress3", "Address3", 30},
                                           OwnerBoxCase{"EditOwnerNum1", "Num1", 6},
                                           OwnerBoxCase{"EditOwnerNum2", "Num2", 10},
                                           OwnerBoxCase{"EditOwnerIDB", "IDB", 4},
                                           OwnerBoxCase{"EditOwnerConstS", "ConstS", 4}));

TEST_F(OwnersPageTest, InsertTwiceThenDelete)
{
    start();
    button("ButtonTableOwnersInsert")->click();
    ASSERT_EQ(rows(), 5);
    EXPECT_EQ(stored("Address1"), "");
    EXPECT_EQ(stored("IDB"), "");
    EXPECT_EQ(form->TableOwners.recNo(), 4);
    // All seven boxes already empty: the next new owner stays pending, Delete drops it.
    button("ButtonTableOwnersInsert")->click();
    EXPECT_TRUE(form->TableOwners.isEditing());
    EXPECT_EQ(rows(), 5);
    button("ButtonTableOwnersDelete")->click();
    EXPECT_FALSE(form->TableOwners.isEditing());
    EXPECT_EQ(rows(), 5);
    // Delete the empty owner that was posted.
    page->findChild<QToolButton *>("DBNavigatorOwnersLast")->click();
    button("ButtonTableOwnersDelete")->click();
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), QString::fromUtf8("Všeobecná pomoc EU"));
    EXPECT_EQ(page->findChild<QTableView *>("DBGridOwners")->model()->rowCount(), 4);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(OwnersPageTest, TypingIntoAnEmptyTableCreatesAnOwner)
{
    {
        DbfTable t;
        CreateOwnerTable(t, dir.path());
    }
    start();
    ASSERT_EQ(rows(), 0);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), "");
    typeText(edit("EditOwnerIDB"), "0100");
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(stored("IDB"), "0100");
}

TEST_F(OwnersPageTest, SymbolModeRelabelsAndWidensTheSymbolBox)
{
    start();
    QCheckBox *vs = form->check("CheckBoxSetOwnersKS_VS");
    auto *label = page->findChild<QLabel *>("LabelOwnersConstS");
    auto *grid = page->findChild<QTableView *>("DBGridOwners");
    for (const bool on : {true, false}) {
        vs->setChecked(on);
        EXPECT_EQ(label->text(), on ? "Variabilní symbol" : "Konstantní symbol");
        EXPECT_EQ(ui::typingLimit(edit("EditOwnerConstS")), on ? 10 : 4);
        EXPECT_EQ(grid->model()->headerData(6, Qt::Horizontal).toString(),
                  on ? "Var. symbol" : "Konst. symbol");
        EXPECT_GE(label->x() + label->width(), label->x() + label->sizeHint().width());
    }
}

TEST_F(OwnersPageTest, LayoutOwnerStepThenTypingChangesTheOwnerShown)
{
    start();
    auto *nextOwner = form->findChild<QPushButton *>("ButtonLayoutValuesNextOwner");
    ASSERT_TRUE(nextOwner);
    form->PageControlMain->setCurrentWidget(form->TabSheetLayout);
    nextOwner->click();
    ASSERT_EQ(form->TableOwners.recNo(), 1) << "the layout page's owner step moved nowhere";
    form->PageControlMain->setCurrentWidget(page);
    EXPECT_EQ(edit("EditOwnerIDB")->text(), "0666");
    typeText(edit("EditOwnerAddress3"), "!");
    EXPECT_EQ(stored("Address3"), QString::fromUtf8("75605 Valašsko!"));
    form->TableOwners.moveTo(0);
    EXPECT_EQ(stored("Address3"), "378 81");
}

// A line break another program left in Owners.dbf reaches the settings box, and so
// the settings file, as a blank: no value splits a line of the file.
TEST_F(OwnersPageTest, LineBreakInAnOwnerColumnReachesTheSettingsAsABlank)
{
    start();
    form->TableOwners.moveTo(1);
    form->TableOwners.edit();
    form->TableOwners.fieldByName("Address1").setAsString(QString::fromUtf8("Obecní úřad\r\nHlavní 1"));
    form->TableOwners.fieldByName("Address2").setAsString("[SET]\nEditSetOtherFontSize1=0");
    form->TableOwners.post();
    form->TableOwners.moveTo(0);
    form->PageControlMain->setCurrentWidget(form->TabSheetLayout);
    form->TabSheetLayout->ButtonLayoutValuesNextOwner->click();
    EXPECT_EQ(edit("EditSetOwnerAddress1")->text(), QString::fromUtf8("Obecní úřad Hlavní 1"));
    EXPECT_EQ(edit("EditSetOwnerAddress2")->text(), "[SET] EditSetOtherFontSize1=0");
    form->SaveSettings();
    IniFile saved(dir.file("Kvitanky.ini"));
    EXPECT_EQ(saved.readString("OWNER", "EditSetOwnerAddress1", "-"), QString::fromUtf8("Obecní úřad Hlavní 1"));
    EXPECT_EQ(saved.readString("SET", "EditSetOtherFontSize1", "-"), "10");
}

TEST_F(OwnersPageTest, TypingAfterACursorMoveOnTheVisiblePageLandsInTheOwnerShown)
{
    start();
    form->TableOwners.moveTo(3);   // moved behind the page's back
    typeText(edit("EditOwnerAddress3"), "!");
    EXPECT_EQ(form->TableOwners.recNo(), 0);
    EXPECT_EQ(stored("Address3"), "378 81!");
    form->TableOwners.moveTo(3);
    EXPECT_EQ(stored("Address3"), "763 12 Ublo");
}

TEST_F(OwnersPageTest, RestoreDefaultsCancelledChangesNothing)
{
    start();
    answer = ui::MessageAnswer::Cancel;
    button("ButtonTableOwnersDefault")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].caption, QString::fromUtf8("Puvodní nastavení adresáre majitelu úctu"));
    EXPECT_EQ(messages[0].text,
              QString::fromUtf8("Opravdu si prejete nastavit adresár majitelu úctu do výchozího nastavení?"));
    EXPECT_TRUE(messages[0].withCancel);
    EXPECT_TRUE(form->TableOwners.active());
    EXPECT_TRUE(QFile::exists(dir.file("Owners.dbf")));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(OwnersPageTest, RestoreDefaultsRemovesTheTableAndTheNextStartHasTheSamples)
{
    start();
    button("ButtonTableOwnersDelete")->click();
    button("ButtonTableOwnersDelete")->click();
    ASSERT_EQ(rows(), 2);
    button("ButtonTableOwnersDefault")->click();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1].caption, QString::fromUtf8("Puvodní nastavení adresáre majitelu úctu"));
    EXPECT_TRUE(messages[1].text.startsWith(
        QString::fromUtf8("Puvodní adresár majitelu úctú bude nastaven do výchozího nastavení. \n\n"
                          "Program Kvitanky bude nyní ukoncen.\n\n"
                          "Spusťtte prosím program znovu obvyklým zpusobem.\n\nPůvodní adresář majitelů účtů")));
    EXPECT_FALSE(messages[1].withCancel);
    EXPECT_FALSE(QFile::exists(dir.file("Owners.dbf")));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(page->findChild<QTableView *>("DBGridOwners")->model()->rowCount(), 0);

    form.reset();
    start();
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), QString::fromUtf8("STÁTNÍ SPRÁVA CR"));
}

// The search box over the owner grid; the navigator gives up on a closed table.
TEST_F(OwnersPageTest, SearchFindsAnOwnerAndTheNavigatorFollows)
{
    start();
    const auto enabled = [&] {
        QString s;
        for (const char *b : {"First", "Prior", "Next", "Last"})
            s += page->findChild<QToolButton *>(QString("DBNavigatorOwners") + b)->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(enabled(), "0011");
    QLineEdit *box = edit("EditOwnersSearch");
    ASSERT_TRUE(box);
    typeText(box, "peterburgska");
    pressKey(box, Qt::Key_Return);
    EXPECT_EQ(form->TableOwners.recNo(), 2);
    EXPECT_EQ(edit("EditOwnerAddress1")->text(), "Muzeum RVHP");
    EXPECT_EQ(enabled(), "1111");
    box->clear();
    typeText(box, "EU");
    pressKey(box, Qt::Key_Return);
    EXPECT_EQ(form->TableOwners.recNo(), 3);
    EXPECT_EQ(enabled(), "1100");
    form->TableOwners.setActive(false);
    page->refreshGrid();
    EXPECT_EQ(enabled(), "0000");
}

} // namespace
