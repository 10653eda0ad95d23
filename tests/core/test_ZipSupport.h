// SPDX-License-Identifier: GPL-3.0-or-later
// Zip files for the workbook tests, written with minizip.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <utility>

namespace ziptest {

// A zip of the given parts, each stored deflated (encrypted with `password` when given).
inline void writeZip(const QString &path, const QList<std::pair<const char *, QByteArray>> &parts,
                      const char *password = nullptr)
{
    zipFile zf = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zf, nullptr);
    for (const auto &[name, data] : parts) {
        zip_fileinfo info{};
        const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
        ASSERT_EQ(zipOpenNewFileInZip3(zf, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0, -MAX_WBITS,
                                       DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, password, crc),
                  ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zf, data.constData(), unsigned(data.size())), ZIP_OK);
        zipCloseFileInZip(zf);
    }
    ASSERT_EQ(zipClose(zf, nullptr), ZIP_OK);
}

} // namespace ziptest
