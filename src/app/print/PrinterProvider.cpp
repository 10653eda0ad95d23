// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrinterProvider.h"

#include <QPrinterInfo>

namespace kvitanky {

QStringList SystemPrinters::printerNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString SystemPrinters::defaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

} // namespace kvitanky
