// SPDX-License-Identifier: GPL-3.0-or-later
// The settings page driven through its real widgets: number check of the account
// boxes, font dialog, the two mode switches, save and restore defaults.
#include "GuiTestSupport.h"

#include "data/OwnersPage.h"
#include "data/RecipientPage.h"
#include "render/LayoutPage.h"
#include "render/PriceWords.h"
#include "settings/IniFile.h"
#include "settings/SettingsPage.h"
#include "shell/PageControls.h"

#include "text/Codepage.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace kvitanky;
using namespace testsupport;

namespace {

class SettingsPageTest : public FormTest
{
protected:
    // The font dialog as the user works it; `work` returns whether it was confirmed.
    void onFontDialog(std::function<bool(QFontDialog &)> work)
    {
        desktop->onDialog = [work](QDialog &d) {
            return work(dynamic_cast<QFontDialog &>(d)) ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
    }
};

// --- Number check of the account boxes -------------------------------------

struct TypingCase {
    const char *key;
    const char *before;    // text in the box before typing
    const char *typed;
    const char *after;
    const char *message;   // empty: none
};

class AccountTyping : public SettingsPageTest, public ::testing::WithParamInterface<TypingCase>
{};

TEST_P(AccountTyping, ChecksEveryKeystroke)
{
    const TypingCase &c = GetParam();
    startForm();
    QLineEdit *e = edit(c.key);
    ASSERT_NE(e, nullptr);
    e->setText(QString::fromUtf8(c.before));
    messages.clear();
    e->setFocus();
    e->end(false);
    typeText(e, QString::fromUtf8(c.typed));
    EXPECT_EQ(e->text(), QString::fromUtf8(c.after));
    if (*c.message) {
        ASSERT_EQ(messages.size(), 1) << texts().join('|').toStdString();
        EXPECT_EQ(messages[0].text, QString::fromUtf8(c.message));
    } else {
        EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountTyping,
    ::testing::Values(
        TypingCase{"EditSetOwnerAccountIDB", "", "12.5", "12,5", ""},
        TypingCase{"EditSetOwnerAccountIDB", "", "0000", "0000", ""},
        TypingCase{"EditSetOwnerAccountNum2", "", "0123456789", "0123456789", ""},
        TypingCase{"EditSetOwnerAccountIDB", "", "-", "", "'-' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountNum1", "", ",", "", "',' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountNum2", "", "-1", "1", "'-' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountNum1", "12", "a", "", "'12a' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountNum2", "0123", "x", "", "'0123x' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountIDB", "1", "b", "", "'1b' není platné císlo!"},
        TypingCase{"EditSetOwnerAccountConstS", "12", ".x", "", "'12,x' není platné císlo!"},
        // Typing limits: the seventh digit of the prefix does not get in.
        TypingCase{"EditSetOwnerAccountNum1", "", "1234567", "123456", ""},
        TypingCase{"EditSetOwnerAccountConstS", "", "12345", "1234", ""}));

TEST_F(SettingsPageTest, ProgramSetTextIsCheckedAsWell)
{
    startForm();
    QLineEdit *num2 = edit("EditSetOwnerAccountNum2");
    num2->setText("1.5e3");
    EXPECT_EQ(num2->text(), "1,5e3");
    num2->setText("12 34");
    EXPECT_EQ(num2->text(), "");
    EXPECT_EQ(texts(), QStringList{"'12 34' není platné císlo!"});
}

TEST_F(SettingsPageTest, EmptyingABoxGivesNoMessage)
{
    startForm();
    QLineEdit *idb = edit("EditSetOwnerAccountIDB");
    ASSERT_EQ(idb->text(), "0000");
    idb->end(false);
    pressKey(idb, Qt::Key_Backspace);
    EXPECT_EQ(idb->text(), "000");
    idb->selectAll();
    pressKey(idb, Qt::Key_Backspace);
    EXPECT_EQ(idb->text(), "");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SettingsPageTest, StoredAccountValueThatIsNotANumberIsEmptiedAtStart)
{
    startForm("[OWNER]\r\nEditSetOwnerAccountIDB=12a\r\n");
    EXPECT_EQ(edit("EditSetOwnerAccountIDB")->text(), "");
    const QStringList seen = messageTexts(startupMessages);
    EXPECT_TRUE(seen.contains("'12a' není platné císlo!")) << seen.join('|').toStdString();
}

struct LimitCase {
    const char *key;
    int limit;
};
class TypingLimits : public SettingsPageTest, public ::testing::WithParamInterface<LimitCase>
{};

TEST_P(TypingLimits, AsDesigned)
{
    startForm();
    QLineEdit *e = edit(GetParam().key);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ui::typingLimit(e), GetParam().limit);
}

INSTANTIATE_TEST_SUITE_P(Boxes, TypingLimits,
                         ::testing::Values(LimitCase{"EditSetOwnerAccountNum1", 6},
                                           LimitCase{"EditSetOwnerAccountNum2", 10},
                                           LimitCase{"EditSetOwnerAccountIDB", 4},
                                           LimitCase{"EditSetOwnerAccountConstS", 4},
                                           LimitCase{"EditSetOwnerAddressMessage1", 12},
                                           LimitCase{"EditSetOwnerAddressMessage2", 12},
                                           LimitCase{"EditSetOwnerAddress1", 0},
                                           LimitCase{"EditSetOwnerTransCode", 0}));

// --- Font dialog ------------------------------------------------------------

class FontButton : public SettingsPageTest, public ::testing::WithParamInterface<int>
{
protected:
    QString key(const char *stem) const { return QString::fromLatin1(stem) + QString::number(GetParam()); }
};

TEST_P(FontButton, CancelKeepsTheNameAndNormalisesTheSize)
{
    startForm();
    edit(key("EditSetOtherCharSet"))->setText("Nejaké Písmo");
    edit(key("EditSetOtherFontSize"))->setText(" 011");
    edit(key("EditSetOtherDistance"))->setText("7");
    int calls = 0;
    QFont shown;
    onFontDialog([&](QFontDialog &d) {
        ++calls;
        shown = d.currentFont();
        d.setCurrentFont(QFont("Courier", 20));   // browsing, then cancel
        return false;
    });
    button(key("ButtonSetOtherCharSet"))->click();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shown.pointSize(), 11);
    EXPECT_FALSE(shown.bold());
    EXPECT_FALSE(shown.italic());
    EXPECT_EQ(edit(key("EditSetOtherCharSet"))->text(), "Nejaké Písmo");
    EXPECT_EQ(edit(key("EditSetOtherFontSize"))->text(), "11");
    EXPECT_EQ(edit(key("EditSetOtherDistance"))->text(), "7");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_P(FontButton, ConfirmTakesNameAndWholeSize)
{
    startForm();
    QString shownFamily, chosenFamily;
    onFontDialog([&](QFontDialog &d) {
        QFont f = d.currentFont();
        shownFamily = f.family();
        for (const QString &family : QFontDatabase::families()) {
            if (family.compare(shownFamily, Qt::CaseInsensitive) != 0) {
                f.setFamily(family);
                break;
            }
        }
        f.setPointSize(14);
        f.setBold(true);
        d.setCurrentFont(f);
        chosenFamily = d.currentFont().family();
        return true;
    });
    button(key("ButtonSetOtherCharSet"))->click();
    ASSERT_NE(chosenFamily, shownFamily) << "the desktop offers one font family only";
    EXPECT_EQ(edit(key("EditSetOtherCharSet"))->text(), chosenFamily);
    EXPECT_EQ(edit(key("EditSetOtherFontSize"))->text(), "14");
}

// Confirming without choosing another font keeps the box's name, even where the
// desktop shows another family for it (Liberation Sans for Arial).
TEST_P(FontButton, ConfirmWithoutChoosingKeepsTheName)
{
    startForm();
    onFontDialog([](QFontDialog &) { return true; });
    for (const char *name : {"Arial", "Nejaké Písmo"}) {
        edit(key("EditSetOtherCharSet"))->setText(QString::fromUtf8(name));
        button(key("ButtonSetOtherCharSet"))->click();
        EXPECT_EQ(edit(key("EditSetOtherCharSet"))->text(), QString::fromUtf8(name));
    }
}

TEST_P(FontButton, SizeThatIsNotAnIntegerKeepsTheDialogClosed)
{
    startForm();
    for (const char *bad : {"abc", "12,5", ""}) {
        edit(key("EditSetOtherCharSet"))->setText("Arial");
        edit(key("EditSetOtherFontSize"))->setText(bad);
        messages.clear();
        int calls = 0;
        onFontDialog([&](QFontDialog &) {
            ++calls;
            return true;
        });
        button(key("ButtonSetOtherCharSet"))->click();
        EXPECT_EQ(calls, 0) << bad;
        ASSERT_EQ(messages.size(), 1) << bad;
        EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("'%1' není platné celé císlo").arg(bad)))
            << messages[0].text.toStdString();
        EXPECT_EQ(edit(key("EditSetOtherFontSize"))->text(), QString::fromLatin1(bad));
        EXPECT_EQ(edit(key("EditSetOtherCharSet"))->text(), "Arial");
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, FontButton, ::testing::Values(1, 2, 3));

// --- Settings files from other hands ----------------------------------------

// Stray carriage returns (CR CR LF, bare CR lines, a CR at the end of the file) are
// white space: numbers load without a complaint and the save writes them back.
TEST_F(SettingsPageTest, StrayCarriageReturnsAreWhiteSpace)
{
    for (const QByteArray &eol : {QByteArray("\r\r\n"), QByteArray("\r")}) {
        messages.clear();
        startForm("[LAYOUT]" + eol + "EditLayoutPriceX=470" + eol + "[OWNER]" + eol
                  + "EditSetOwnerAccountNum1=19" + eol + "EditSetOwnerAccountIDB=0800\r");
        EXPECT_EQ(messageTexts(startupMessages), QStringList()) << eol.toHex().toStdString();
        EXPECT_EQ(edit("EditLayoutPriceX")->text(), "470");
        EXPECT_EQ(edit("EditSetOwnerAccountNum1")->text(), "19");
        EXPECT_EQ(edit("EditSetOwnerAccountIDB")->text(), "0800");
        button("ButtonSetSave")->click();
        IniFile saved(dir.file("Kvitanky.ini"));
        EXPECT_EQ(saved.readString("OWNER", "EditSetOwnerAccountNum1", "-"), "19");
        EXPECT_EQ(saved.readString("OWNER", "EditSetOwnerAccountIDB", "-"), "0800");
    }
}

// --- Mode switches ----------------------------------------------------------

TEST_F(SettingsPageTest, OwnerDirectoryModeReshapesTheWindow)
{
    startForm();
    QTabWidget *tabs = form->PageControlMain;
    LayoutPage *layout = form->TabSheetLayout;
    const int impExp = tabs->indexOf(form->findChild<QWidget *>("TabSheetImpExp"));
    ASSERT_EQ(impExp, 5);
    QCheckBox *on = check("CheckBoxSetOwnersAdr");

    for (int round = 0; round < 2; ++round) {
        on->setChecked(true);
        EXPECT_TRUE(tabs->isTabVisible(2));
        EXPECT_EQ(form->visibleTabIndex(impExp), 5);
        EXPECT_EQ(tabs->tabText(2), "Majitelé úctu");
        EXPECT_FALSE(layout->ButtonLayoutValuesPreviousOwner->isHidden());
        EXPECT_FALSE(layout->ButtonLayoutValuesNextOwner->isHidden());
        EXPECT_EQ(layout->ButtonLayoutValuesPreviousOwner->pos(), QPoint(536, 424));
        EXPECT_EQ(layout->ButtonLayoutValuesNextOwner->pos(), QPoint(656, 424));
        EXPECT_EQ(layout->ButtonLayoutValuesPrevious->pos(), QPoint(536, 456));
        EXPECT_EQ(layout->ButtonLayoutValuesNext->pos(), QPoint(656, 456));
        EXPECT_EQ(layout->ButtonLayoutValuesPrevious->text(), "Adresát - Zpet");
        EXPECT_EQ(layout->ButtonLayoutValuesNext->text(), "Adresát - Další");
        // Nothing on the page may overlap: the owner buttons sit above the record buttons.
        EXPECT_FALSE(layout->ButtonLayoutValuesPreviousOwner->geometry().intersects(
            layout->ButtonLayoutValuesNextOwner->geometry()));
        EXPECT_FALSE(layout->ButtonLayoutValuesPrevious->geometry().intersects(
            layout->ButtonLayoutValuesNext->geometry()));
        EXPECT_FALSE(layout->ButtonLayoutValuesPreviousOwner->geometry().intersects(
            layout->ButtonLayoutValuesPrevious->geometry()));

        on->setChecked(false);
        EXPECT_FALSE(tabs->isTabVisible(2));
        EXPECT_EQ(form->visibleTabIndex(impExp), 4);
        EXPECT_TRUE(layout->ButtonLayoutValuesPreviousOwner->isHidden());
        EXPECT_TRUE(layout->ButtonLayoutValuesNextOwner->isHidden());
        EXPECT_EQ(layout->ButtonLayoutValuesPrevious->pos(), QPoint(536, 448));
        EXPECT_EQ(layout->ButtonLayoutValuesNext->pos(), QPoint(656, 448));
        EXPECT_EQ(layout->ButtonLayoutValuesPrevious->text(), "Zpet");
        EXPECT_EQ(layout->ButtonLayoutValuesNext->text(), "Další");
        EXPECT_EQ(layout->ButtonLayoutValuesPrevious->width(), 99);
        EXPECT_EQ(layout->ButtonLayoutValuesNext->width(), 97);
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SettingsPageTest, OwnerDirectoryModeFromTheSettingsFile)
{
    startForm("[SET]\r\nCheckBoxSetOwnersAdr=1\r\n");
    EXPECT_TRUE(check("CheckBoxSetOwnersAdr")->isChecked());
    EXPECT_TRUE(form->PageControlMain->isTabVisible(2));
    EXPECT_EQ(form->TabSheetLayout->ButtonLayoutValuesPrevious->text(), "Adresát - Zpet");
    EXPECT_EQ(form->TabSheetLayout->ButtonLayoutValuesNext->text(), "Adresát - Další");
    EXPECT_FALSE(form->TabSheetLayout->ButtonLayoutValuesNextOwner->isHidden());
}

TEST_F(SettingsPageTest, SymbolModeSwitchesLabelsAndLimit)
{
    startForm();
    QLineEdit *constS = edit("EditSetOwnerAccountConstS");
    QLabel *label = form->findChild<QLabel *>("LabelSetOwnerAccountConstS");
    QLabel *layoutLabel = form->findChild<QLabel *>("LabelLayoutVarS_KS");
    ASSERT_NE(label, nullptr);
    ASSERT_NE(layoutLabel, nullptr);
    EXPECT_EQ(label->text(), "Konstantní symbol");
    EXPECT_EQ(layoutLabel->text(), "");

    check("CheckBoxSetOwnersKS_VS")->setChecked(true);
    EXPECT_EQ(ui::typingLimit(constS), 10);
    EXPECT_EQ(label->text(), "Variabilní symbol");
    EXPECT_EQ(layoutLabel->text(), "Variabilní symbol   =    Variabilní symbol (Adresát)");
    constS->selectAll();
    pressKey(constS, Qt::Key_Backspace);
    constS->setFocus();
    typeText(constS, "12345678901");
    EXPECT_EQ(constS->text(), "1234567890");

    check("CheckBoxSetOwnersKS_VS")->setChecked(false);
    EXPECT_EQ(ui::typingLimit(constS), 4);
    EXPECT_EQ(constS->text(), "1234567890");
    EXPECT_EQ(label->text(), "Konstantní symbol");
    EXPECT_EQ(layoutLabel->text(), "");
    // The box may still be shortened, not lengthened.
    constS->end(false);
    typeText(constS, "1");
    EXPECT_EQ(constS->text(), "1234567890");
    pressKey(constS, Qt::Key_Backspace);
    EXPECT_EQ(constS->text(), "123456789");
    EXPECT_TRUE(messages.isEmpty());
}

// --- Save and restore -------------------------------------------------------

TEST_F(SettingsPageTest, SaveWritesEverySettingAndSaysSo)
{
    startForm();
    edit("EditSetOwnerAddress1")->setText("Obec Lhota");
    button("ButtonSetSave")->click();
    EXPECT_EQ(texts(), QStringList{"Uloženo!"});
    const QByteArray ini = readFile(dir.file("Kvitanky.ini"));
    EXPECT_TRUE(ini.contains("EditSetOwnerAddress1=Obec Lhota")) << ini.constData();
    EXPECT_TRUE(ini.contains("CheckBoxSetOwnersKS_VS=0"));
    EXPECT_TRUE(ini.contains("EditLayoutPriceSMDist=2"));
}

TEST_F(SettingsPageTest, FailedSaveNamesTheFileAndSaysNothingElse)
{
    startForm();
    // A folder in the file's place: the write cannot succeed, even for root.
    ASSERT_TRUE(QFile::remove(dir.file("Kvitanky.ini")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Kvitanky.ini"));
    button("ButtonSetSave")->click();
    ASSERT_EQ(messages.size(), 1) << texts().join('|').toStdString();
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_TRUE(messages[0].text.contains("Kvitanky.ini")) << messages[0].text.toStdString();
    QDir(dir.path()).rmdir("Kvitanky.ini");
}

const QString DefaultCaption = "Puvodní nastavení programu";

TEST_F(SettingsPageTest, RestoreDefaultsDeletesTheFileAndCloses)
{
    startForm();
    form->show();
    edit("EditSetOwnerAddress1")->setText("Neulozit");
    ASSERT_TRUE(QFile::exists(dir.file("Kvitanky.ini")));
    button("ButtonDefaultSetting")->click();
    ASSERT_EQ(messages.size(), 2) << texts().join('|').toStdString();
    EXPECT_EQ(messages[0].caption, DefaultCaption);
    EXPECT_TRUE(messages[0].withCancel);
    EXPECT_EQ(messages[0].text,
              "Opravdu si prejete nastavit program Kvitanky do výchozího nastavení?\n\n"
              "Jestli-že ano, pak budou nastaveny výchozí hodnoty programu.\n\n"
              "Vaše vložená data zustanou zachována.\n\n"
              "Po jeho ukoncení program prosím znovu spusťtte.");
    EXPECT_EQ(messages[1].caption, DefaultCaption);
    EXPECT_FALSE(messages[1].withCancel);
    EXPECT_EQ(messages[1].kind, ui::MessageKind::Warning);
    EXPECT_TRUE(messages[1].text.startsWith(
        "Puvodní nastavení je obnoveno. Program Kvitanky bude nyní ukoncen.\n\n"
        "Spusťtte prosím program znovu obvyklým zpusobem.\n\nPůvodní nastavení je uloženo v souboru "));
    EXPECT_FALSE(form->SaveOnClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.ini")));
    form.reset();
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.ini")));
    // The tables are not touched.
    EXPECT_TRUE(QFile::exists(dir.file("Data.dbf")));
}

TEST_F(SettingsPageTest, RestoreDefaultsCancelledChangesNothing)
{
    startForm();
    form->show();
    answer = ui::MessageAnswer::Cancel;
    button("ButtonDefaultSetting")->click();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(QFile::exists(dir.file("Kvitanky.ini")));
    EXPECT_TRUE(form->SaveOnClose);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SettingsPageTest, RestoreDefaultsWithoutTheFileOnlyReports)
{
    startForm();
    form->show();
    ASSERT_TRUE(QFile::remove(dir.file("Kvitanky.ini")));
    button("ButtonDefaultSetting")->click();
    ASSERT_EQ(messages.size(), 2) << texts().join('|').toStdString();
    EXPECT_EQ(messages[1].text,
              "Nelze zpracovat soubor 'Kvitanky.ini'!\n\n"
              "Nastavení programu do puvodního stavu se nezdarlo!");
    EXPECT_TRUE(form->SaveOnClose);
    EXPECT_TRUE(form->isVisible());
}

// --- Page geometry ----------------------------------------------------------

// Every control lies inside its parent and no two siblings overlap, with the
// fonts this machine has.
void expectNoOverlap(QWidget *parent)
{
    const QList<QWidget *> children = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QWidget *> shown;
    for (QWidget *w : children) {
        if (!w->isWindow() && !w->isHidden())
            shown << w;
    }
    for (int i = 0; i < shown.size(); ++i) {
        const QRect r = shown[i]->geometry();
        EXPECT_TRUE(parent->rect().contains(r))
            << shown[i]->objectName().toStdString() << " '" << shown[i]->property("text").toString().toStdString()
            << "' leaves " << parent->objectName().toStdString();
        for (int j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(r.intersects(shown[j]->geometry()))
                << shown[i]->objectName().toStdString() << " '" << shown[i]->property("text").toString().toStdString()
                << "' overlaps " << shown[j]->objectName().toStdString() << " '"
                << shown[j]->property("text").toString().toStdString() << "'";
        }
        expectNoOverlap(shown[i]);
    }
}

TEST_F(SettingsPageTest, NothingOverlaps)
{
    startForm();
    form->show();
    form->PageControlMain->setCurrentWidget(form->TabSheetSetting);
    QWidget *page = form->TabSheetSetting;
    expectNoOverlap(page);
    // Every edit box is announced by a caption.
    for (QLineEdit *e : page->findChildren<QLineEdit *>())
        EXPECT_FALSE(e->accessibleName().isEmpty()) << e->objectName().toStdString();
}

} // namespace

TEST_F(SettingsPageTest, PastedLineBreakNeverSplitsALineOfTheSettingsFile)
{
    startForm();
    showPage(form->TabSheetSetting);
    QApplication::clipboard()->setText(QString::fromUtf8("Obecní úřad\r\n[LAYOUT]\nHlavní 1"));
    QLineEdit *box = edit("EditSetOwnerAddress1");
    clearBox(box);
    box->paste();
    button("ButtonSetSave")->click();
    const QString ini = fromCp1250(readFile(dir.file("Kvitanky.ini")));
    EXPECT_TRUE(ini.contains(QString::fromUtf8("EditSetOwnerAddress1=Obecní úřad [LAYOUT] Hlavní 1\r\n")));
    EXPECT_EQ(ini.count(QStringLiteral("[LAYOUT]")), 2);   // the section and the value
}

class AccountTypedWholeTest : public SettingsPageTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(AccountTypedWholeTest, SeparatorsMoveToTheNextBox)
{
    startForm();
    showPage(form->TabSheetSetting);
    const QString page = GetParam();
    const bool owners = page == QLatin1String("owners");
    if (owners) {
        check("CheckBoxSetOwnersAdr")->click();
        showPage(form->TabSheetOwnersAdr);
    }
    const QStringList names = owners ? QStringList{"EditOwnerNum1", "EditOwnerNum2", "EditOwnerIDB"}
                                     : QStringList{"EditSetOwnerAccountNum1", "EditSetOwnerAccountNum2",
                                                   "EditSetOwnerAccountIDB"};
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    edit(names[0])->setFocus();
    clearBox(edit(names[0]));
    typeIntoFocus("19-2000145399/0800");
    EXPECT_EQ(edit(names[0])->text(), "19");
    EXPECT_EQ(edit(names[1])->text(), "2000145399");
    EXPECT_EQ(edit(names[2])->text(), "0800");
    EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pages, AccountTypedWholeTest, ::testing::Values("settings", "owners"));

// The words in correct Czech: the box on the recipient page and the printed slip
// spell them so, and the choice outlives a restart.
TEST_F(SettingsPageTest, CzechWordsShownPrintedAndKept)
{
    startForm();
    showPage(form->TabSheetData);
    QLineEdit *price = edit("EditDataPrice");
    clearBox(price);
    typeText(price, "3");
    EXPECT_EQ(edit("EditDataPriceWord")->text(), QStringLiteral("tri"));
    showPage(form->TabSheetSetting);
    QCheckBox *czech = check("CheckBoxPriceWordsCzech");
    ASSERT_NE(czech, nullptr);
    EXPECT_FALSE(czech->isChecked());
    czech->click();
    EXPECT_EQ(edit("EditDataPriceWord")->text(), QString::fromUtf8("tři"));

    if (haveProgram("pdftotext")) {
        form->ButtonPrintActual->click();
        const QString pdf = dir.file("Kvitanky.pdf");
        ASSERT_TRUE(QFile::exists(pdf)) << texts().join('|').toStdString();
        const QString text = QString::fromUtf8(runProgram("pdftotext", {pdf, "-"}));
        EXPECT_TRUE(text.contains(QString::fromUtf8("=tři="))) << text.toStdString();
    }

    form->close();
    EXPECT_TRUE(readFile(dir.file("Kvitanky.ini")).contains("\r\n[PRICE_WORDS]\r\nCheckBoxPriceWordsCzech=1\r\n"));
    startForm();
    EXPECT_TRUE(check("CheckBoxPriceWordsCzech")->isChecked());
    EXPECT_EQ(edit("EditDataPriceWord")->text(),
              PriceToWords(form->TableData.fieldByName("CASTKA").asFloat(), WordSpelling::Czech));
}
