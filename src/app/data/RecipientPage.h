// SPDX-License-Identifier: GPL-3.0-or-later
// "Adresár": the recipients in a grid, the current one in edit boxes that write
// every change straight into the table; "Uložit" keeps backup copies.
#pragma once

#include "data/Backup.h"
#include "data/ShownRow.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kvitanky {

class TForm1;
class TableGridModel;
class TableNavigator;

class RecipientPage : public QWidget
{
    Q_OBJECT
public:
    explicit RecipientPage(TForm1 &form);

    QGroupBox *GroupBoxData = nullptr;
    QTableView *DBGridData = nullptr;
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
    void ShowRecipient();
    // Asks, empties the table, reports the count.
    void DeleteAllRecipients();
    void refreshGrid();   // the table changed behind the grid's back

    void WriteRecipientField(const QString &column, const QString &value);
    void ButtonDataTableInsertClick();
    void ButtonDataTableDeleteClick();
    void ButtonDataTableSaveClick();

    // The clock that stamps backups (tests fix it to provoke two saves in one second).
    void setBackupClock(BackupMaker::Clock clock) { m_backupClock = std::move(clock); }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectHandlers();
    void EditDataPriceChange();
    void symbolChange(QLineEdit *box, const QString &column);
    void DBGridDataCellClick(int row);
    void DBGridDataKeyUp();
    // Re-shows the cursor's row when something else moved the cursor.
    void followCursor();
    double currentAmount() const;
    QString currentText(const QString &column) const;
    void selectGridRow();
    void reportCopyFailure();

    TForm1 &m_form;
    TableGridModel *m_model = nullptr;
    ShownRow m_shown;
    BackupMaker::Clock m_backupClock;
};

} // namespace kvitanky
