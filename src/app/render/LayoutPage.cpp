// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutPage.h"

#include "data/TableNavigator.h"
#include "render/PriceWords.h"
#include "settings/OwnerSettings.h"
#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/PageControls.h"

#include <QHash>
#include <QPixmap>

#include <algorithm>
#include <limits>

namespace kvitanky {
namespace {

struct ValueColumns {
    int main[3];
    int second[3];
    const char *mainCaptions[3];
    const char *secondCaptions[3];
};

const ValueColumns RecipientColumns = {
    {112, 152, 192}, {240, 280, 320}, {"Poz.X", "Pozi.Y", "Sada"}, {"Poz.X", "Pozi.Y", "Sada"}};
const ValueColumns OwnerColumns = {
    {120, 160, 200}, {248, 288, 328}, {"Poz.X", "Poz.Y", "Sada"}, {"Poz.X", "Pozi.Y", "Sada"}};

constexpr int BoxWidth = 33;
constexpr int CaptionsTop = 20;

const SlipFieldDef *findField(const QString &name)
{
    for (const SlipFieldDef &f : slipFields()) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

QString designedText(const QString &key)
{
    const SettingKey *k = findSettingKey(key);
    return k ? k->defaultValue : QString();
}

} // namespace

const QList<LayoutRow> &layoutRows()
{
    static const QList<LayoutRow> rows = [] {
        QList<LayoutRow> r;
        const char *const recipient[] = {"Price", "VS", "SS", "RecipientTitle", "RecipientFirstName",
                                         "RecipientSurname", "RecipientStreet", "RecipientCity",
                                         "RecipientPostCode", "PriceWord", "PriceWord", "PriceSM"};
        int y = 40;
        bool wordsSeen = false;
        for (const char *name : recipient) {
            const bool second = QLatin1String(name) == QLatin1String("PriceWord") && wordsSeen;
            wordsSeen = wordsSeen || QLatin1String(name) == QLatin1String("PriceWord");
            r.append({QString::fromLatin1(name), false, y, second});
            y += 24;
        }
        r.append({"AccountNum1", true, 40, false});
        r.append({"AccountNum2", true, 64, false});
        r.append({"AccountIDB", true, 88, false});
        r.append({"ConstS", true, 112, false});
        // The gap at 136 holds the symbol-mode note.
        r.append({"OwnerAddress1", true, 160, false});
        r.append({"OwnerAddress2", true, 184, false});
        r.append({"OwnerAddress3", true, 208, false});
        r.append({"OwnerSubject", true, 232, false});
        r.append({"OwnerMessage1", true, 256, false});
        r.append({"OwnerMessage2", true, 280, false});
        r.append({"OwnerTransCode", true, 304, false});
        return r;
    }();
    return rows;
}

LayoutPage::LayoutPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetLayout");
    ImageCheque = new QLabel(this);
    ImageCheque->setObjectName("ImageCheque");
    ImageCheque->setGeometry(16, 24, 795, 387);
    ImageCheque->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ImageCheque->setAccessibleName("Náhled kvitance");

    buildValues();

    CheckBoxLayoutShow = ui::checkBox(this, "CheckBoxLayoutShow", "Usporádání - Náhled/Hodnoty", 24, 440, true);
    CheckBoxLayoutPictureOn = ui::checkBox(this, "CheckBoxLayoutPictureOn", "Zapnout obrázek Kvitanky", 24, 464, true);
    LabelLayoutDiscard = ui::label(this, "Vyrazeno z tisku", 368, 448, "LabelLayoutDiscard");
    QPalette red = LabelLayoutDiscard->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LabelLayoutDiscard->setPalette(red);
    LabelLayoutDiscard->hide();
    ButtonLayoutValuesPreviousOwner = ui::button(this, "ButtonLayoutValuesPreviousOwner", "Majitel úctu - Zpet", 536,
                                                 OwnerButtonsTop, PreviousWidth);
    ButtonLayoutValuesNextOwner = ui::button(this, "ButtonLayoutValuesNextOwner", "Majitel úctu - Další", 656,
                                             OwnerButtonsTop, NextWidth);
    ButtonLayoutValuesPreviousOwner->hide();
    ButtonLayoutValuesNextOwner->hide();
    ButtonLayoutValuesPrevious = ui::button(this, "ButtonLayoutValuesPrevious", "Zpet", 536, 448, PreviousWidth);
    ButtonLayoutValuesNext = ui::button(this, "ButtonLayoutValuesNext", "Další", 656, 448, NextWidth);

