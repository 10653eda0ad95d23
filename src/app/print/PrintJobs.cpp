// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintJobs.h"

#include "shell/MainWindow.h"

namespace kvitanky {

PrintJobs::PrintJobs(TForm1 &form)
    : QObject(&form), m_form(form)
{
}

void PrintJobs::reportPrinter() {}

} // namespace kvitanky
