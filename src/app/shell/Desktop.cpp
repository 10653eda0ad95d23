// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QDesktopServices>

namespace kvitanky::ui {
namespace {
OpenUrlHook &hook()
{
    static OpenUrlHook h;
    return h;
}
} // namespace

bool openUrl(const QUrl &url)
{
    if (hook())
        return hook()(url);
    return QDesktopServices::openUrl(url);
}

void setOpenUrlHook(OpenUrlHook h)
{
    hook() = std::move(h);
}

} // namespace kvitanky::ui
