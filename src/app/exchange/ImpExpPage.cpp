// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImpExpPage.h"

#include "shell/MainWindow.h"

namespace kvitanky {

ImpExpPage::ImpExpPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetImpExp");
}

void ImpExpPage::CheckExcelAvailable() {}

} // namespace kvitanky
