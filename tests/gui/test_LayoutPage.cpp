// SPDX-License-Identifier: GPL-3.0-or-later
// The layout page driven through its real widgets: every position box, the
// preview switch and stepping through recipients and owners.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "render/LayoutPage.h"
#include "render/PriceWords.h"
#include "settings/SettingKeys.h"

#include <algorithm>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>

using namespace kvitanky;
using namespace testsupport;

namespace {

class LayoutPageTest : public FormTest
{
protected:
    void start(const QByteArray &ini = {})
    {
        startForm(ini);
        page = form->TabSheetLayout;
    }

    // The recipient and owner tables are opened with their sample rows at start-up.
    bool tablesReady()
    {
        return form->TableData.active() && form->TableData.recordCount() == 4 && form->TableOwners.active()
            && form->TableOwners.recordCount() == 4 && form->edit("EditDataPriceWord");
    }

    LayoutPage *page = nullptr;
};

TEST_F(LayoutPageTest, HoldsEveryPositionBoxWithItsDesignedValue)
{
    start();
    int boxes = 0;
    for (const SettingKey &k : settingKeys()) {
        if (k.section != Section::Layout || k.form != SettingForm::Text)
            continue;
        ++boxes;
        QLineEdit *e = page->GroupBoxLayoutValues->findChild<QLineEdit *>(k.key);
        ASSERT_NE(e, nullptr) << k.key.toStdString();
        EXPECT_EQ(e->text(), k.defaultValue) << k.key.toStdString();
        EXPECT_EQ(e->width(), 33);
        EXPECT_FALSE(e->accessibleName().isEmpty());
    }
    int inGroup[2] = {};
    for (const SlipFieldDef &f : slipFields())
        inGroup[int(f.group)] += f.hasSecond ? 6 : 3;
    EXPECT_EQ(page->GroupBoxLayoutValues->findChildren<QLineEdit *>().size(), boxes);
    EXPECT_EQ(page->GroupBoxLayoutValuesRecipient->findChildren<QLineEdit *>().size(), inGroup[int(LayoutGroup::Recipient)]);
    EXPECT_EQ(page->GroupBoxLayoutValuesOwner->findChildren<QLineEdit *>().size(), inGroup[int(LayoutGroup::Owner)]);
    EXPECT_EQ(page->GroupBoxLayoutValuesRecipient->title(), " Adresát ");
    EXPECT_EQ(page->GroupBoxLayoutValuesOwner->title(), " Majitel úctu ");
}

TEST_F(LayoutPageTest, SecondPositionsThatAreNeverReadAreDisabledAndZero)
{
    start();
    for (const SlipFieldDef &f : slipFields()) {
        if (!f.hasSecond || f.name == QLatin1String("PriceWord"))
            continue;
        for (const char *suffix : {"SX", "SY", "SDist"}) {
            const QString key = "EditLayout" + f.name + suffix;
            QLineEdit *e = edit(key);
            ASSERT_NE(e, nullptr) << key.toStdString();
            EXPECT_EQ(e->isEnabled(), f.secondUsed) << key.toStdString();
            if (!f.secondUsed) {
                EXPECT_EQ(e->text(), "0") << key.toStdString();
            }
        }
    }
}

struct PlaceCase {
    const char *key;
    bool owner;
    int x, y;
};

class BoxPlaces : public LayoutPageTest, public ::testing::WithParamInterface<PlaceCase>
{};

TEST_P(BoxPlaces, AtTheDesignedRowAndColumn)
{
    start();
    const PlaceCase &c = GetParam();
    QLineEdit *e = edit(c.key);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->parentWidget(),
              c.owner ? page->GroupBoxLayoutValuesOwner : page->GroupBoxLayoutValuesRecipient);
    // The columns may move right into the group's margin when the row captions need it.
    const int shift = c.owner ? edit("EditLayoutAccountNum1X")->x() - 120 : edit("EditLayoutPriceX")->x() - 112;
    EXPECT_GE(shift, 0);
    EXPECT_LE(shift, 10);
    EXPECT_EQ(e->pos(), QPoint(c.x + shift, c.y));
}

