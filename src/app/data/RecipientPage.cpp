// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RecipientPage.h"

#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "data/TableNavigator.h"
#include "render/BlankRecipient.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "shell/LineBoxFilter.h"
#include "shell/PageControls.h"
#include "settings/AmountText.h"
#include "settings/SettingKeyNames.h"
#include "settings/NumberText.h"

#include <QDir>
#include <QFile>
#include <QCheckBox>
#include <QHeaderView>
#include <QScopeGuard>
#include <QTableView>
#include <limits>

namespace kvitanky {
namespace {

const QString ColCastka = columnName(RecipientColumn::Amount);
const QString ColVyrazeno = columnName(RecipientColumn::Excluded);
const QString Checked = QStringLiteral("CHECKED");

// The boxes that hold a text column, in the order ShowRecipient fills them.
struct TextBox {
    QLineEdit *RecipientPage::*box;
    RecipientColumn column;
    QString name() const { return columnName(column); }
};
const TextBox namesAndAddress[] = {
    {&RecipientPage::EditDataHonour, RecipientColumn::Title},
    {&RecipientPage::EditDataFirstName, RecipientColumn::FirstName},
    {&RecipientPage::EditDataSurname, RecipientColumn::Surname},
    {&RecipientPage::EditDataStreet, RecipientColumn::Street},
    {&RecipientPage::EditDataCity, RecipientColumn::City},
    {&RecipientPage::EditDataPostCode, RecipientColumn::PostCode},
};
const TextBox symbolsAndContacts[] = {
    {&RecipientPage::EditDataVarSymbol, RecipientColumn::VarSymbol},
    {&RecipientPage::EditDataSpecSymbol, RecipientColumn::SpecSymbol},
    {&RecipientPage::EditDataTel, RecipientColumn::Phone},
    {&RecipientPage::EditDataEmail, RecipientColumn::Email},
};

} // namespace

RecipientPage::RecipientPage(TForm1 &form)
    : TablePage(form, form.TableData, form.DataEditsReady)
{
    setObjectName("TabSheetData");
    buildControls();
    connectHandlers();
}

void RecipientPage::buildControls()
{
    GroupBoxData = ui::groupBox(this, "GroupBoxData", QString(), 8, 4, 809, 474);

    DBGridData = makeGrid(GroupBoxData, "DBGridData", gridColumns(recipientColumns()));
    DBGridData->setGeometry(8, 10, 793, 210);
    DBGridData->verticalHeader()->show();   // the row numbers print jobs and their notes speak of
    SearchData = makeSearch("EditDataSearch");
    DBNavigatorData = makeNavigator(GroupBoxData, "DBNavigatorData");
    DBNavigatorData->setGeometry(8, 228, 160, 25);
    ButtonDataTableInsert = ui::button(GroupBoxData, "ButtonDataTableInsert", "Vložit nový", 184, 228, 97);
    ButtonDataTableDelete = ui::button(GroupBoxData, "ButtonDataTableDelete", "Smazat", 288, 228, 97);
    ButtonDataTableSave = ui::button(GroupBoxData, "ButtonDataTableSave", "Uložit", 704, 228, 97);

    GroupBoxDataEdit = ui::groupBox(GroupBoxData, "GroupBoxDataEdit", QString(), 8, 262, 793, 202);
    QWidget *g = GroupBoxDataEdit;
    const auto rowY = [](int row) { return 18 + 30 * row; };
    const auto labelled = [&](const QString &name, const QString &caption, int labelX, int editX, int row, int width,
                              int limit) {
        QLabel *l = ui::label(g, caption, labelX, rowY(row) + 3);
        return ui::lineEdit(g, name, editX, rowY(row), width, limit, l);
    };
    const auto box = [&](const QString &name, RecipientColumn column, int labelX, int editX, int row, int width) {
        const TableColumnDef &c = recipientColumn(column);
        return labelled(name, c.caption, labelX, editX, row, width, boxLimitIn(m_table, c));
    };
    // Names, address and post code on the left.
    EditDataHonour = box("EditDataHonour", RecipientColumn::Title, 12, 76, 0, 100);
    EditDataFirstName = box("EditDataFirstName", RecipientColumn::FirstName, 12, 76, 1, 190);
    EditDataSurname = box("EditDataSurname", RecipientColumn::Surname, 12, 76, 2, 190);
    EditDataStreet = box("EditDataStreet", RecipientColumn::Street, 12, 76, 3, 190);
    EditDataCity = box("EditDataCity", RecipientColumn::City, 12, 76, 4, 190);
    EditDataPostCode = box("EditDataPostCode", RecipientColumn::PostCode, 12, 76, 5, 100);
    // Amount, symbols, the title option and the amount in words in the middle.
    EditDataPrice = box("EditDataPrice", RecipientColumn::Amount, 290, 408, 0, 100);
    EditDataVarSymbol = box("EditDataVarSymbol", RecipientColumn::VarSymbol, 290, 408, 1, 100);
    EditDataSpecSymbol = box("EditDataSpecSymbol", RecipientColumn::SpecSymbol, 290, 408, 2, 100);
    CheckBoxDataShowTitle = ui::checkBox(g, key::CheckBoxDataShowTitle, "Tisknout titul k jménu a príjmení", 290,
                                         rowY(3) + 1, true);
    // Telephone, e-mail and the discard mark on the right.
    EditDataTel = box("EditDataTel", RecipientColumn::Phone, 530, 590, 0, 191);
    EditDataEmail = box("EditDataEmail", RecipientColumn::Email, 530, 590, 1, 191);
    CheckBoxDataDiscard = ui::checkBox(g, "CheckBoxDataDiscard", recipientColumn(RecipientColumn::Excluded).caption, 590, rowY(2) + 1, false);
    // The amount in words spans to the right edge.
    EditDataPriceWord = labelled(key::EditDataPriceWord, QStringLiteral("Cástka slovy"), 290, 408, 5, 373, 0);
    EditDataPriceWord->setReadOnly(true);

    QWidget *order[] = {EditDataHonour,    EditDataFirstName,  EditDataSurname,       EditDataStreet,
                        EditDataCity,      EditDataPostCode,   EditDataPrice,         EditDataVarSymbol,
                        EditDataSpecSymbol, EditDataTel,       EditDataEmail,         CheckBoxDataShowTitle,
                        CheckBoxDataDiscard, EditDataPriceWord};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void RecipientPage::connectHandlers()
{
    // The amount box holds what the slip's boxes hold; blanks grouping thousands are free.
    ui::setTypingLimit(EditDataPrice, 0);
    lineBoxFilter(EditDataPrice)->setEditRule([](const QString &before, QString &after) -> std::optional<QString> {
        const QString why = AmountText::refusal(before, after);
        return why.isEmpty() ? std::nullopt : std::optional<QString>(why);
    });
    for (const TextBox &t : namesAndAddress)
        writeThrough(this->*t.box, t.name());
    connect(EditDataPrice, &QLineEdit::textChanged, this, [this] { m_form.guard([&] { EditDataPriceChange(); }); });
    connect(EditDataVarSymbol, &QLineEdit::textChanged, this,
            [this] { m_form.guard([&] { symbolChange(EditDataVarSymbol, columnName(RecipientColumn::VarSymbol)); }); });
    connect(EditDataSpecSymbol, &QLineEdit::textChanged, this,
            [this] { m_form.guard([&] { symbolChange(EditDataSpecSymbol, columnName(RecipientColumn::SpecSymbol)); }); });
    writeThrough(EditDataTel, columnName(RecipientColumn::Phone));
    writeThrough(EditDataEmail, columnName(RecipientColumn::Email));
    connect(CheckBoxDataDiscard, &QCheckBox::toggled, this, [this](bool on) {
        m_form.guard([&] {
            WriteRecipientField(ColVyrazeno, on ? Checked : QString());
            if (!m_fillingBoxes)
                markUnreadable(CheckBoxDataDiscard, QString());
        });
    });
    onClick(ButtonDataTableInsert, [this] { ButtonDataTableInsertClick(); });
    onClick(ButtonDataTableDelete, [this] { ButtonDataTableDeleteClick(); });
    onClick(ButtonDataTableSave, [this] { ButtonDataTableSaveClick(); });
}

QString RecipientPage::currentText(const QString &column) const
{
    return hasRow() ? m_table.fieldByName(column).asString() : QString();
}

double RecipientPage::currentAmount() const
{
    return readableAmount().value_or(0.0);
}

std::optional<double> RecipientPage::readableAmount() const
{
    if (!hasRow())
        return 0.0;
    try {
        return m_table.fieldByName(ColCastka).asFloat();
    } catch (const DbfError &) {
        return std::nullopt;   // not a number in the file (dBase writes asterisks on overflow)
    }
}

void RecipientPage::markUnreadable(QWidget *box, const QString &stored)
{
    box->setProperty("unreadableValue", stored.isEmpty() ? QVariant() : QVariant(stored));
    box->setToolTip(stored.isEmpty() ? QString()
                                     : QStringLiteral("V souboru je místo čísla „%1“; uložením nové hodnoty se opraví.")
                                           .arg(stored));
    QPalette palette = box->parentWidget()->palette();
    if (!stored.isEmpty()) {
        palette.setColor(QPalette::Text, Qt::red);
        palette.setColor(QPalette::WindowText, Qt::red);
    }
    box->setPalette(palette);
}

QString RecipientPage::amountInWords(double amount) const
{
    // The slip carries crosses instead of such an amount: the box says why.
    const QString reason = voidAmountReason(amount);
    if (!reason.isEmpty())
        return QStringLiteral("částku nelze vytisknout: ") + reason;
    return PriceToWords(amount, m_form.settings().wordSpelling());
}

void RecipientPage::ShowAmountInWords()
{
    putText(EditDataPriceWord, amountInWords(readableAmount().value_or(std::numeric_limits<double>::quiet_NaN())));
}

void RecipientPage::ShowWordsOfRecord()
{
    EditDataPriceWord->setText(
        PriceToWords(slipAmount(fieldOf(m_table, RecipientColumn::Amount)), m_form.settings().wordSpelling()));
}

void RecipientPage::fillBoxes()
{
    m_fillingBoxes = true;
    const auto done = qScopeGuard([this] { m_fillingBoxes = false; });
    for (const TextBox &b : namesAndAddress) {
        fitBox(this->*b.box, recipientColumn(b.column));
        putText(this->*b.box, currentText(b.name()));
    }
    // A value that is no number is shown as it stands in the file, marked, so the
    // row is shown whole and typing goes into it.
    const std::optional<double> amount = readableAmount();
    markUnreadable(EditDataPrice, amount ? QString() : currentText(ColCastka));
    putText(EditDataPrice, amount ? DbfTable::formatGeneral(*amount, DbfTable::systemDecimalSeparator())
                                  : currentText(ColCastka));
    for (const TextBox &b : symbolsAndContacts) {
        // A column an older or foreign file lacks leaves its box empty and disabled.
        fitBox(this->*b.box, recipientColumn(b.column));
        putText(this->*b.box, (this->*b.box)->isEnabled() ? currentText(b.name()) : QString());
    }
    std::optional<int> discard = 0;
    if (hasRow()) {
        try {
            discard = m_table.fieldByName(ColVyrazeno).asInteger();
        } catch (const DbfError &) {
            discard.reset();
        }
    }
    CheckBoxDataDiscard->setChecked(discard.value_or(0) != 0);
    markUnreadable(CheckBoxDataDiscard, discard ? QString() : currentText(ColVyrazeno));
    // The slip composed after this takes the amount in words of this record.
    putText(EditDataPriceWord, amountInWords(amount.value_or(std::numeric_limits<double>::quiet_NaN())));
}

void RecipientPage::storeValue(const QString &column, DbfField field, const QString &value)
{
    if (column.compare(ColVyrazeno, Qt::CaseInsensitive) == 0)
        field.setAsInteger(value == Checked ? 1 : 0);
    else
        field.setAsString(value);
}

void RecipientPage::EditDataPriceChange()
{
    // An unreadable amount being shown stays as it stands until the user edits it.
    if (m_fillingBoxes && EditDataPrice->property("unreadableValue").isValid())
        return;
    // The box keeps the amount as typed (blanks grouping thousands, a dot shown
    // as the decimal comma); the table takes the number it means. A text that is
    // still being typed (" 500", "-") is an amount too: only a text that is none
    // is reported and emptied.
    const QString shown = withDecimalComma(EditDataPrice->text());
    if (const AmountText typed(shown); typed.isAmount()) {
        // A changed text runs this handler again from within; the inner run
        // writes the value, the outer run then writes the same value again.
        putText(EditDataPrice, shown);
        WriteRecipientField(ColCastka, typed.plain());
    } else {
        putText(EditDataPrice, m_form.ValidateNumberText(EditDataPrice->text()));
        const QString text = EditDataPrice->text();
        WriteRecipientField(ColCastka, text.isEmpty() ? QStringLiteral("0") : text);
    }
    const std::optional<double> amount = readableAmount();
    if (amount && !m_fillingBoxes)
        markUnreadable(EditDataPrice, QString());
    putText(EditDataPriceWord, amountInWords(amount.value_or(std::numeric_limits<double>::quiet_NaN())));
}

void RecipientPage::symbolChange(QLineEdit *box, const QString &column)
{
    putText(box, m_form.ValidateNumberText(box->text()));
    WriteRecipientField(column, box->text());
}

void RecipientPage::ButtonDataTableInsertClick()
{
    startNewRow();
    // Each default that changes a box posts the new record through its handler.
    for (QLineEdit *e : {EditDataHonour, EditDataFirstName, EditDataSurname, EditDataStreet, EditDataCity,
                         EditDataPostCode, EditDataPrice, EditDataVarSymbol, EditDataSpecSymbol})
        putText(e, QString());
    const TextBox defaults[] = {{&RecipientPage::EditDataTel, RecipientColumn::Phone},
                                {&RecipientPage::EditDataEmail, RecipientColumn::Email}};
    const QString defaultText[] = {NewRecipientPhone, NewRecipientEmail};
    for (size_t i = 0; i < std::size(defaults); ++i)
        if ((this->*defaults[i].box)->isEnabled())
            putText(this->*defaults[i].box, defaultText[i]);
    CheckBoxDataDiscard->setChecked(false);
    // A box that held its default already raised no change; once the new record
    // is posted it must hold what every box shows.
    if (m_table.active() && !m_table.isEditing())
        for (const TextBox &b : defaults)
            if ((this->*b.box)->isEnabled())
                WriteRecipientField(b.name(), (this->*b.box)->text());
}

void RecipientPage::DeleteAllRecipients()
{
    const int count = m_table.active() ? m_table.recordCount() : 0;
    const QString question = "Opravdu si prejete Vymazat všechna data (" + QString::number(count)
                             + ") záznamu z adresáre?";
    // Cancel is the default button: a stray Enter erases nothing.
    if (ui::riskyQuestion(m_form.desktop(), &m_form, "Vymazání všech dat s adresáre", question) != ui::MessageAnswer::Ok)
        return;
    const QString backupPath = backupBeforeDeleteAll(count);
    if (m_table.active() && m_table.isEditing())
        m_table.cancel();   // a new record nobody filled in is not a recipient
    if (m_table.active())
        m_table.deleteAll();
    m_model->reload();
    ShowRecipient();
    QString report = "Bylo vymazáno všech " + QString::number(count) + "záznamu z adresáre.";
    if (!backupPath.isEmpty())
        report += "\n\nPůvodní data jsou uložena v souboru " + QDir::toNativeSeparators(backupPath) + ".";
    ui::information(m_form.desktop(), &m_form, report);
}

QString RecipientPage::backupBeforeDeleteAll(int count)
{
    // Nothing to lose; or a table that cannot be emptied anyway (its own error follows).
    if (count == 0 || m_table.isReadOnly() || !QFile::exists(m_form.programFile("Data.dbf")))
        return {};
    const BackupMaker backups(m_form.ProgramDir, m_backupClock);
    backups.ensureBackupDir();   // a folder that cannot be made stops here
    const BackupResult r = backupDataFile(backups);
    if (!r.saved)
        throw BackupError(("Zálohu souboru Data.dbf nelze uložit: " + r.reason + "\n\nNic nebylo vymazáno.")
                              .toStdString());
    return r.path;
}

BackupResult RecipientPage::backupDataFile(const BackupMaker &backups)
{
    return backups.backup("Data.dbf", "DataTemp.dbf", "Data", ".dbf");
}

void RecipientPage::reportCopyFailure()
{
    ui::warning(m_form.desktop(), &m_form, "File Error",
                "Can't perform one of the following file operations: Open, Seek, Read, Close.", true);
}

void RecipientPage::ButtonDataTableSaveClick()
{
    const BackupMaker backups(m_form.ProgramDir, m_backupClock);
    backups.ensureBackupDir();

    // Post once more; a record nobody typed into (none at all, on an empty table)
    // is not made a row by saving.
    if (!m_shown.restoreCursor())
        ShowRecipient();
    if (!isBlankRecipient(DbfRecipientSource(&m_table))) {
        m_table.edit();
        m_table.post();
    }
    m_shown.remember();
    m_model->reload();
    selectGridRow();

    bool dataSaved = false;
    if (QFile::exists(m_form.programFile("Data.dbf"))) {
        const BackupResult r = backupDataFile(backups);
        if (!r.saved)
            reportCopyFailure();
        dataSaved = r.saved;
    }
    if (QFile::exists(m_form.programFile("Kvitanky.ini"))) {
        const BackupResult r = backups.backup("Kvitanky.ini", "KvitankyTemp.ini", "Kvitanky", ".ini");
        if (!r.saved)
            reportCopyFailure();
    }
    if (dataSaved) {
        ui::information(m_form.desktop(), &m_form, "Data byla uložena do adresáre "
                                                       + QDir::toNativeSeparators(m_form.ProgramDir + "/Data") + " ");
    }
    m_form.ComposeSlip();
}

} // namespace kvitanky
