// SPDX-License-Identifier: GPL-3.0-or-later
// Read access to the live settings. In the program the controls of the main
// window are the values; tests use a plain map. Asking for a key that is not in
// the key table (SettingKeys.h) throws UnknownSettingKey.
#pragma once

#include <QHash>
#include <QString>

#include <stdexcept>

namespace kvitanky {

enum class WordSpelling;   // render/PriceWords.h

// A setting that must be an integer and is not. The text names the setting.
class SettingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class SettingsAccess
{
public:
    virtual ~SettingsAccess() = default;
    QString text(const QString &key) const;
    bool flag(const QString &key) const;

    // The setting read as an integer (blanks around it allowed); throws SettingError
    // "'<text>' není platné celé císlo (nastavení <key>)" when it is not one.
    int integer(const QString &key) const;

    // How the amount in words is spelled wherever the program makes the words.
    // Kept apart from the key table: the settings file holds it only once chosen.
    virtual WordSpelling wordSpelling() const;

protected:
    // The value of a key of the table.
    virtual QString readText(const QString &key) const = 0;
    virtual bool readFlag(const QString &key) const = 0;
};

// Settings held in a map, initialised with the designed values.
class MapSettings : public SettingsAccess
{
public:
    MapSettings();
    void setText(const QString &key, const QString &value);
    void setFlag(const QString &key, bool value);
    void setWordSpelling(WordSpelling spelling) { m_spelling = spelling; }
    WordSpelling wordSpelling() const override { return m_spelling; }

protected:
    QString readText(const QString &key) const override;
    bool readFlag(const QString &key) const override;

private:
    QHash<QString, QString> m_values;
    WordSpelling m_spelling;
};

} // namespace kvitanky
