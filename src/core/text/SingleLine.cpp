// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleLine.h"

namespace kvitanky {

QString lineBreaksAsBlanks(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String(" "));
    out.replace(u'\r', u' ');
    out.replace(u'\n', u' ');
    return out;
}

} // namespace kvitanky
