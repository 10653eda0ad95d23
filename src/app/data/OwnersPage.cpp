// SPDX-License-Identifier: GPL-3.0-or-later
#include "OwnersPage.h"

#include "shell/MainWindow.h"

namespace kvitanky {

OwnersPage::OwnersPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetOwnersAdr");
}

void OwnersPage::ShowOwner() {}
void OwnersPage::applyKsVsMode(bool) {}
void OwnersPage::refreshGrid() {}

} // namespace kvitanky
