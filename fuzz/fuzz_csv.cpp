// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the CSV line reader, field splitter and amount conversion.
#include "exchange/CsvFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!kvitanky::fuzzCsvInput(data, size))
        std::abort();
    return 0;
}
