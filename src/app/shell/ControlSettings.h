// SPDX-License-Identifier: GPL-3.0-or-later
// The settings as the controls of the main window show them: a control and its
// value always agree because the control is the value.
#pragma once

#include "settings/SettingsAccess.h"

#include <QHash>
#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace kvitanky {

class ControlSettings : public SettingsAccess
{
public:
    void bind(QWidget *root);   // finds the control of every key by its objectName

    // The control of a key of the table; null when no control holds it. A key that
    // is not in the table throws UnknownSettingKey.
    QLineEdit *edit(const QString &key) const;
    QCheckBox *check(const QString &key) const;
    int boundCount() const { return int(m_edits.size() + m_checks.size()); }

    // The check box CheckBoxPriceWordsCzech; designed spelling without it.
    WordSpelling wordSpelling() const override;

protected:
    // A key without its control reads as empty or unchecked.
    QString readText(const QString &key) const override;
    bool readFlag(const QString &key) const override;

private:
    QHash<QString, QLineEdit *> m_edits;
    QHash<QString, QCheckBox *> m_checks;
    QCheckBox *m_czechWords = nullptr;
};

} // namespace kvitanky
