// SPDX-License-Identifier: GPL-3.0-or-later
// "Nastavení": the owner's fixed data, the character sets, print options, save and restore.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kvitanky {

class TForm1;

class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsPage(TForm1 &form);

    QLabel *LabelSetOwnerAccountConstS = nullptr;

    void ApplyOwnersAdrMode();
    void ApplyOwnersKsVsMode();

private:
    TForm1 &m_form;
};

} // namespace kvitanky