INSTANTIATE_TEST_SUITE_P(
    Spots, BoxPlaces,
    ::testing::Values(PlaceCase{"EditLayoutPriceX", false, 112, 40},
                      PlaceCase{"EditLayoutPriceSDist", false, 320, 40},
                      PlaceCase{"EditLayoutVSSX", false, 240, 64},
                      PlaceCase{"EditLayoutRecipientTitleY", false, 152, 112},
                      PlaceCase{"EditLayoutRecipientPostCodeSY", false, 280, 232},
                      PlaceCase{"EditLayoutPriceWordDist", false, 192, 256},
                      PlaceCase{"EditLayoutPriceWordX2", false, 112, 280},
                      PlaceCase{"EditLayoutPriceWordDist2", false, 192, 280},
                      PlaceCase{"EditLayoutPriceSMX", false, 112, 304},
                      PlaceCase{"EditLayoutAccountNum1X", true, 120, 40},
                      PlaceCase{"EditLayoutAccountIDBSDist", true, 328, 88},
                      PlaceCase{"EditLayoutConstSDist", true, 200, 112},
                      PlaceCase{"EditLayoutOwnerAddress1SX", true, 248, 160},
                      PlaceCase{"EditLayoutOwnerSubjectY", true, 160, 232},
                      PlaceCase{"EditLayoutOwnerTransCodeDist", true, 200, 304}));

TEST_F(LayoutPageTest, RowsWithoutSecondPositionHaveNoBoxesThere)
{
    start();
    for (QGroupBox *g : {page->GroupBoxLayoutValuesRecipient, page->GroupBoxLayoutValuesOwner}) {
        QHash<int, int> perRow;
        for (QLineEdit *e : g->findChildren<QLineEdit *>())
            ++perRow[e->y()];
        for (auto it = perRow.cbegin(); it != perRow.cend(); ++it)
            EXPECT_TRUE(it.value() == 3 || it.value() == 6) << "row " << it.key();
    }
    // ConstS, the messages, the subject, the code and the hundredths: main boxes only.
    for (const char *key : {"EditLayoutConstSSX", "EditLayoutOwnerMessage1SX", "EditLayoutPriceSMSX",
                            "EditLayoutPriceWordSX", "EditLayoutOwnerTransCodeSDist"})
        EXPECT_EQ(edit(key), nullptr) << key;
}

