// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/AccountParts.h"

#include <QRegularExpression>

namespace kvitanky {

std::optional<AccountParts> splitAccount(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^(?:([0-9]{1,6})-)?([0-9]{1,10})(?:/([0-9]{4}))?$"));
    QString compact = text;
    compact.removeIf([](QChar c) { return c.isSpace(); });
    const QRegularExpressionMatch m = whole.match(compact);
    if (!m.hasMatch() || (!m.hasCaptured(1) && !m.hasCaptured(3)))
        return std::nullopt;
    return AccountParts{m.captured(1), m.captured(2), m.captured(3)};
}

} // namespace kvitanky
