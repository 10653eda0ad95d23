// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipPictures.h"

#include <QFileInfo>
#include <QImageReader>

namespace kvitanky {

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw SlipPictureError(QStringLiteral("Nelze nacíst obrázek '%1': %2").arg(path, reason).toStdString());
}

} // namespace

QImage SlipPictureCache::load(const QString &path, QSize size)
{
    const QFileInfo info(path);
    if (!info.exists())
        fail(path, QStringLiteral("soubor neexistuje."));
    if (!info.isFile())
        fail(path, QStringLiteral("není to soubor."));

    const qint64 fileSize = info.size();
    const QDateTime modified = info.lastModified();
    const QDateTime changed = info.metadataChangeTime();
    const auto it = m_entries.constFind(path);
    if (it != m_entries.constEnd() && it->fileSize == fileSize && it->modified == modified && it->changed == changed
        && it->size == size)
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

    m_entries.insert(path, Entry{fileSize, modified, changed, size, image});
    return image;
}

} // namespace kvitanky
