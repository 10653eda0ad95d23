// SPDX-License-Identifier: GPL-3.0-or-later
// "Adresár": the recipients in a grid, the current one in edit boxes that write
// every change straight into the table; "Uložit" keeps backup copies.
#pragma once

#include "data/Backup.h"
#include "data/TablePage.h"

#include <optional>

class QCheckBox;
class QGroupBox;

namespace kvitanky {

class RecipientPage : public TablePage
{
    Q_OBJECT
public:
    explicit RecipientPage(TForm1 &form);

    QGroupBox *GroupBoxData = nullptr;
    QTableView *DBGridData = nullptr;
    RowSearch *SearchData = nullptr;
    TableNavigator *DBNavigatorData = nullptr;
    QPushButton *ButtonDataTableInsert = nullptr;
    QPushButton *ButtonDataTableDelete = nullptr;
    QPushButton *ButtonDataTableSave = nullptr;
    QGroupBox *GroupBoxDataEdit = nullptr;
    QLineEdit *EditDataHonour = nullptr;
    QLineEdit *EditDataFirstName = nullptr;
    QLineEdit *EditDataSurname = nullptr;
    QLineEdit *EditDataStreet = nullptr;
    QLineEdit *EditDataCity = nullptr;
    QLineEdit *EditDataPostCode = nullptr;
    QLineEdit *EditDataPrice = nullptr;
    QLineEdit *EditDataVarSymbol = nullptr;
    QLineEdit *EditDataSpecSymbol = nullptr;
    QLineEdit *EditDataTel = nullptr;
    QLineEdit *EditDataEmail = nullptr;
    QCheckBox *CheckBoxDataShowTitle = nullptr;
    QCheckBox *CheckBoxDataDiscard = nullptr;
    QLineEdit *EditDataPriceWord = nullptr;

    // Copies the current record into the boxes (writing nothing), then recomposes the slip.
    void ShowRecipient() { showRow(); }
    // The words box anew, after the spelling of the words changed.
    void ShowAmountInWords();
    // The words box shows the words the slip prints for the current record, after the
    // cursor moved without the boxes (stepping on the layout page, a job's last slip).
    void ShowWordsOfRecord();
    // Asks, empties the table, reports the count.
    void DeleteAllRecipients();

    void WriteRecipientField(const QString &column, const QString &value) { writeField(column, value); }
    void ButtonDataTableInsertClick();
    void ButtonDataTableDeleteClick() { deleteShownRow(); }
    void ButtonDataTableSaveClick();

    // The clock that stamps backups (tests fix it to provoke two saves in one second).
    void setBackupClock(BackupMaker::Clock clock) { m_backupClock = std::move(clock); }

private:
    void buildControls();
    void connectHandlers();
    void fillBoxes() override;
    void storeValue(const QString &column, DbfField field, const QString &value) override;
    void EditDataPriceChange();
    void symbolChange(QLineEdit *box, const QString &column);
    double currentAmount() const;
    // The amount in words, or why the slip cannot carry the amount.
    QString amountInWords(double amount) const;
    // The amount of the current row; none when the file holds no number there.
    std::optional<double> readableAmount() const;
    // Marks a box showing a value the file holds in place of a number (empty: unmarks).
    static void markUnreadable(QWidget *box, const QString &stored);
    QString currentText(const QString &column) const;
    void reportCopyFailure();
    // The recipient table's stamped copy in the backup folder, made as "Uložit" makes it.
    static BackupResult backupDataFile(const BackupMaker &backups);
    // Before the table is emptied: the path of its copy (empty when there is nothing
    // to keep); BackupError when no copy could be made.
    QString backupBeforeDeleteAll(int count);

    BackupMaker::Clock m_backupClock;
    bool m_fillingBoxes = false;
};

} // namespace kvitanky
