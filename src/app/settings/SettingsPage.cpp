// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsPage.h"

#include "render/LayoutPage.h"
#include "data/OwnersPage.h"
#include "data/RemovalBackup.h"
#include "settings/AccountMarks.h"
#include "settings/PriceWordSetting.h"
#include "settings/SettingKeys.h"
#include "data/RecipientPage.h"
#include "shell/MainWindow.h"
#include "shell/Desktop.h"
#include "shell/MessageBox.h"
#include "shell/AccountBoxKeys.h"
#include "shell/PageControls.h"

#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QTabWidget>

#include <algorithm>

namespace kvitanky {
namespace {

const char *const DefaultCaption = "Puvodní nastavení programu";
const char *const DefaultQuestion =
    "Opravdu si prejete nastavit program Kvitanky do výchozího nastavení?\n\n"
    "Jestli-že ano, pak budou nastaveny výchozí hodnoty programu.\n\n"
    "Vaše vložená data zustanou zachována.\n\n"
    "Po jeho ukoncení program prosím znovu spusťtte.";
const char *const DefaultDone =
    "Puvodní nastavení je obnoveno. Program Kvitanky bude nyní ukoncen.\n\n"
    "Spusťtte prosím program znovu obvyklým zpusobem.";
const char *const DefaultFailed =
    "Nelze zpracovat soubor 'Kvitanky.ini'!\n\n"
    "Nastavení programu do puvodního stavu se nezdarlo!";

// Page of the owner directory in PageControlMain (hidden tabs keep their index).
constexpr int OwnersTabIndex = 2;

QString designed(const QString &key)
{
    return settingKey(key).defaultValue;
}

// A settings edit with its designed text.
QLineEdit *settingEdit(QWidget *parent, const QString &key, int x, int y, int width, int limit,
                       QLabel *buddy)
{
    QLineEdit *e = ui::lineEdit(parent, key, x, y, width, limit, buddy);
    e->setText(designed(key));
    return e;
}

QCheckBox *settingCheck(QWidget *parent, const QString &key, const QString &text, int x, int y)
{
    return ui::checkBox(parent, key, text, x, y, designed(key) == QLatin1String("1"));
}

// A push button keeps at least its designed width, wider when its caption needs it.
void setCaption(QPushButton *button, const QString &text, int designedWidth)
{
    button->setText(text);
    button->resize(std::max(designedWidth, button->sizeHint().width()), button->height());
}

} // namespace

SettingsPage::SettingsPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetSetting");
    buildOwnerAccount();
    buildOther();
    ButtonSetSave = ui::button(this, "ButtonSetSave", "Uložit", 728, 448, 81);
    connect(ButtonSetSave, &QPushButton::clicked, this, [this] { m_form.guard([this] { ButtonSetSaveClick(); }); });
    CheckBoxPriceWordsCzech =
        ui::checkBox(this, PriceWordSetting::Key, QStringLiteral("Částka slovy s háčky a čárkami"), 16, 452, false);
    connect(CheckBoxPriceWordsCzech, &QCheckBox::toggled, this, [this] {
        // Loading the settings sets the box before any record is shown.
        if (m_form.FormReady)
            m_form.guard([this] { PriceWordsSpellingChange(); });
    });
}

void SettingsPage::PriceWordsSpellingChange()
{
    m_form.TabSheetData->ShowAmountInWords();
    m_form.ComposeSlip();
}

