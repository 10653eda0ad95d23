// SPDX-License-Identifier: GPL-3.0-or-later
// "Majitelé úctu": the owner directory in a grid, the current owner in edit boxes
// that write every change straight into the table.
#pragma once

#include "data/ShownRow.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kvitanky {

class TForm1;
class TableGridModel;
class TableNavigator;

class OwnersPage : public QWidget
{
    Q_OBJECT
public:
    explicit OwnersPage(TForm1 &form);

    QGroupBox *GroupBoxOwnersAdr = nullptr;
    QTableView *DBGridOwners = nullptr;
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
    void ShowOwner();
    // Variable-symbol mode: the symbol label, the box's typing limit, the grid's column title.
    void applyKsVsMode(bool vs);
    void refreshGrid();   // the table changed behind the grid's back

    void WriteOwnerField(const QString &column, const QString &value);
    void ButtonTableOwnersInsertClick();
    void ButtonTableOwnersDeleteClick();
    void RestoreDefaultOwners();   // ButtonTableOwnersDefaultClick

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void DBGridOwnersCellClick(int row);
    void DBGridOwnersKeyUp();
    void followCursor();
    void selectGridRow();

    TForm1 &m_form;
    TableGridModel *m_model = nullptr;
    ShownRow m_shown;
};

} // namespace kvitanky
