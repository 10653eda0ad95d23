// SPDX-License-Identifier: GPL-3.0-or-later
// "Nastavení": the owner's fixed data, the character sets, print options, save and restore.
#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QFontDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvitanky {

class TForm1;

class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPage(TForm1 &form);

    QGroupBox *GroupBoxSetOwnerAccount = nullptr;
    QGroupBox *GroupBoxSetOwnerAdress = nullptr;
    QGroupBox *GroupBoxSetOwnerAccountData = nullptr;
    QGroupBox *GroupBoxSetOther = nullptr;
    QLabel *LabelSetOwnerAccountConstS = nullptr;
    QPushButton *ButtonSetOtherCharSet1 = nullptr;
    QPushButton *ButtonSetOtherCharSet2 = nullptr;
    QPushButton *ButtonSetOtherCharSet3 = nullptr;
    QPushButton *ButtonDefaultSetting = nullptr;
    QPushButton *ButtonSetSave = nullptr;
    QCheckBox *CheckBoxPriceWordsCzech = nullptr;   // kept apart from the key table
    QFontDialog *FontDialog1 = nullptr;   // made on first use

    void ApplyOwnersAdrMode();
    void ApplyOwnersKsVsMode();

    void ButtonSetSaveClick();
    void ButtonSetOtherCharSetClick(int set);   // set 1 to 3
    void ButtonDefaultSettingClick();
    void PriceWordsSpellingChange();
    void AccountEditChange(QLineEdit *edit);

private:
    void buildOwnerAccount();
    void buildOther();
    QFontDialog &fontDialog();

    TForm1 &m_form;
};

} // namespace kvitanky
