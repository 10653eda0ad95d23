// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecipientPage.h"

#include "shell/MainWindow.h"
#include "shell/PageBase.h"

namespace kvitanky {

RecipientPage::RecipientPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetData");
    auto *w = ui::lineEdit(this, "EditDataPriceWord", 16, 400, 500);
    w->setReadOnly(true);
    ui::checkBox(this, "CheckBoxDataShowTitle", "Tisknout titul k jménu a príjmení", 16, 380, true);
}

void RecipientPage::ShowRecipient() {}
void RecipientPage::DeleteAllRecipients() {}
void RecipientPage::refreshGrid() {}

} // namespace kvitanky
