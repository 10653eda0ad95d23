// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that must stay on one line: settings values and the boxes that show them.
#pragma once

#include <QString>

namespace kvitanky {

// `text` with every line break (CR LF, CR or LF) replaced by one blank, as a
// single-line box shows a pasted line break.
QString lineBreaksAsBlanks(const QString &text);

} // namespace kvitanky
