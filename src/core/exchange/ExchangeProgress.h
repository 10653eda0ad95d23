// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <functional>

namespace kvitanky {

// Told now and then how far an import or export has come (bytes of the file for an
// import, rows for an export, out of `total`); returns false to stop it there.
using ExchangeProgress = std::function<bool(qint64 done, qint64 total)>;

// How often (in lines or rows) the long operations report their progress.
inline constexpr int ExchangeProgressStep = 1000;

} // namespace kvitanky
