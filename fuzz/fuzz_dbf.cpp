// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a table file.
#include "data/DbfFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kvitanky::fuzzDbfInput(data, size);
    return 0;
}