void SettingsPage::buildOwnerAccount()
{
    GroupBoxSetOwnerAccount = ui::groupBox(this, "GroupBoxSetOwnerAccount", " Majitel úctu ", 16, 16, 793, 233);
    QWidget *g = GroupBoxSetOwnerAccount;

    GroupBoxSetOwnerAdress = ui::groupBox(g, "GroupBoxSetOwnerAdress", " Adresa ", 16, 32, 281, 121);
    const char *const lines[] = {"Adresa 1. rádek", "Adresa 2. rádek", "Adresa 3. rádek"};
    const QString *const lineKeys[] = {&key::EditSetOwnerAddress1, &key::EditSetOwnerAddress2, &key::EditSetOwnerAddress3};
    for (int i = 0; i < 3; ++i) {
        QLineEdit *e = settingEdit(GroupBoxSetOwnerAdress, *lineKeys[i], 20,
                                   26 + 30 * i, 241, 0, nullptr);
        e->setAccessibleName(QString::fromUtf8(lines[i]));
    }

    GroupBoxSetOwnerAccountData = ui::groupBox(g, "GroupBoxSetOwnerAccountData", " Úcet ", 312, 32, 305, 121);
    QWidget *a = GroupBoxSetOwnerAccountData;
    QLabel *accountLabel = ui::label(a, "Císlo úctu", 16, 30);
    QLineEdit *num1 = settingEdit(a, key::EditSetOwnerAccountNum1, 144, 26, 57, 6, accountLabel);
    num1->setAccessibleName("Císlo úctu 1");
    ui::label(a, "-", 205, 30);
    QLineEdit *num2 = settingEdit(a, key::EditSetOwnerAccountNum2, 214, 26, 81, 10, nullptr);
    num2->setAccessibleName("Císlo úctu 2");
    QLineEdit *idb = settingEdit(a, key::EditSetOwnerAccountIDB, 144, 56, 57, 4, ui::label(a, "Kód banky", 16, 60));
    LabelSetOwnerAccountConstS = ui::label(a, "Konstantní symbol", 16, 90, "LabelSetOwnerAccountConstS");
    QLineEdit *constS = settingEdit(a, key::EditSetOwnerAccountConstS, 144, 86, 81, 4, LabelSetOwnerAccountConstS);
    new AccountBoxKeys(num1, num2, idb);
    for (QLineEdit *e : {num1, num2, idb, constS}) {
        connect(e, &QLineEdit::textChanged, this, [this, e] { m_form.guard([this, e] { AccountEditChange(e); }); });
    }
    markAccountAsTyped(num1, num2, idb);

    settingEdit(g, key::EditSetOwnerAddressSubject, 216, 166, 241, 0, ui::label(g, "Úcel platby", 16, 170));
    settingEdit(g, key::EditSetOwnerTransCode, 664, 166, 113, 0, ui::label(g, "Transakcní kód", 480, 170));
    settingEdit(g, key::EditSetOwnerAddressMessage1, 216, 198, 113, 12,
                ui::label(g, "Zpráva pro príjemce 1.rádek", 16, 202));
    settingEdit(g, key::EditSetOwnerAddressMessage2, 664, 198, 113, 12,
                ui::label(g, "Zpráva pro príjemce 2.rádek", 480, 202));
}

