// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutPage.h"

#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/PageBase.h"

#include <QPixmap>

namespace kvitanky {

LayoutPage::LayoutPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetLayout");
    ImageCheque = new QLabel(this);
    ImageCheque->setObjectName("ImageCheque");
    ImageCheque->setGeometry(16, 24, 795, 387);
    GroupBoxLayoutValues = ui::groupBox(this, "GroupBoxLayoutValues", QString(), 16, 16, 793, 409);
    int row = 0;
    for (const SlipFieldDef &f : slipFields()) {
        const QString base = "EditLayout" + f.name;
        const bool row2 = f.name == QLatin1String("PriceWord");
        QStringList keys = {base + "X", base + "Y", base + "Dist"};
        if (f.hasSecond)
            keys += row2 ? QStringList{base + "X2", base + "Y2", base + "Dist2"}
                         : QStringList{base + "SX", base + "SY", base + "SDist"};
        int col = 0;
        for (const QString &k : keys)
            ui::lineEdit(GroupBoxLayoutValues, k, 16 + 40 * col++, 16 + 17 * row, 33);
        ++row;
    }
    CheckBoxLayoutShow = ui::checkBox(this, "CheckBoxLayoutShow", "Usporádání - Náhled/Hodnoty", 24, 440, true);
    CheckBoxLayoutPictureOn = ui::checkBox(this, "CheckBoxLayoutPictureOn", "Zapnout obrázek Kvitanky", 24, 464, true);
    LabelLayoutDiscard = ui::label(this, "Vyrazeno z tisku", 368, 448, "LabelLayoutDiscard");
    LabelLayoutDiscard->hide();
    LabelLayoutVarS_KS = ui::label(GroupBoxLayoutValues, QString(), 14, 144, "LabelLayoutVarS_KS");
    ButtonLayoutValuesPrevious = ui::button(this, "ButtonLayoutValuesPrevious", "Zpet", 536, 448, 99);
    ButtonLayoutValuesNext = ui::button(this, "ButtonLayoutValuesNext", "Další", 656, 448, 97);
    ButtonLayoutValuesPreviousOwner = ui::button(this, "ButtonLayoutValuesPreviousOwner", "Majitel úctu - Zpet", 536, 424, 99);
    ButtonLayoutValuesNextOwner = ui::button(this, "ButtonLayoutValuesNextOwner", "Majitel úctu - Další", 656, 424, 97);
    ButtonLayoutValuesPreviousOwner->hide();
    ButtonLayoutValuesNextOwner->hide();
}

void LayoutPage::showPreview(const QImage &image)
{
    ImageCheque->setPixmap(QPixmap::fromImage(image));
}

void LayoutPage::applyShowMode()
{
    const bool preview = CheckBoxLayoutShow->isChecked();
    ImageCheque->setVisible(preview);
    GroupBoxLayoutValues->setVisible(!preview);
}

void LayoutPage::CheckBoxLayoutShowClick() {}
void LayoutPage::CheckBoxLayoutPictureOnClick() {}
void LayoutPage::ButtonLayoutValuesNextClick() {}
void LayoutPage::ButtonLayoutValuesPreviousClick() {}

} // namespace kvitanky
