// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InsertedText.h"

#include <algorithm>

namespace kvitanky {

QString insertedText(const QString &before, const QString &after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype start = 0;
    while (start < shorter && before[start] == after[start])
        ++start;
    qsizetype end = 0;
    while (end < shorter - start && before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    return after.mid(start, after.size() - start - end);
}

} // namespace kvitanky
