// SPDX-License-Identifier: GPL-3.0-or-later
// The body of the table-file fuzz target, also run by the tests over its seeds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvitanky {

// Opens the bytes as a table file, reads every field of every row, then appends,
// changes and deletes a row and reads the file again. Engine errors are expected;
// anything else (a crash, a sanitizer report, another exception) is a fault.
// Returns 1 when the bytes opened as a table, 0 when they were refused.
int fuzzDbfInput(const uint8_t *data, size_t size);

} // namespace kvitanky
