// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipPictures.h"

#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

namespace kvitanky {

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw SlipPictureError(QStringLiteral("Nelze nacíst obrázek '%1': %2").arg(path, reason).toStdString());
}

} // namespace

QImage SlipPictureCache::load(const QString &path, QSize size)
{
    // Every composition asks, so this is one stat() call and nothing more (file
    // times as dates would read the time zone each time).
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        fail(path, QStringLiteral("soubor neexistuje."));
    if (!S_ISREG(st.st_mode))
        fail(path, QStringLiteral("není to soubor."));

    const Stamp stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec),
                      qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)};
    const auto it = m_entries.constFind(path);
    if (it != m_entries.constEnd() && it->stamp == stamp && it->size == size)
        return it->image;

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    ++m_decodeCount;
    if (image.isNull())
        fail(path, QStringLiteral("soubor není citelný obrázek."));
    // Painting on RGB32 is fast and keeps the 24-bit colours of the bitmaps.
    image = image.convertToFormat(QImage::Format_RGB32);
    if (size.isValid() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    m_entries.insert(path, Entry{stamp, size, image});
    return image;
}

} // namespace kvitanky
