// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnerSettings.h"

#include "data/DbfTable.h"
#include "data/OwnerColumns.h"
#include "settings/SettingKeyNames.h"
#include "text/SingleLine.h"

#include <QLineEdit>

namespace kvitanky {

const QList<OwnerColumnSetting> &ownerColumnSettings()
{
    static const QList<OwnerColumnSetting> columns = {
        {columnName(OwnerColumn::Address1), key::EditSetOwnerAddress1},
        {columnName(OwnerColumn::Address2), key::EditSetOwnerAddress2},
        {columnName(OwnerColumn::Address3), key::EditSetOwnerAddress3},
        {columnName(OwnerColumn::Num1), key::EditSetOwnerAccountNum1},
        {columnName(OwnerColumn::Num2), key::EditSetOwnerAccountNum2},
        {columnName(OwnerColumn::IDB), key::EditSetOwnerAccountIDB},
        {columnName(OwnerColumn::ConstS), key::EditSetOwnerAccountConstS},
    };
    return columns;
}

void CopyOwnerToSettings(DbfTable &owners, const std::function<QLineEdit *(const QString &)> &editOf)
{
    if (!owners.active() || owners.recordCount() == 0)
        return;
    // Read the whole row first: a box's change handler may show a message, and
    // nothing may move the cursor between the columns of one owner. A line break
    // another program left in a column reaches the box (and the settings file) as a blank.
    // A column another program's table lacks has nothing to copy: its box keeps its text.
    QStringList values;
    for (const OwnerColumnSetting &c : ownerColumnSettings())
        values << (owners.fieldIndex(c.column) >= 0 ? lineBreaksAsBlanks(owners.fieldByName(c.column).asString())
                                                    : QString());
    const auto &columns = ownerColumnSettings();
    for (int i = 0; i < columns.size(); ++i) {
        QLineEdit *e = editOf(columns[i].key);
        if (e && owners.fieldIndex(columns[i].column) >= 0)
            e->setText(values[i]);
    }
}

} // namespace kvitanky