TEST_F(LayoutPageTest, DesignedControls)
{
    start();
    EXPECT_TRUE(page->CheckBoxLayoutShow->isChecked());
    EXPECT_TRUE(page->CheckBoxLayoutPictureOn->isChecked());
    EXPECT_TRUE(page->LabelLayoutDiscard->isHidden());
    EXPECT_EQ(page->LabelLayoutDiscard->text(), "Vyrazeno z tisku");
    EXPECT_EQ(page->LabelLayoutDiscard->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(page->ButtonLayoutValuesPrevious->geometry(), QRect(536, 448, 99, 25));
    EXPECT_EQ(page->ButtonLayoutValuesNext->geometry(), QRect(656, 448, 97, 25));
    EXPECT_TRUE(page->ButtonLayoutValuesPreviousOwner->isHidden());
    EXPECT_TRUE(page->ButtonLayoutValuesNextOwner->isHidden());
    EXPECT_FALSE(page->ImageCheque->isHidden());
    EXPECT_TRUE(page->GroupBoxLayoutValues->isHidden());
    EXPECT_EQ(page->ImageCheque->pos(), QPoint(16, 24));
}

TEST_F(LayoutPageTest, ShowSwitchTogglesPreviewAndBoxes)
{
    start();
    const QImage before = page->ImageCheque->pixmap().toImage();
    page->CheckBoxLayoutShow->click();
    EXPECT_TRUE(page->ImageCheque->isHidden());
    EXPECT_TRUE(page->ButtonLayoutValuesPrevious->isHidden());
    EXPECT_TRUE(page->ButtonLayoutValuesNext->isHidden());
    EXPECT_FALSE(page->GroupBoxLayoutValues->isHidden());
    // A position typed meanwhile shows when the preview comes back.
    edit("EditLayoutPriceY")->setText("300");
    page->CheckBoxLayoutShow->click();
    EXPECT_FALSE(page->ImageCheque->isHidden());
    EXPECT_FALSE(page->ButtonLayoutValuesPrevious->isHidden());
    EXPECT_FALSE(page->ButtonLayoutValuesNext->isHidden());
    EXPECT_TRUE(page->GroupBoxLayoutValues->isHidden());
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
    if (before.isNull())
        GTEST_SKIP() << "slip composition not wired yet";
    EXPECT_NE(page->ImageCheque->pixmap().toImage(), before);
}

TEST_F(LayoutPageTest, PictureSwitchRedrawsOnThePlainBackground)
{
    start();
    const QImage withForm = page->ImageCheque->pixmap().toImage();
    if (withForm.isNull())
        GTEST_SKIP() << "slip composition not wired yet";
    page->CheckBoxLayoutPictureOn->click();
    const QImage plain = page->ImageCheque->pixmap().toImage();
    EXPECT_NE(plain, withForm);
    page->CheckBoxLayoutPictureOn->click();
    EXPECT_EQ(page->ImageCheque->pixmap().toImage(), withForm);
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
}

TEST_F(LayoutPageTest, A_BadPositionIsReportedAndThePageGoesOn)
{
    start();
    page->CheckBoxLayoutShow->click();
    edit("EditLayoutPriceX")->setText("abc");
    messages.clear();
    page->CheckBoxLayoutShow->click();
    if (!tablesReady())
        GTEST_SKIP() << "slip composition not wired yet";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].text.contains("EditLayoutPriceX")) << messages[0].text.toStdString();
    EXPECT_FALSE(page->ImageCheque->isHidden());
}

TEST_F(LayoutPageTest, SteppingStopsAtBothEnds)
{
    start();
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    DbfTable &t = form->TableData;
    QPushButton *next = page->ButtonLayoutValuesNext;
    QPushButton *prev = page->ButtonLayoutValuesPrevious;
    QLineEdit *words = form->edit("EditDataPriceWord");
    ASSERT_EQ(t.recNo(), 0);

    // First row: Bof is set, "Zpet" only disables itself.
    prev->click();
    EXPECT_FALSE(prev->isEnabled());
    EXPECT_EQ(t.recNo(), 0);

    for (int row = 1; row <= 3; ++row) {
        next->click();
        EXPECT_EQ(t.recNo(), row);
        EXPECT_TRUE(prev->isEnabled());
        EXPECT_TRUE(next->isEnabled());
        EXPECT_EQ(words->text(), PriceToWords(t.fieldByName("CASTKA").asFloat()));
    }
    // On the last row "Další" stays there, refreshes the words and disables itself.
    words->setText("stale");
    next->click();
    EXPECT_EQ(t.recNo(), 3);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(words->text(), PriceToWords(12345000));
    next->click();   // disabled: nothing happens
    EXPECT_EQ(t.recNo(), 3);

    prev->click();
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(words->text(), PriceToWords(999999.5));
    // Only the sample of 999 999,50 is warned of: its words run past row 2.
    const QStringList said = texts();
    EXPECT_TRUE(std::all_of(said.begin(), said.end(), [](const QString &m) { return m.startsWith(QString::fromUtf8("Nebezpecí")); }))
        << said.join('|').toStdString();
}

TEST_F(LayoutPageTest, DiscardLabelFollowsTheSteppedToRecipient)
{
    start();
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    QPushButton *next = page->ButtonLayoutValuesNext;
    QPushButton *prev = page->ButtonLayoutValuesPrevious;
    EXPECT_TRUE(page->LabelLayoutDiscard->isHidden());
    next->click();
    next->click();
    EXPECT_TRUE(page->LabelLayoutDiscard->isHidden());
    next->click();   // the fourth sample row is excluded from printing
    EXPECT_FALSE(page->LabelLayoutDiscard->isHidden());
    prev->click();
    EXPECT_TRUE(page->LabelLayoutDiscard->isHidden());
}

