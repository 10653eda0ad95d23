// SPDX-License-Identifier: GPL-3.0-or-later
// "Import/Export": CSV import and export, spreadsheet export, delete all.
#pragma once

#include <QWidget>

namespace kvitanky {

class TForm1;

class ImpExpPage : public QWidget
{
    Q_OBJECT
public:
    explicit ImpExpPage(TForm1 &form);

    void CheckExcelAvailable();

private:
    TForm1 &m_form;
};

} // namespace kvitanky
