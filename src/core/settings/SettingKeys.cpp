// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingKeys.h"

#include <QHash>

namespace kvitanky {

const QList<SlipFieldDef> &slipFields()
{
    static const QList<SlipFieldDef> fields = {
        {"Price", "Cástka", 465, 29, 1, true, 50, 133, 2, true},
        {"AccountNum1", "Císlo úctu 1", 466, 61, 1, true, 50, 258, 2, true},
        {"AccountNum2", "Císlo úctu 2", 580, 61, 1, true, 0, 0, 0, false},
        {"AccountIDB", "Kód banky", 466, 93, 1, true, 0, 0, 0, false},
        {"ConstS", "Konstantní symbol", 466, 126, 1, false, 0, 0, 0, false},
        {"VS", "Variabilní symbol", 580, 93, 1, true, 50, 275, 2, true},
        {"SS", "Specifický symbol", 580, 126, 1, true, 50, 291, 2, true},
        {"OwnerAddress1", "Adresa 1. rádek", 238, 135, 2, true, 15, 200, 2, true},
        {"OwnerAddress2", "Adresa 2. rádek", 238, 155, 2, true, 15, 218, 2, true},
        {"OwnerAddress3", "Adresa 3. rádek", 238, 175, 2, true, 15, 239, 2, true},
        {"OwnerMessage1", "Zpráva pro príj. 1.r.", 238, 205, 1, false, 0, 0, 0, false},
        {"OwnerMessage2", "Zpráva pro príj. 2.r.", 238, 232, 1, false, 0, 0, 0, false},
        {"OwnerTransCode", "Transakcní kód", 731, 29, 1, false, 0, 0, 0, false},
        {"RecipientFirstName", "Jméno", 490, 180, 3, true, 15, 310, 2, true},
        {"RecipientSurname", "Príjmení", 490, 208, 3, true, 0, 0, 0, false},
        {"RecipientStreet", "Ulice", 490, 235, 3, true, 15, 330, 2, true},
        {"RecipientCity", "Obec", 490, 260, 3, true, 15, 350, 2, true},
        {"RecipientPostCode", "PSC", 490, 285, 3, true, 0, 0, 0, false},
        {"OwnerSubject", "Úcel platby", 50, 107, 2, false, 0, 0, 0, false},
        {"PriceWord", "Cástka slovy 1.rád.", 25, 155, 2, true, 25, 175, 2, true},
        {"RecipientTitle", "Titul", 490, 180, 3, true, 0, 0, 0, false},
        {"PriceSM", "Halére ke slovum", 195, 175, 2, false, 0, 0, 0, false},
    };
    return fields;
}

const QList<SettingKey> &settingKeys()
{
    static const QList<SettingKey> keys = [] {
        QList<SettingKey> k;
        const auto text = [&k](const QString &section, const QString &key, const QString &def) {
            k.append({section, key, def, SettingForm::Text});
        };
        const auto flag = [&k](const QString &section, const QString &key, bool def) {
            k.append({section, key, def ? QStringLiteral("1") : QStringLiteral("0"), SettingForm::Flag});
        };
        flag(Section::Layout, "CheckBoxLayoutShow", true);
        flag(Section::Layout, "CheckBoxLayoutPictureOn", true);
        for (const SlipFieldDef &f : slipFields()) {
            const QString base = QStringLiteral("EditLayout") + f.name;
            text(Section::Layout, base + "X", QString::number(f.x));
            text(Section::Layout, base + "Y", QString::number(f.y));
            text(Section::Layout, base + "Dist", QString::number(f.dist));
            if (!f.hasSecond)
                continue;
            const bool row2 = f.name == QLatin1String("PriceWord");
            text(Section::Layout, base + (row2 ? "X2" : "SX"), QString::number(f.sx));
            text(Section::Layout, base + (row2 ? "Y2" : "SY"), QString::number(f.sy));
            text(Section::Layout, base + (row2 ? "Dist2" : "SDist"), QString::number(f.sdist));
        }
        text(Section::Owner, "EditSetOwnerAddress1", "STÁTNÍ SPRÁVA CR");
        text(Section::Owner, "EditSetOwnerAddress2", "U Veselícka 123");
        text(Section::Owner, "EditSetOwnerAddress3", "378 81");
        text(Section::Owner, "EditSetOwnerAccountNum1", "123456");
        text(Section::Owner, "EditSetOwnerAccountNum2", "0123456789");
        text(Section::Owner, "EditSetOwnerAccountIDB", "0000");
        text(Section::Owner, "EditSetOwnerAccountConstS", "0000");
        text(Section::Owner, "EditSetOwnerAddressSubject", "Vodné stocné");
        text(Section::Owner, "EditSetOwnerAddressMessage1", "Zpráva pro");
        text(Section::Owner, "EditSetOwnerAddressMessage2", "príjemce");
        text(Section::Owner, "EditSetOwnerTransCode", "");
        text(Section::Set, "EditSetOtherCharSet1", "Arial");
        text(Section::Set, "EditSetOtherCharSet2", "Arial");
        text(Section::Set, "EditSetOtherCharSet3", "Arial");
        text(Section::Set, "EditSetOtherDistance1", "19");
        text(Section::Set, "EditSetOtherDistance2", "0");
        text(Section::Set, "EditSetOtherDistance3", "0");
        text(Section::Set, "EditSetOtherFontSize1", "10");
        text(Section::Set, "EditSetOtherFontSize2", "9");
        text(Section::Set, "EditSetOtherFontSize3", "12");
        text(Section::Set, "EditSetOtherLengthFirstPriceRow", "25");
        flag(Section::Set, "CheckBoxSetOtherOffOverflowSecondRowPrice", false);
        flag(Section::Set, "CheckBoxSetOtherNotPrintPrice", false);
        flag(Section::Set, "CheckBoxSetOwnersAdr", false);
        flag(Section::Set, "CheckBoxSetOwnersKS_VS", false);
        text(Section::Calibration, "EditCalibrationPrintSizePDFX", "4900");
        text(Section::Calibration, "EditCalibrationPrintSizePDFY", "2350");
        text(Section::Calibration, "EditCalibrationPrintNullAxesX", "-1");
        text(Section::Calibration, "EditCalibrationPrintNullAxesY", "1");
        text(Section::Data, "EditDataPriceWord", "");
        flag(Section::Data, "CheckBoxDataShowTitle", true);
        return k;
    }();
    return keys;
}

const SettingKey *findSettingKey(const QString &key)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto &keys = settingKeys();
        for (int i = 0; i < keys.size(); ++i)
            h.insert(keys[i].key, i);
        return h;
    }();
    const auto it = index.constFind(key);
    return it == index.constEnd() ? nullptr : &settingKeys()[*it];
}

} // namespace kvitanky
