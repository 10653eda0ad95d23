// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the CSV line and record readers, the field splitter and
// the amount and exclusion-mark readings.
#include "exchange/CsvFormat.h"
#include "exchange/CsvRecords.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!kvitanky::fuzzCsvInput(data, size) || !kvitanky::fuzzCsvRecords(data, size))
        std::abort();
    return 0;
}