void SettingsPage::buildOther()
{
    GroupBoxSetOther = ui::groupBox(this, "GroupBoxSetOther", " Ostatní ", 16, 264, 793, 169);
    QWidget *g = GroupBoxSetOther;

    // Character sets: one row per set, font name with its dialog button, size, spacing.
    constexpr int nameX = 136, buttonX = 282, sizeX = 344, spacingX = 408;
    ui::label(g, "Font", nameX, 18);
    ui::label(g, "Velikost", sizeX, 18);
    ui::label(g, "Rozestup", spacingX, 18);
    QPushButton **buttons[] = {&ButtonSetOtherCharSet1, &ButtonSetOtherCharSet2, &ButtonSetOtherCharSet3};
    for (int set = 1; set <= 3; ++set) {
        const int y = 36 + 26 * (set - 1);
        const QString row = QStringLiteral("Znaková sada [%1]").arg(set);
        QLabel *rowLabel = ui::label(g, row, 16, y + 3);
        const key::CharacterSetKeys keys = key::characterSet(set);
        settingEdit(g, keys.family, nameX, y, 137, 0, rowLabel);
        QPushButton *b = ui::button(g, QStringLiteral("ButtonSetOtherCharSet%1").arg(set), "Font", buttonX, y - 2, 53);
        // Only as wide as its caption needs: the size box follows closely.
        b->resize(std::max(53, b->fontMetrics().horizontalAdvance(b->text()) + 20), 25);
        b->setAccessibleName(row + QStringLiteral(" - Font"));
        *buttons[set - 1] = b;
        connect(b, &QPushButton::clicked, this,
                [this, set] { m_form.guard([this, set] { ButtonSetOtherCharSetClick(set); }); });
        settingEdit(g, keys.pointSize, sizeX, y, 49, 0, nullptr)
            ->setAccessibleName(row + QStringLiteral(" - Velikost"));
        settingEdit(g, keys.spacing, spacingX, y, 49, 0, nullptr)
            ->setAccessibleName(row + QStringLiteral(" - Rozestup"));
    }
    settingEdit(g, key::EditSetOtherLengthFirstPriceRow, 728, 36, 49, 0,
                ui::label(g, "Pocet znaku v první rádce 'Cástka slovy'", 480, 39));
    ButtonDefaultSetting = ui::button(g, "ButtonDefaultSetting", "Puvodní nastavení programu", 584, 72, 193);
    connect(ButtonDefaultSetting, &QPushButton::clicked, this,
            [this] { m_form.guard([this] { ButtonDefaultSettingClick(); }); });

    settingCheck(g, key::CheckBoxSetOtherOffOverflowSecondRowPrice,
                 "Vypnout varování presahu  u 'Cástka slovy' pri vysokých cástkách", 16, 116);
    settingCheck(g, key::CheckBoxSetOtherNotPrintPrice, "Vypnout tisk cástky", 480, 116);
    QCheckBox *ownersAdr = settingCheck(g, key::CheckBoxSetOwnersAdr, "Zapnout adresár majitelu úctu", 16, 140);
    QCheckBox *ksVs = settingCheck(g, key::CheckBoxSetOwnersKS_VS, "Zmenit KS na VS u majitele úctu", 480, 140);
    connect(ownersAdr, &QCheckBox::toggled, this, [this] { m_form.guard([this] { ApplyOwnersAdrMode(); }); });
    connect(ksVs, &QCheckBox::toggled, this, [this] { m_form.guard([this] { ApplyOwnersKsVsMode(); }); });
}

QFontDialog &SettingsPage::fontDialog()
{
    if (!FontDialog1) {
        FontDialog1 = new QFontDialog(this);
        FontDialog1->setObjectName("FontDialog1");
    }
    return *FontDialog1;
}

void SettingsPage::ButtonSetOtherCharSetClick(int set)
{
    const QString &nameKey = key::characterSet(set).family;
    const QString &sizeKey = key::characterSet(set).pointSize;
    QLineEdit *nameEdit = m_form.edit(nameKey);
    QLineEdit *sizeEdit = m_form.edit(sizeKey);
    const QString name = nameEdit->text();
    // Not an integer: the error is shown and the dialog stays closed.
    const int size = m_form.settings().integer(sizeKey);

    // Only name and size go in and come back; style and effects are not kept.
    QFont font(name);
    if (size > 0)
        font.setPointSize(size);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    QFontDialog &dialog = fontDialog();
    dialog.setCurrentFont(font);
    // The family the dialog shows for the box's name: the desktop may show another
    // one for a font it lacks (Liberation Sans for Arial).
    const QString shownFamily = dialog.currentFont().family();
    const bool accepted = m_form.desktop().runDialog(dialog) == QDialog::Accepted;

    QString newName = name;
    int newSize = size;
    if (accepted) {
        const QFont chosen = dialog.currentFont();
        // Confirmed without choosing another family: the box keeps its own name.
        if (chosen.family().compare(shownFamily, Qt::CaseInsensitive) != 0)
            newName = chosen.family();
        if (chosen.pointSize() > 0)
            newSize = chosen.pointSize();
        else if (chosen.pointSizeF() > 0)
            newSize = qRound(chosen.pointSizeF());
    }
    nameEdit->setText(newName);
    sizeEdit->setText(QString::number(newSize));
}

