// SPDX-License-Identifier: GPL-3.0-or-later
// One line per measured operation, gathered by bench/run into a single table.
#pragma once

#include <sys/resource.h>

#include <cstdio>

namespace bench {

inline long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// peerSeconds < 0: no peer to compare with.
inline void tableLine(const char *operation, long rows, double ourSeconds, double peerSeconds = -1,
                      long peakKib = peakKiB())
{
    if (peerSeconds >= 0)
        std::printf("BENCH|%s|%ld|%.4f|%.4f|%ld\n", operation, rows, ourSeconds, peerSeconds, peakKib);
    else
        std::printf("BENCH|%s|%ld|%.4f|-|%ld\n", operation, rows, ourSeconds, peakKib);
}

} // namespace bench
