// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration of every printer the user has printed with.
//
// The CALIBRATION section of the settings file holds the values of the printer in
// use (other programs read it there). Besides it, the section
// CALIBRATION_PRINTERS keeps one line per printer: the printer's name (characters
// that an INI key cannot hold written as %XX) = "width;height;shiftX;shiftY".
// A settings file without that section is read as before, and it gets the
// section only once a second printer's values are to be kept.
#pragma once

#include <QMap>
#include <QString>

#include <optional>

namespace kvitanky {

class IniFile;

// The four values of the settings file's CALIBRATION section.
struct CalibrationValues {
    int printWidth = 4900;   // printer pixels
    int printHeight = 2350;
    int shiftX = -1;         // layout units
    int shiftY = 1;

    bool operator==(const CalibrationValues &) const = default;

    // "4900;2350;-1;1"
    QString toText() const;
    // Four integers separated by ";"; anything else gives nothing.
    static std::optional<CalibrationValues> fromText(const QString &text);
};

class PrinterCalibrations
{
public:
    static const QString Section;

    // The key of a printer's line.
    static QString keyFor(const QString &printer);

    // The file read for printers that nothing has been remembered for this run.
    void setFile(const IniFile *file) { m_file = file; }

    // The printer's values: remembered in this run, or else from the file. A line
    // that does not hold four integers counts as none.
    std::optional<CalibrationValues> valuesFor(const QString &printer) const;
    // Keeps a printer's values until the next save.
    void remember(const QString &printer, const CalibrationValues &values);

    // Part of saving all settings: the current printer's values are taken as its
    // own when the file already keeps them or other printers are remembered; then
    // every remembered printer is written.
    void save(IniFile &file, const QString &currentPrinter, const std::optional<CalibrationValues> &current);

private:
    const IniFile *m_file = nullptr;
    QMap<QString, CalibrationValues> m_remembered;   // sorted: the file gets its lines in one order
};

} // namespace kvitanky
