// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the settings-file parser and writer.
#include "settings/IniFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return kvitanky::fuzzIniInput(data, size);
}