TEST_F(LayoutPageTest, EmptyTableOnlyDisablesTheButtons)
{
    start();
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    form->TableData.deleteAll();
    QLineEdit *words = form->edit("EditDataPriceWord");
    words->setText("beze zmeny");
    page->ButtonLayoutValuesNext->click();
    page->ButtonLayoutValuesPrevious->click();
    EXPECT_FALSE(page->ButtonLayoutValuesNext->isEnabled());
    EXPECT_FALSE(page->ButtonLayoutValuesPrevious->isEnabled());
    EXPECT_EQ(words->text(), "beze zmeny");
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
}

struct OwnerRow {
    const char *address1, *address2, *address3, *num1, *num2, *idb, *constS;
};

void expectOwnerInSettings(TForm1 &form, const OwnerRow &o)
{
    EXPECT_EQ(form.edit("EditSetOwnerAddress1")->text(), QString::fromUtf8(o.address1));
    EXPECT_EQ(form.edit("EditSetOwnerAddress2")->text(), QString::fromUtf8(o.address2));
    EXPECT_EQ(form.edit("EditSetOwnerAddress3")->text(), QString::fromUtf8(o.address3));
    EXPECT_EQ(form.edit("EditSetOwnerAccountNum1")->text(), QString::fromUtf8(o.num1));
    EXPECT_EQ(form.edit("EditSetOwnerAccountNum2")->text(), QString::fromUtf8(o.num2));
    EXPECT_EQ(form.edit("EditSetOwnerAccountIDB")->text(), QString::fromUtf8(o.idb));
    EXPECT_EQ(form.edit("EditSetOwnerAccountConstS")->text(), QString::fromUtf8(o.constS));
}

TEST_F(LayoutPageTest, OwnerSteppingCopiesTheOwnerIntoTheSettings)
{
    start("[SET]\r\nCheckBoxSetOwnersAdr=1\r\n[OWNER]\r\nEditSetOwnerAddress1=Ze souboru\r\n");
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    QPushButton *next = page->ButtonLayoutValuesNextOwner;
    QPushButton *prev = page->ButtonLayoutValuesPreviousOwner;
    ASSERT_FALSE(next->isHidden());
    // Right after start the settings keep the file's owner and Bof is set.
    EXPECT_EQ(form->edit("EditSetOwnerAddress1")->text(), "Ze souboru");
    prev->click();
    EXPECT_FALSE(prev->isEnabled());
    EXPECT_EQ(form->edit("EditSetOwnerAddress1")->text(), "Ze souboru");

    next->click();
    EXPECT_TRUE(prev->isEnabled());
    expectOwnerInSettings(*form, {"Národní Pokladnice, s. r. o.", "Karolínka 9999", "75605 Valašsko", "888888",
                                  "1501511520", "0666", "0777"});
    next->click();
    next->click();
    expectOwnerInSettings(*form, {"Všeobecná pomoc EU", "V zahrádkách 111", "763 12 Ublo", "111111",
                                  "1234567890", "2222", "3333"});
    // On the last owner the button gives up at once.
    EXPECT_FALSE(next->isEnabled());
    form->edit("EditSetOwnerAddress1")->setText("prepsano");
    next->click();
    EXPECT_EQ(form->edit("EditSetOwnerAddress1")->text(), "prepsano");

    prev->click();
    EXPECT_TRUE(next->isEnabled());
    expectOwnerInSettings(*form, {"Muzeum RVHP", "Peterburgská 928", "Praha 99", "000000", "1111111111", "1111",
                                  "9999"});
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
}

