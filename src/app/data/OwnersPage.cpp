// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/OwnersPage.h"

#include "data/DbfTable.h"
#include "data/TableGridModel.h"
#include "data/TableNavigator.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "shell/PageBase.h"

#include <QFile>
#include <QKeyEvent>
#include <QTableView>

namespace kvitanky {
namespace {

const char *const RestoreCaption = "Puvodní nastavení adresáre majitelu úctu";

struct OwnerBox {
    QLineEdit *OwnersPage::*box;
    const char *column;
};
// In table order, the order ShowOwner fills them.
const OwnerBox ownerBoxes[] = {
    {&OwnersPage::EditOwnerAddress1, "Address1"}, {&OwnersPage::EditOwnerAddress2, "Address2"},
    {&OwnersPage::EditOwnerAddress3, "Address3"}, {&OwnersPage::EditOwnerNum1, "Num1"},
    {&OwnersPage::EditOwnerNum2, "Num2"},         {&OwnersPage::EditOwnerIDB, "IDB"},
    {&OwnersPage::EditOwnerConstS, "ConstS"},
};

constexpr int ConstSColumn = 6;

void putText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

OwnersPage::OwnersPage(TForm1 &form)
    : m_form(form)
    , m_shown(form.TableOwners)
{
    setObjectName("TabSheetOwnersAdr");
    buildControls();
}

void OwnersPage::buildControls()
{
    GroupBoxOwnersAdr = ui::groupBox(this, "GroupBoxOwnersAdr", QString(), 8, 4, 809, 474);
    m_model = new TableGridModel(m_form.TableOwners,
                                 {
                                     {"ADDRESS1", "Adresa 1. rádek", 169},
                                     {"ADDRESS2", "Adresa 2. rádek", 151},
                                     {"ADDRESS3", "Adresa 3. rádek", 138},
                                     {"NUM1", "Císlo úctu 1", 63},
                                     {"NUM2", "Císlo úctu 2", 68, 10},
                                     {"IDB", "Kód banky", 57},
                                     {"CONSTS", "Konst. symbol", 76, 10},
                                 },
                                 this);
    DBGridOwners = makeTableGrid(GroupBoxOwnersAdr, "DBGridOwners", m_model);
    DBGridOwners->setGeometry(8, 10, 793, 290);
    DBGridOwners->installEventFilter(this);

    DBNavigatorOwners = new TableNavigator(GroupBoxOwnersAdr, "DBNavigatorOwners", m_form.TableOwners,
                                           [this](const std::function<void()> &move) {
                                               m_form.guard([&] {
                                                   move();
                                                   ShowOwner();   // DBNavigatorOwnersClick
                                               });
                                           });
    DBNavigatorOwners->setGeometry(8, 308, 160, 25);
    ButtonTableOwnersInsert = ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersInsert", "Vložit nový", 184, 308, 97);
    ButtonTableOwnersDelete = ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersDelete", "Smazat", 288, 308, 97);
    ButtonTableOwnersDefault =
        ui::button(GroupBoxOwnersAdr, "ButtonTableOwnersDefault", "Puvodní nastavení", 680, 308, 121);

    GroupBoxOwnersAdrEdit = ui::groupBox(GroupBoxOwnersAdr, "GroupBoxOwnersAdrEdit", QString(), 8, 344, 793, 116);
    QWidget *g = GroupBoxOwnersAdrEdit;
    const auto rowY = [](int row) { return 16 + 30 * row; };
    const auto box = [&](const char *name, QLabel *l, int x, int row, int width, int limit) {
        return ui::lineEdit(g, name, x, rowY(row), width, limit, l);
    };
    const auto caption = [&](const char *text, int x, int row, const QString &objectName = {}) {
        return ui::label(g, QString::fromUtf8(text), x, rowY(row) + 3, objectName);
    };
    // Address lines on the left.
    EditOwnerAddress1 = box("EditOwnerAddress1", caption("Adresa 1. rádek", 12, 0), 112, 0, 241, 30);
    EditOwnerAddress2 = box("EditOwnerAddress2", caption("Adresa 2. rádek", 12, 1), 112, 1, 241, 30);
    EditOwnerAddress3 = box("EditOwnerAddress3", caption("Adresa 3. rádek", 12, 2), 112, 2, 241, 30);
    // Account, bank code and symbol on the right.
    QLabel *account = caption("Císlo úctu", 400, 0);
    EditOwnerNum1 = box("EditOwnerNum1", account, 520, 0, 64, 6);
    EditOwnerNum2 = box("EditOwnerNum2", nullptr, 592, 0, 96, 10);
    EditOwnerNum1->setAccessibleName("Císlo úctu 1");
    EditOwnerNum2->setAccessibleName("Císlo úctu 2");
    EditOwnerIDB = box("EditOwnerIDB", caption("Kód banky", 400, 1), 520, 1, 64, 4);
    LabelOwnersConstS = caption("Konstantní symbol", 400, 2, "LabelOwnersConstS");
    EditOwnerConstS = box("EditOwnerConstS", LabelOwnersConstS, 520, 2, 96, 4);

    QWidget *order[] = {EditOwnerAddress1, EditOwnerAddress2, EditOwnerAddress3, EditOwnerNum1,
                        EditOwnerNum2,     EditOwnerIDB,      EditOwnerConstS};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (const OwnerBox &b : ownerBoxes) {
        QLineEdit *e = this->*b.box;
        const QString column = QString::fromLatin1(b.column);
        connect(e, &QLineEdit::textChanged, this,
                [this, e, column] { m_form.guard([&] { WriteOwnerField(column, e->text()); }); });
    }
    connect(DBGridOwners, &QTableView::clicked, this,
            [this](const QModelIndex &index) { m_form.guard([&] { DBGridOwnersCellClick(index.row()); }); });
    connect(ButtonTableOwnersInsert, &QPushButton::clicked, this,
            [this] { m_form.guard([&] { ButtonTableOwnersInsertClick(); }); });
    connect(ButtonTableOwnersDelete, &QPushButton::clicked, this,
            [this] { m_form.guard([&] { ButtonTableOwnersDeleteClick(); }); });
    connect(ButtonTableOwnersDefault, &QPushButton::clicked, this,
            [this] { m_form.guard([&] { RestoreDefaultOwners(); }); });
}

void OwnersPage::ShowOwner()
{
    DbfTable &t = m_form.TableOwners;
    m_form.OwnerEditsReady = false;
    try {
        if (t.active()) {
            const bool hasRow = t.recordCount() > 0 || t.isEditing();
            for (const OwnerBox &b : ownerBoxes)
                putText(this->*b.box, hasRow ? t.fieldByName(QString::fromLatin1(b.column)).asString() : QString());
        }
    } catch (...) {
        m_form.OwnerEditsReady = true;
        throw;
    }
    m_shown.remember();
    m_form.OwnerEditsReady = true;
    if (m_model->rowCount() != (t.active() ? t.recordCount() : 0))
        m_model->reload();
    selectGridRow();
    m_form.ComposeSlip();
}

void OwnersPage::WriteOwnerField(const QString &column, const QString &value)
{
    if (!m_form.FormReady || !m_form.OwnerEditsReady)
        return;
    DbfTable &t = m_form.TableOwners;
    // The layout page's owner buttons move the cursor: the value belongs to the row on screen.
    if (!m_shown.restoreCursor()) {
        ShowOwner();
        return;
    }
    try {
        t.edit();
        t.fieldByName(column).setAsString(value);
        t.post();
    } catch (...) {
        if (t.active() && t.isEditing())
            t.cancel();
        throw;
    }
    m_shown.remember();
    m_model->rowChanged(t.recNo());
    selectGridRow();
}

void OwnersPage::ButtonTableOwnersInsertClick()
{
    m_form.TableOwners.insert();
    m_shown.remember();
    for (const OwnerBox &b : ownerBoxes)
        putText(this->*b.box, QString());
}

void OwnersPage::ButtonTableOwnersDeleteClick()
{
    if (!m_shown.restoreCursor()) {
        ShowOwner();
        return;
    }
    m_form.TableOwners.deleteRecord();
    m_model->reload();
    ShowOwner();
}

void OwnersPage::RestoreDefaultOwners()
{
    const QString caption = QString::fromUtf8(RestoreCaption);
    if (ui::warning(&m_form, caption, "Opravdu si prejete nastavit adresár majitelu úctu do výchozího nastavení?",
                    true)
        != ui::MessageAnswer::Ok)
        return;
    DbfTable &t = m_form.TableOwners;
    const QString path = m_form.programFile("Owners.dbf");
    t.setActive(false);
    QFile::remove(path);
    if (QFile::exists(path)) {
        ui::information(&m_form, "Nelze zpracovat soubor 'Owners.dbf'!\n\n"
                                 "Nastavení adresáre majitelu úctu do puvodního stavu se nezdarlo!");
        // The file is still there and whole: keep working with it.
        t.setActive(true);
        m_model->reload();
        ShowOwner();
        return;
    }
    m_model->reload();
    m_shown.remember();
    ui::warning(&m_form, caption,
                "Puvodní adresár majitelu úctú bude nastaven do výchozího nastavení. \n\n"
                "Program Kvitanky bude nyní ukoncen.\n\n"
                "Spusťtte prosím program znovu obvyklým zpusobem.",
                false);
    m_form.close();
}

void OwnersPage::applyKsVsMode(bool vs)
{
    LabelOwnersConstS->setText(vs ? "Variabilní symbol" : "Konstantní symbol");
    LabelOwnersConstS->adjustSize();
    ui::setTypingLimit(EditOwnerConstS, vs ? 10 : 4);
    m_model->setColumnTitle(ConstSColumn, vs ? "Var. symbol" : "Konst. symbol");
}

void OwnersPage::refreshGrid()
{
    m_model->reload();
    if (isVisible())
        followCursor();
    else
        selectGridRow();
}

void OwnersPage::followCursor()
{
    if (!m_shown.followsCursor())
        ShowOwner();
}

void OwnersPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_form.guard([&] {
        if (m_model->rowCount() != (m_form.TableOwners.active() ? m_form.TableOwners.recordCount() : 0))
            m_model->reload();
        if (m_form.FormReady)
            followCursor();
    });
}

bool OwnersPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGridOwners && event->type() == QEvent::KeyRelease
        && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
        m_form.guard([&] { DBGridOwnersKeyUp(); });
    return QWidget::eventFilter(watched, event);
}

void OwnersPage::DBGridOwnersCellClick(int row)
{
    if (row >= 0 && m_form.TableOwners.active())
        m_form.TableOwners.moveTo(row);
    ShowOwner();
}

void OwnersPage::DBGridOwnersKeyUp()
{
    const QModelIndex current = DBGridOwners->currentIndex();
    if (current.isValid() && m_form.TableOwners.active())
        m_form.TableOwners.moveTo(current.row());
    ShowOwner();
}

void OwnersPage::selectGridRow()
{
    selectCursorRow(DBGridOwners, m_model, m_form.TableOwners);
}

} // namespace kvitanky
