// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole file of bounded size into memory.
#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

namespace kvitanky {

// Reads `device` to its end, but no more than limit + 1 bytes (one more than the
// limit, so that the caller sees a file that outgrew it). `expected` is the size
// the caller saw before opening; the buffer is sized for it, not for the limit:
// QIODevice::read(n) allocates n bytes whatever the file holds.
inline QByteArray ReadBounded(QIODevice &device, qint64 expected, qint64 limit)
{
    QByteArray bytes = device.read(std::clamp<qint64>(expected, 0, limit) + 1);
    while (bytes.size() <= limit) {
        const QByteArray more = device.read(std::min<qint64>(qint64(1) << 20, limit + 1 - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    return bytes;
}

} // namespace kvitanky
