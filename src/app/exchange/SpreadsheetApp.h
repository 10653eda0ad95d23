// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the desktop can open an Excel workbook (.xlsx) in some application.
#pragma once

#include <QString>

namespace kvitanky {

inline const QString XlsxMimeType = QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

// Asks xdg-mime for the default application of the workbook type and checks that
// its .desktop file exists; without xdg-mime, reads the desktop's association
// files (mimeapps.list, mimeinfo.cache) instead.
bool spreadsheetAppAvailable();

// The association files' part of the check, for a given set of folders: the
// configuration folders holding mimeapps.list and the data folders holding
// applications/. Exposed for tests.
bool spreadsheetAppListed(const QStringList &configDirs, const QStringList &dataDirs);

} // namespace kvitanky
