// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/OwnersPage.h"

#include "data/DbfTable.h"
#include "data/OwnerColumns.h"
#include "data/RemovalBackup.h"
#include "data/TableNavigator.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "settings/AccountMarks.h"
#include "shell/AccountBoxKeys.h"
#include "shell/PageControls.h"

#include <QDir>
#include <QFile>
#include <QTableView>

namespace kvitanky {
namespace {

const char *const RestoreCaption = "Puvodní nastavení adresáre majitelu úctu";

struct OwnerBox {
    QLineEdit *OwnersPage::*box;
    OwnerColumn column;
};
// In table order, the order ShowOwner fills them.
const OwnerBox ownerBoxes[] = {
    {&OwnersPage::EditOwnerAddress1, OwnerColumn::Address1}, {&OwnersPage::EditOwnerAddress2, OwnerColumn::Address2},
    {&OwnersPage::EditOwnerAddress3, OwnerColumn::Address3}, {&OwnersPage::EditOwnerNum1, OwnerColumn::Num1},
    {&OwnersPage::EditOwnerNum2, OwnerColumn::Num2},         {&OwnersPage::EditOwnerIDB, OwnerColumn::IDB},
    {&OwnersPage::EditOwnerConstS, OwnerColumn::ConstS},
};

constexpr int ConstSColumn = int(OwnerColumn::ConstS);

} // namespace

OwnersPage::OwnersPage(TForm1 &form)
    : TablePage(form, form.TableOwners, form.OwnerEditsReady)
{
    setObjectName("TabSheetOwnersAdr");
    buildControls();
}

void OwnersPage::buildControls()
{
    GroupBoxOwnersAdr = ui::groupBox(this, "GroupBoxOwnersAdr", QString(), 8, 4, 809, 474);
    DBGridOwners = makeGrid(GroupBoxOwnersAdr, "DBGridOwners", gridColumns(ownerColumns()));
    DBGridOwners->setGeometry(8, 10, 793, 290);
    SearchOwners = makeSearch("EditOwnersSearch");
    DBNavigatorOwners = makeNavigator(GroupBoxOwnersAdr, "DBNavigatorOwners");
    DBNavigatorOwners->setGeometry(8, 308, 160, 25);
    ButtonTableOwnersInsert = ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersInsert", "Vložit nový", 184, 308, 97);
    ButtonTableOwnersDelete = ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersDelete", "Smazat", 288, 308, 97);
    ButtonTableOwnersDefault =
        ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersDefault", "Puvodní nastavení", 680, 308, 121);

    GroupBoxOwnersAdrEdit = ui::groupBox(GroupBoxOwnersAdr, "GroupBoxOwnersAdrEdit", QString(), 8, 344, 793, 116);
    QWidget *g = GroupBoxOwnersAdrEdit;
    const auto rowY = [](int row) { return 16 + 30 * row; };
    const auto box = [&](const char *name, QLabel *l, int x, int row, int width, OwnerColumn column) {
        QLineEdit *e = ui::lineEdit(g, name, x, rowY(row), width, boxLimitIn(m_table, ownerColumn(column)), l);
        e->setAccessibleName(ownerColumn(column).caption);
        return e;
    };
    const auto caption = [&](const QString &text, int x, int row, const QString &objectName = {}) {
        return ui::label(g, text, x, rowY(row) + 3, objectName);
    };
    const auto captionOf = [&](OwnerColumn column, int x, int row, const QString &objectName = {}) {
        return caption(ownerColumn(column).caption, x, row, objectName);
    };
    // Address lines on the left.
    EditOwnerAddress1 = box("EditOwnerAddress1", captionOf(OwnerColumn::Address1, 12, 0), 112, 0, 241, OwnerColumn::Address1);
    EditOwnerAddress2 = box("EditOwnerAddress2", captionOf(OwnerColumn::Address2, 12, 1), 112, 1, 241, OwnerColumn::Address2);
    EditOwnerAddress3 = box("EditOwnerAddress3", captionOf(OwnerColumn::Address3, 12, 2), 112, 2, 241, OwnerColumn::Address3);
    // Account, bank code and symbol on the right.
    QLabel *account = caption(QStringLiteral("Císlo úctu"), 400, 0);
    EditOwnerNum1 = box("EditOwnerNum1", account, 520, 0, 64, OwnerColumn::Num1);
    EditOwnerNum2 = box("EditOwnerNum2", nullptr, 592, 0, 96, OwnerColumn::Num2);
    EditOwnerIDB = box("EditOwnerIDB", captionOf(OwnerColumn::IDB, 400, 1), 520, 1, 64, OwnerColumn::IDB);
    LabelOwnersConstS = captionOf(OwnerColumn::ConstS, 400, 2, "LabelOwnersConstS");
    EditOwnerConstS = box("EditOwnerConstS", LabelOwnersConstS, 520, 2, 96, OwnerColumn::ConstS);
    markAccountAsTyped(EditOwnerNum1, EditOwnerNum2, EditOwnerIDB);

    new AccountBoxKeys(EditOwnerNum1, EditOwnerNum2, EditOwnerIDB);

    QWidget *order[] = {EditOwnerAddress1, EditOwnerAddress2, EditOwnerAddress3, EditOwnerNum1,
                        EditOwnerNum2,     EditOwnerIDB,      EditOwnerConstS};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (const OwnerBox &b : ownerBoxes)
        writeThrough(this->*b.box, columnName(b.column));
    onClick(ButtonTableOwnersInsert, [this] { ButtonTableOwnersInsertClick(); });
    onClick(ButtonTableOwnersDelete, [this] { ButtonTableOwnersDeleteClick(); });
    onClick(ButtonTableOwnersDefault, [this] { RestoreDefaultOwners(); });
}

void OwnersPage::fillBoxes()
{
    const bool shown = hasRow();
    for (const OwnerBox &b : ownerBoxes) {
        fitBox(this->*b.box, ownerColumn(b.column));
        putText(this->*b.box, shown ? fieldOf(m_table, b.column).asString() : QString());
    }
}

void OwnersPage::ButtonTableOwnersInsertClick()
{
    startNewRow();
    for (const OwnerBox &b : ownerBoxes)
        putText(this->*b.box, QString());
}

void OwnersPage::RestoreDefaultOwners()
{
    const QString caption = QString::fromUtf8(RestoreCaption);
    // Cancel is the default button: a stray Enter deletes no owner.
    if (ui::riskyQuestion(m_form.desktop(), &m_form, caption,
                          "Opravdu si prejete nastavit adresár majitelu úctu do výchozího nastavení?")
        != ui::MessageAnswer::Ok)
        return;
    const QString path = m_form.programFile("Owners.dbf");
    // Closed first, so that the copy holds every row written so far.
    m_table.setActive(false);
    QString copy;
    const auto keepWorking = [this] {
        // The file is still there and whole: keep working with it.
        m_table.setActive(true);
        m_model->reload();
        ShowOwner();
    };
    try {
        if (QFile::exists(path))
            copy = backupBeforeRemoval(m_form.ProgramDir, QStringLiteral("Owners.dbf"),
                                       QStringLiteral("Adresář majitelů účtů zůstal beze změny."));
    } catch (const BackupError &) {
        keepWorking();
        throw;
    }
    QFile::remove(path);
    if (QFile::exists(path)) {
        ui::information(m_form.desktop(), &m_form, "Nelze zpracovat soubor 'Owners.dbf'!\n\n"
                                                   "Nastavení adresáre majitelu úctu do puvodního stavu se nezdarlo!");
        keepWorking();
        return;
    }
    m_model->reload();
    m_shown.remember();
    QString done = "Puvodní adresár majitelu úctú bude nastaven do výchozího nastavení. \n\n"
                   "Program Kvitanky bude nyní ukoncen.\n\n"
                   "Spusťtte prosím program znovu obvyklým zpusobem.";
    if (!copy.isEmpty())
        done += QStringLiteral("\n\nPůvodní adresář majitelů účtů je uložen v souboru %1.").arg(QDir::toNativeSeparators(copy));
    ui::warning(m_form.desktop(), &m_form, caption, done, false);
    m_form.close();
}

void OwnersPage::applyKsVsMode(bool vs)
{
    LabelOwnersConstS->setText(vs ? "Variabilní symbol" : "Konstantní symbol");
    LabelOwnersConstS->adjustSize();
    ui::setTypingLimit(EditOwnerConstS, vs ? 10 : 4);
    m_model->setColumnTitle(ConstSColumn, vs ? "Var. symbol" : "Konst. symbol");
}

} // namespace kvitanky
