// SPDX-License-Identifier: GPL-3.0-or-later
// The body of the settings-file fuzz target, also run by the tests over its seeds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvitanky {

// Parses the bytes as a settings file, reads every key of the program and a few
// odd ones, writes into it and parses the result again; must never crash, and
// what was written must read back.
int fuzzIniInput(const std::uint8_t *data, std::size_t size);

} // namespace kvitanky
