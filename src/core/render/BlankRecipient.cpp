// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/BlankRecipient.h"

#include "data/RecipientColumns.h"
#include "data/RecipientTable.h"
#include "render/RecipientSource.h"

namespace kvitanky {

bool isBlankRecipient(const RecipientSource &record)
{
    if (!record.isOpen())
        return true;
    for (const FieldDef &f : recipientFields()) {
        if (f.type == FieldType::Float) {
            if (record.number(f.name) != 0.0)   // NaN, unreadable, is not 0 either
                return false;
        } else if (f.type == FieldType::String) {
            const QString text = record.text(f.name).trimmed();
            const QString typedByInsert = f.name == columnName(RecipientColumn::Phone) ? NewRecipientPhone.trimmed()
                                          : f.name == columnName(RecipientColumn::Email) ? NewRecipientEmail
                                                                             : QString();
            if (!text.isEmpty() && text != typedByInsert)
                return false;
        }
    }
    return true;
}

} // namespace kvitanky
