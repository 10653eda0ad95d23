// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrinterCalibrations.h"

#include "settings/IniFile.h"

#include <QStringList>

namespace kvitanky {

const QString PrinterCalibrations::Section = QStringLiteral("CALIBRATION_PRINTERS");

QString CalibrationValues::toText() const
{
    return QStringLiteral("%1;%2;%3;%4").arg(printWidth).arg(printHeight).arg(shiftX).arg(shiftY);
}

std::optional<CalibrationValues> CalibrationValues::fromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
    }
    return CalibrationValues{v[0], v[1], v[2], v[3]};
}

QString PrinterCalibrations::keyFor(const QString &printer)
{
    // The file is Windows-1250 and matches keys without regard to case; "=" ends a
    // key, ";" and "[" begin a comment or a section, blanks around a key are dropped.
    // Everything outside plain ASCII letters, digits and a few marks is written as
    // the %XX bytes of its UTF-8 form.
    QString key;
    const QByteArray utf8 = printer.toUtf8();
    for (int i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                           || c == '_' || c == '-' || c == '.' || c == '(' || c == ')' || c == '@' || c == ':'
                           || (c == ' ' && i > 0 && i + 1 < utf8.size());
        if (plain)
            key += QLatin1Char(c);
        else
            key += QStringLiteral("%%1").arg(uint(quint8(c)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return key;
}

std::optional<CalibrationValues> PrinterCalibrations::valuesFor(const QString &printer) const
{
    const auto it = m_remembered.constFind(printer);
    if (it != m_remembered.constEnd())
        return *it;
    if (!m_file || printer.isEmpty())
        return std::nullopt;
    return CalibrationValues::fromText(m_file->readString(Section, keyFor(printer), QString()));
}

void PrinterCalibrations::remember(const QString &printer, const CalibrationValues &values)
{
    if (!printer.isEmpty())
        m_remembered.insert(printer, values);
}

void PrinterCalibrations::save(IniFile &file, const QString &currentPrinter,
                               const std::optional<CalibrationValues> &current)
{
    if (current && !currentPrinter.isEmpty()
        && (!m_remembered.isEmpty() || file.hasKey(Section, keyFor(currentPrinter))))
        m_remembered.insert(currentPrinter, *current);
    for (auto it = m_remembered.constBegin(); it != m_remembered.constEnd(); ++it)
        file.writeString(Section, keyFor(it.key()), it.value().toText());
}

} // namespace kvitanky
