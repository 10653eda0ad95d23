// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-offs to the desktop (links, files opened in their default application);
// tests capture them instead of opening anything.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace kvitanky::ui {

// Opens a web address, a mailto: address or a local file through the desktop's
// handler. Returns whether the desktop took it.
bool openUrl(const QUrl &url);

using OpenUrlHook = std::function<bool(const QUrl &)>;
void setOpenUrlHook(OpenUrlHook hook);

} // namespace kvitanky::ui
