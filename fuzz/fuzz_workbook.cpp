// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the workbook reader, read once as .xlsx and once as .ods,
// from the first and the second sheet.
#include "exchange/WorkbookReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *name : {"fuzz.xlsx", "fuzz.ods"}) {
        for (int sheet = 0; sheet < 2; ++sheet) {
            kvitanky::WorkbookReader reader;
            reader.setXmlLimit(qint64(64) << 20);
            const bool ok = reader.readBytes(bytes, QString::fromLatin1(name), sheet);
            // Either rows in the sheet's order, or a message that names the file.
            if (!ok && !reader.error().contains(QString::fromLatin1(name)))
                std::abort();
            int last = 0;
            for (const kvitanky::WorkbookRow &row : reader.rows()) {
                if (row.number <= last || row.cells.isEmpty())
                    std::abort();
                last = row.number;
            }
        }
    }
    return 0;
}
