// SPDX-License-Identifier: GPL-3.0-or-later
// The slip pictures beside the program, decoded once and kept while their files
// stay the same: a print job composes thousands of slips and must not decode a
// bitmap for each of them.
#pragma once

#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>

#include <stdexcept>

namespace kvitanky {

inline const QString SlipPictureFile = QStringLiteral("IMAGE.bmp");
inline const QString CleanPictureFile = QStringLiteral("IMAGEclean.bmp");
inline const QString CalibrationPictureFile = QStringLiteral("CALIBRAT5x5.bmp");

// A picture file that is missing or cannot be decoded; the text names the file.
class SlipPictureError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class SlipPictureCache
{
public:
    // The decoded picture of the file. A file is decoded again only when its size,
    // modification time or status change time changed since the last load (the
    // last one catches a file replaced within the same second). With a non-empty size the
    // picture is scaled to it (a replaced picture of another size must still map
    // layout units to pixels). Throws SlipPictureError.
    QImage load(const QString &path, QSize size = QSize());

    // How many times a file was actually decoded (for the tests and benchmarks).
    int decodeCount() const { return m_decodeCount; }

private:
    // What the file system says of a file, to the nanosecond.
    struct Stamp {
        qint64 fileSize = -1;
        qint64 modifiedSeconds = 0;
        qint64 modifiedNanoseconds = 0;
        qint64 changedSeconds = 0;
        qint64 changedNanoseconds = 0;
        bool operator==(const Stamp &) const = default;
    };
    struct Entry {
        Stamp stamp;
        QSize size;
        QImage image;
    };
    QHash<QString, Entry> m_entries;
    int m_decodeCount = 0;
};

} // namespace kvitanky
