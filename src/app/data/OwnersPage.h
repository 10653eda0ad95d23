// SPDX-License-Identifier: GPL-3.0-or-later
// "Majitelé úctu": the owner directory in a grid, the current owner in edit boxes
// that write every change straight into the table.
#pragma once

#include "data/TablePage.h"

class QGroupBox;
class QLabel;

namespace kvitanky {

class OwnersPage : public TablePage
{
    Q_OBJECT
public:
    explicit OwnersPage(TForm1 &form);

    QGroupBox *GroupBoxOwnersAdr = nullptr;
    QTableView *DBGridOwners = nullptr;
    RowSearch *SearchOwners = nullptr;
    TableNavigator *DBNavigatorOwners = nullptr;
    QPushButton *ButtonTableOwnersInsert = nullptr;
    QPushButton *ButtonTableOwnersDelete = nullptr;
    QPushButton *ButtonTableOwnersDefault = nullptr;
    QGroupBox *GroupBoxOwnersAdrEdit = nullptr;
    QLineEdit *EditOwnerAddress1 = nullptr;
    QLineEdit *EditOwnerAddress2 = nullptr;
    QLineEdit *EditOwnerAddress3 = nullptr;
    QLineEdit *EditOwnerNum1 = nullptr;
    QLineEdit *EditOwnerNum2 = nullptr;
    QLineEdit *EditOwnerIDB = nullptr;
    QLineEdit *EditOwnerConstS = nullptr;
    QLabel *LabelOwnersConstS = nullptr;

    // Copies the current owner into the boxes (writing nothing), then recomposes the slip.
    void ShowOwner() { showRow(); }
    // Variable-symbol mode: the symbol label, the box's typing limit, the grid's column title.
    void applyKsVsMode(bool vs);

    void WriteOwnerField(const QString &column, const QString &value) { writeField(column, value); }
    void ButtonTableOwnersInsertClick();
    void ButtonTableOwnersDeleteClick() { deleteShownRow(); }
    void RestoreDefaultOwners();   // ButtonTableOwnersDefaultClick

private:
    void buildControls();
    void fillBoxes() override;
};

} // namespace kvitanky
