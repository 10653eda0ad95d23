// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutPage.h"

#include "data/RecipientPage.h"
#include "data/TableNavigator.h"
#include "render/RecipientSource.h"
#include "settings/OwnerSettings.h"
#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/PageControls.h"

#include <QHash>
#include <QPixmap>

#include <algorithm>

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

// Rows of the value groups: the top of row 0 and the step to the next row.
constexpr int FirstRowTop = 40;
constexpr int RowStep = 24;

QString designedText(const QString &key)
{
    return settingKey(key).defaultValue;
}

} // namespace

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

    CheckBoxLayoutShow = ui::checkBox(this, key::CheckBoxLayoutShow, "Usporádání - Náhled/Hodnoty", 24, 440, true);
    CheckBoxLayoutPictureOn = ui::checkBox(this, key::CheckBoxLayoutPictureOn, "Zapnout obrázek Kvitanky", 24, 464, true);
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

    QHash<QGroupBox *, QList<QLabel *>> rowLabels;
    QHash<QGroupBox *, QList<QWidget *>> columnWidgets;
    for (QGroupBox *group : {GroupBoxLayoutValuesRecipient, GroupBoxLayoutValuesOwner}) {
        for (QLabel *l : group->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (l != LabelLayoutVarS_KS)
                columnWidgets[group] << l;
        }
    }
    // One row of boxes: its caption, the three main boxes and, for the left strip,
    // the three second boxes.
    const auto addRow = [&](QGroupBox *group, const ValueColumns &c, int y, const QString &caption,
                            const SlipPlaceKeys &main, const SlipPlaceKeys *second, bool secondUsed) {
        QLabel *rowLabel = ui::label(group, caption, 16, y + 3);
        rowLabels[group] << rowLabel;
        const QString *mainKeys[3] = {&main.x, &main.y, &main.set};
        for (int i = 0; i < 3; ++i) {
            QLineEdit *e = ui::lineEdit(group, *mainKeys[i], c.main[i], y, BoxWidth, 0, i == 0 ? rowLabel : nullptr);
            e->setText(designedText(*mainKeys[i]));
            e->setAccessibleName(caption + " - " + QString::fromUtf8(c.mainCaptions[i]));
            columnWidgets[group] << e;
        }
        if (!second)
            return;
        const QString *secondKeys[3] = {&second->x, &second->y, &second->set};
        for (int i = 0; i < 3; ++i) {
            QLineEdit *e = ui::lineEdit(group, *secondKeys[i], c.second[i], y, BoxWidth);
            // Composition never reads these; they are kept only so the file keeps its keys.
            e->setText(secondUsed ? designedText(*secondKeys[i]) : QStringLiteral("0"));
            e->setEnabled(secondUsed);
            e->setAccessibleName(caption + " - " + QString::fromUtf8(c.secondCaptions[i]) + " 2");
            columnWidgets[group] << e;
        }
    };
    // Group by group, row by row: the tab order runs along each row and down the group.
    for (const LayoutGroup groupId : {LayoutGroup::Recipient, LayoutGroup::Owner}) {
        const bool owner = groupId == LayoutGroup::Owner;
        QGroupBox *group = owner ? GroupBoxLayoutValuesOwner : GroupBoxLayoutValuesRecipient;
        const ValueColumns &c = owner ? OwnerColumns : RecipientColumns;
        QList<const SlipFieldDef *> fields;
        for (const SlipFieldDef &f : slipFields()) {
            if (f.group == groupId)
                fields << &f;
        }
        std::sort(fields.begin(), fields.end(), [](const SlipFieldDef *a, const SlipFieldDef *b) { return a->row < b->row; });
        for (const SlipFieldDef *f : fields) {
            const SlipFieldKeys &keys = slipFieldKeys(f->id);
            const int y = FirstRowTop + RowStep * f->row;
            const bool strip = f->hasSecond && !f->secondRow;
            addRow(group, c, y, f->caption, keys.main, strip ? &keys.second : nullptr, f->secondUsed);
            if (f->secondRow)
                addRow(group, c, y + RowStep, f->secondCaption, keys.second, nullptr, true);
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
    if (m_form.TabSheetData)
        m_form.TabSheetData->ShowWordsOfRecord();
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
    // A column another program's table lacks has nothing to copy.
    for (const OwnerColumnSetting &c : ownerColumnSettings()) {
        const QLineEdit *box = m_form.edit(c.key);
        if (box && owners.fieldIndex(c.column) >= 0 && box->text() != owners.fieldByName(c.column).asString())
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