// The owner buttons show where the owner cursor is, wherever it was moved.
TEST_F(LayoutPageTest, OwnerButtonsFollowTheOwnerCursor)
{
    start("[SET]\r\nCheckBoxSetOwnersAdr=1\r\n");
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    QPushButton *next = page->ButtonLayoutValuesNextOwner;
    QPushButton *prev = page->ButtonLayoutValuesPreviousOwner;
    QWidget *owners = form->findChild<QWidget *>("TabSheetOwnersAdr");
    const auto buttons = [&] { return QString("%1%2").arg(prev->isEnabled()).arg(next->isEnabled()); };
    showPage(page);
    EXPECT_EQ(buttons(), "01");   // the first owner

    showPage(owners);
    form->findChild<QToolButton *>("DBNavigatorOwnersLast")->click();
    showPage(page);
    EXPECT_EQ(buttons(), "10");

    showPage(owners);
    form->findChild<QToolButton *>("DBNavigatorOwnersFirst")->click();
    button("ButtonTableOwnersInsert")->click();
    typeText(edit("EditOwnerAddress1"), "Nový majitel");   // posted as the last owner
    showPage(page);
    EXPECT_EQ(buttons(), "10");

    showPage(owners);
    form->findChild<QToolButton *>("DBNavigatorOwnersFirst")->click();
    button("ButtonTableOwnersDelete")->click();   // the cursor stays on the new first owner
    showPage(page);
    EXPECT_EQ(buttons(), "01");
    next->click();
    EXPECT_EQ(buttons(), "11");
    EXPECT_EQ(form->edit("EditSetOwnerAddress3")->text(), "Praha 99");
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
}

// With one owner there is nowhere to step, but the owner can still be copied.
TEST_F(LayoutPageTest, SoleOwnerCanBeCopied)
{
    start("[SET]\r\nCheckBoxSetOwnersAdr=1\r\n[OWNER]\r\nEditSetOwnerAddress1=Ze souboru\r\n");
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    DbfTable &owners = form->TableOwners;
    for (int i = 0; i < 3; ++i) {
        owners.last();
        owners.deleteRecord();
    }
    showPage(page);
    QPushButton *next = page->ButtonLayoutValuesNextOwner;
    ASSERT_TRUE(next->isEnabled());
    next->click();
    EXPECT_EQ(form->edit("EditSetOwnerAddress3")->text(), "378 81");
    EXPECT_FALSE(next->isEnabled());
    EXPECT_FALSE(page->ButtonLayoutValuesPreviousOwner->isEnabled());
}

TEST_F(LayoutPageTest, OwnerWithBadAccountIsReportedAndEmptied)
{
    start("[SET]\r\nCheckBoxSetOwnersAdr=1\r\n");
    if (!tablesReady())
        GTEST_SKIP() << "tables not wired yet";
    DbfTable &owners = form->TableOwners;
    owners.next();
    owners.edit();
    owners.fieldByName("IDB").setAsString("06a6");
    owners.post();
    owners.first();
    page->ButtonLayoutValuesNextOwner->click();
    EXPECT_EQ(form->edit("EditSetOwnerAccountIDB")->text(), "");
    EXPECT_EQ(texts(), QStringList{"'06a6' není platné císlo!"});
    EXPECT_EQ(form->edit("EditSetOwnerAccountConstS")->text(), "0777");
}

TEST_F(LayoutPageTest, NothingOverlapsInThePositionBoxes)
{
    start();
    for (QGroupBox *g : {page->GroupBoxLayoutValuesRecipient, page->GroupBoxLayoutValuesOwner}) {
        QList<QWidget *> shown;
        for (QWidget *w : g->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!w->isHidden())
                shown << w;
        }
        for (int i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(g->rect().contains(shown[i]->geometry())) << shown[i]->objectName().toStdString();
            for (int j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << shown[i]->property("text").toString().toStdString() << " / "
                    << shown[j]->property("text").toString().toStdString();
        }
    }
    // The symbol-mode note fits its gap between the constant symbol and the address rows.
    form->check("CheckBoxSetOwnersKS_VS")->setChecked(true);
    const QRect note = page->LabelLayoutVarS_KS->geometry();
    EXPECT_TRUE(page->GroupBoxLayoutValuesOwner->rect().contains(note));
    EXPECT_FALSE(note.intersects(edit("EditLayoutConstSX")->geometry()));
    EXPECT_FALSE(note.intersects(edit("EditLayoutOwnerAddress1X")->geometry()));
}

} // namespace
