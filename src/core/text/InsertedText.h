// SPDX-License-Identifier: GPL-3.0-or-later
// What one edit of a box put in, from the box's text before and after it.
#pragma once

#include <QString>

namespace kvitanky {

// What lies in `after` between the start and the end it has in common with
// `before`: the character typed, the text pasted ("" for a deletion).
QString insertedText(const QString &before, const QString &after);

} // namespace kvitanky
