// SPDX-License-Identifier: GPL-3.0-or-later
// The Czech form of a word after a count: one ("1 kvitance"), a few, 2 to 4
// ("3 kvitance"), and many, 0 and 5 upwards ("5 kvitancí").
#pragma once

#include <QString>

namespace kvitanky {

inline QString czechPlural(int n, const QString &one, const QString &few, const QString &many)
{
    if (n == 1)
        return one;
    if (n >= 2 && n <= 4)
        return few;
    return many;
}

} // namespace kvitanky