void SettingsPage::AccountEditChange(QLineEdit *edit)
{
    const QString checked = m_form.ValidateNumberText(edit->text());
    // Writing the same text again would only move the caret to the end.
    if (checked != edit->text())
        edit->setText(checked);
}

void SettingsPage::ApplyOwnersAdrMode()
{
    const bool on = m_form.check(key::CheckBoxSetOwnersAdr)->isChecked();
    m_form.PageControlMain->setTabVisible(OwnersTabIndex, on);
    LayoutPage *layout = m_form.TabSheetLayout;
    layout->ButtonLayoutValuesPreviousOwner->setVisible(on);
    layout->ButtonLayoutValuesNextOwner->setVisible(on);
    const int top = on ? 456 : 448;
    layout->ButtonLayoutValuesPrevious->move(layout->ButtonLayoutValuesPrevious->x(), top);
    layout->ButtonLayoutValuesNext->move(layout->ButtonLayoutValuesNext->x(), top);
    setCaption(layout->ButtonLayoutValuesPrevious, on ? "Adresát - Zpet" : "Zpet", LayoutPage::PreviousWidth);
    setCaption(layout->ButtonLayoutValuesNext, on ? "Adresát - Další" : "Další", LayoutPage::NextWidth);
}

void SettingsPage::ApplyOwnersKsVsMode()
{
    const bool vs = m_form.check(key::CheckBoxSetOwnersKS_VS)->isChecked();
    const QString symbol = vs ? QStringLiteral("Variabilní symbol") : QStringLiteral("Konstantní symbol");
    LabelSetOwnerAccountConstS->setText(symbol);
    LabelSetOwnerAccountConstS->adjustSize();
    QLineEdit *constS = m_form.edit(key::EditSetOwnerAccountConstS);
    ui::setTypingLimit(constS, vs ? 10 : 4);
    constS->setAccessibleName(symbol);
    QLabel *layoutLabel = m_form.TabSheetLayout->LabelLayoutVarS_KS;
    layoutLabel->setText(vs ? QStringLiteral("Variabilní symbol   =    Variabilní symbol (Adresát)") : QString());
    layoutLabel->adjustSize();
    m_form.TabSheetOwnersAdr->applyKsVsMode(vs);
}

void SettingsPage::ButtonSetSaveClick()
{
    m_form.SaveSettings();
    ui::information(m_form.desktop(), this, "Uloženo!");
}

void SettingsPage::ButtonDefaultSettingClick()
{
    const QString caption = QString::fromUtf8(DefaultCaption);
    // Cancel is the default button: the file holds every printer's calibration.
    if (ui::riskyQuestion(m_form.desktop(), this, caption, QString::fromUtf8(DefaultQuestion)) != ui::MessageAnswer::Ok)
        return;
    const QString path = m_form.programFile("Kvitanky.ini");
    if (!QFile::exists(path)) {
        ui::information(m_form.desktop(), this, QString::fromUtf8(DefaultFailed));
        return;
    }
    const QString copy = backupBeforeRemoval(m_form.ProgramDir, QStringLiteral("Kvitanky.ini"),
                                             QStringLiteral("Nastavení zůstalo beze změny."));
    // The file must really be gone before the user is told so: a file left behind
    // would bring the old settings back at the next start.
    if (!QFile::remove(path)) {
        ui::information(m_form.desktop(), this, QString::fromUtf8(DefaultFailed));
        return;
    }
    ui::warning(m_form.desktop(), this, caption,
                QString::fromUtf8(DefaultDone) + QStringLiteral("\n\nPůvodní nastavení je uloženo v souboru %1.")
                                                     .arg(QDir::toNativeSeparators(copy)),
                false);
    m_form.SaveOnClose = false;
    m_form.close();
}

} // namespace kvitanky