    const auto onClick = [this](QPushButton *button, void (LayoutPage::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { m_form.guard([this, handler] { (this->*handler)(); }); });
    };
    onClick(ButtonLayoutValuesPrevious, &LayoutPage::ButtonLayoutValuesPreviousClick);
    onClick(ButtonLayoutValuesNext, &LayoutPage::ButtonLayoutValuesNextClick);
    onClick(ButtonLayoutValuesPreviousOwner, &LayoutPage::ButtonLayoutValuesPreviousOwnerClick);
    onClick(ButtonLayoutValuesNextOwner, &LayoutPage::ButtonLayoutValuesNextOwnerClick);
    connect(CheckBoxLayoutShow, &QCheckBox::toggled, this,
            [this] { m_form.guard([this] { CheckBoxLayoutShowClick(); }); });
    connect(CheckBoxLayoutPictureOn, &QCheckBox::toggled, this,
            [this] { m_form.guard([this] { CheckBoxLayoutPictureOnClick(); }); });

    applyShowMode();
}

void LayoutPage::buildValues()
{
    GroupBoxLayoutValues = ui::groupBox(this, "GroupBoxLayoutValues", QString(), 16, 16, 793, 409);
    GroupBoxLayoutValuesRecipient =
        ui::groupBox(GroupBoxLayoutValues, "GroupBoxLayoutValuesRecipient", " Adresát ", 16, 24, 369, 369);
    GroupBoxLayoutValuesOwner =
        ui::groupBox(GroupBoxLayoutValues, "GroupBoxLayoutValuesOwner", " Majitel úctu ", 391, 24, 377, 369);

    for (QGroupBox *group : {GroupBoxLayoutValuesRecipient, GroupBoxLayoutValuesOwner}) {
        const ValueColumns &c = group == GroupBoxLayoutValuesOwner ? OwnerColumns : RecipientColumns;
        for (int i = 0; i < 3; ++i) {
            ui::label(group, QString::fromUtf8(c.mainCaptions[i]), c.main[i], CaptionsTop);
            ui::label(group, QString::fromUtf8(c.secondCaptions[i]), c.second[i], CaptionsTop);
        }
    }
    LabelLayoutVarS_KS = ui::label(GroupBoxLayoutValuesOwner, QString(), 14, 144, "LabelLayoutVarS_KS");

    // Boxes row by row, so the tab order runs along each row and down the group.
    QHash<QGroupBox *, QList<QLabel *>> rowLabels;
    QHash<QGroupBox *, QList<QWidget *>> columnWidgets;
    for (QGroupBox *group : {GroupBoxLayoutValuesRecipient, GroupBoxLayoutValuesOwner}) {
        for (QLabel *l : group->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (l != LabelLayoutVarS_KS)
                columnWidgets[group] << l;
        }
    }
    for (const LayoutRow &row : layoutRows()) {
        const SlipFieldDef *field = findField(row.field);
        if (!field)
            continue;
        QGroupBox *group = row.owner ? GroupBoxLayoutValuesOwner : GroupBoxLayoutValuesRecipient;
        const ValueColumns &c = row.owner ? OwnerColumns : RecipientColumns;
        const QString caption = row.secondWordRow ? QStringLiteral("Cástka slovy 2.rád.") : field->caption;
        QLabel *rowLabel = ui::label(group, caption, 16, row.y + 3);
        rowLabels[group] << rowLabel;
        const QString base = QStringLiteral("EditLayout") + field->name;

        QStringList mainKeys = {base + "X", base + "Y", base + "Dist"};
        if (row.secondWordRow)
            mainKeys = {base + "X2", base + "Y2", base + "Dist2"};
        for (int i = 0; i < 3; ++i) {
            QLineEdit *e = ui::lineEdit(group, mainKeys[i], c.main[i], row.y, BoxWidth, 0, i == 0 ? rowLabel : nullptr);
            e->setText(designedText(mainKeys[i]));
            e->setAccessibleName(caption + " - " + QString::fromUtf8(c.mainCaptions[i]));
            columnWidgets[group] << e;
        }
        if (!field->hasSecond || field->name == QLatin1String("PriceWord"))
            continue;
        const QString secondKeys[3] = {base + "SX", base + "SY", base + "SDist"};
        for (int i = 0; i < 3; ++i) {
            QLineEdit *e = ui::lineEdit(group, secondKeys[i], c.second[i], row.y, BoxWidth);
            // Composition never reads these; they are kept only so the file keeps its keys.
            e->setText(field->secondUsed ? designedText(secondKeys[i]) : QStringLiteral("0"));
            e->setEnabled(field->secondUsed);
            e->setAccessibleName(caption + " - " + QString::fromUtf8(c.secondCaptions[i]) + " 2");
            columnWidgets[group] << e;
        }
    }
    for (QGroupBox *group : {GroupBoxLayoutValuesRecipient, GroupBoxLayoutValuesOwner}) {
        const ValueColumns &c = group == GroupBoxLayoutValuesOwner ? OwnerColumns : RecipientColumns;
        fitRowLabels(group, rowLabels[group], columnWidgets[group], c.main[0], c.second[2] + BoxWidth);
    }
}

// The row captions were designed for a narrow 8 pt font. With wider fonts the box
// columns move right into the group's spare margin, and when that is not enough the
// captions take a smaller font, all of a group alike, so no caption runs under a box.
void LayoutPage::fitRowLabels(QGroupBox *group, const QList<QLabel *> &labels, const QList<QWidget *> &columns,
                              int firstColumn, int lastColumnEnd)
{
    constexpr int gap = 4;
    constexpr int rightMargin = 6;
    const auto widest = [&labels] {
        int w = 0;
        for (QLabel *l : labels)
            w = std::max(w, l->x() + l->sizeHint().width());
        return w;
    };
    const int spare = std::max(0, group->width() - rightMargin - lastColumnEnd);
    const int shift = std::clamp(widest() + gap - firstColumn, 0, spare);
    for (QWidget *w : columns)
        w->move(w->x() + shift, w->y());
    QFont font = group->font();
    qreal size = font.pointSizeF();
    while (widest() + gap > firstColumn + shift && size > 6) {
        size -= 0.5;
        font.setPointSizeF(size);
        for (QLabel *l : labels) {
            l->setFont(font);
            l->adjustSize();
        }
    }
}

void LayoutPage::showPreview(const QImage &image)
{
    ImageCheque->setPixmap(QPixmap::fromImage(image));
    if (!image.isNull())
        ImageCheque->resize(image.size());
}

void LayoutPage::applyShowMode()
{
    const bool preview = CheckBoxLayoutShow->isChecked();
    ImageCheque->setVisible(preview);
    ButtonLayoutValuesPrevious->setVisible(preview);
    ButtonLayoutValuesNext->setVisible(preview);
    GroupBoxLayoutValues->setVisible(!preview);
}

void LayoutPage::CheckBoxLayoutShowClick()
{
    applyShowMode();
    m_form.ComposeSlip();
}

void LayoutPage::CheckBoxLayoutPictureOnClick()
{
    m_form.ComposeSlip();
}

void LayoutPage::putPriceWords()
{
    QLineEdit *words = m_form.edit("EditDataPriceWord");
    if (words)
        words->setText(PriceToWords(m_form.TableData.fieldByName("CASTKA").asFloatOr(std::numeric_limits<double>::quiet_NaN())));
}

void LayoutPage::ButtonLayoutValuesNextClick()
{
    DbfTable &table = m_form.TableData;
    if (table.eof()) {
        ButtonLayoutValuesNext->setEnabled(false);
        return;
    }
    ButtonLayoutValuesPrevious->setEnabled(true);
    table.next();
    putPriceWords();
    if (table.eof())
        ButtonLayoutValuesNext->setEnabled(false);
    m_form.ComposeSlip();
}

void LayoutPage::ButtonLayoutValuesPreviousClick()
{
    DbfTable &table = m_form.TableData;
    if (table.bof()) {
        ButtonLayoutValuesPrevious->setEnabled(false);
        return;
    }
    ButtonLayoutValuesNext->setEnabled(true);
    table.prior();
    putPriceWords();
    if (table.bof())
        ButtonLayoutValuesPrevious->setEnabled(false);
    m_form.ComposeSlip();
}

void LayoutPage::ButtonLayoutValuesNextOwnerClick()
{
    stepOwner(true);
}

void LayoutPage::ButtonLayoutValuesPreviousOwnerClick()
{
    stepOwner(false);
}

void LayoutPage::stepOwner(bool forward)
{
    DbfTable &owners = m_form.TableOwners;
    const CursorSteps steps = cursorSteps(owners);
    if (forward ? steps.forward : steps.back) {
        if (forward)
            owners.next();
        else
            owners.prior();
    } else if (!soleOwnerToCopy(steps)) {
        syncOwnerButtons();
        return;
    }
    CopyOwnerToSettings(owners, [this](const QString &key) { return m_form.edit(key); });
    syncOwnerButtons();
    m_form.ComposeSlip();
}

// With a single owner in the directory there is nowhere to step, yet the
// buttons must still be able to copy that owner into the settings.
bool LayoutPage::soleOwnerToCopy(const CursorSteps &steps)
{
    return !steps.back && !steps.forward && !settingsHoldCurrentOwner();
}

bool LayoutPage::settingsHoldCurrentOwner()
{
    DbfTable &owners = m_form.TableOwners;
    if (!owners.active() || owners.recordCount() == 0 || owners.recNo() < 0)
        return true;   // nothing to copy
    for (const OwnerColumnSetting &c : ownerColumnSettings()) {
        const QLineEdit *box = m_form.edit(c.key);
        if (box && box->text() != owners.fieldByName(c.column).asString())
            return false;
    }
    return true;
}

void LayoutPage::syncOwnerButtons()
{
    const CursorSteps steps = cursorSteps(m_form.TableOwners);
    const bool copySole = soleOwnerToCopy(steps);
    ButtonLayoutValuesPreviousOwner->setEnabled(steps.back || copySole);
    ButtonLayoutValuesNextOwner->setEnabled(steps.forward || copySole);
}

void LayoutPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The owner page moves the owner cursor (stepping, inserting, deleting) while
    // this page is hidden.
    syncOwnerButtons();
}

} // namespace kvitanky
