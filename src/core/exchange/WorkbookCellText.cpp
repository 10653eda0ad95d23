// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/WorkbookCellText.h"

#include <QDate>
#include <QLocale>

#include <cmath>

namespace kvitanky::workbook {

namespace {

QString dateText(const QDate &d)
{
    return d.isValid() ? QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year()) : QString();
}

} // namespace

QString numberText(const QString &raw, bool *ok)
{
    const double v = QLocale::c().toDouble(raw.trimmed(), ok);
    if (!*ok || !std::isfinite(v)) {
        *ok = false;
        return raw;
    }
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    const int before = std::fabs(v) < 1 ? 1 : int(std::floor(std::log10(std::fabs(v)))) + 1;
    QString s = QString::number(v, 'f', qBound(0, 15 - before, 30));
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString isoDateText(const QString &iso)
{
    const QDate d = QDate::fromString(iso.left(10), Qt::ISODate);
    return d.isValid() ? dateText(d) : iso;
}

QString serialDateText(const QString &raw, bool date1904)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(raw, &ok);
    if (!ok || !std::isfinite(v) || v < 1 || v > 2958465)
        return QString();
    return dateText((date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30)).addDays(qint64(std::floor(v))));
}

} // namespace kvitanky::workbook
