// SPDX-License-Identifier: GPL-3.0-or-later
// "Import/Export": CSV import and export, spreadsheet export, delete all.
#pragma once

#include "exchange/CsvImport.h"

#include <QDateTime>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace kvitanky {

class TForm1;

class ImpExpPage : public QWidget
{
    Q_OBJECT
public:
    explicit ImpExpPage(TForm1 &form);

    // Run whenever the page becomes the selected one: tells whether an application
    // to open the exported workbook is present. The export works either way.
    void CheckExcelAvailable();

    void ButtonExportCsvClick();
    void ButtonImportCsvClick();
    void ButtonImportCsv6Click();
    void ButtonExportXLSClick();
    void Button1Click();

    QPushButton *ButtonExportCsv = nullptr;
    QPushButton *ButtonImportCsv = nullptr;
    QPushButton *ButtonExportXLS = nullptr;
    QPushButton *ButtonImportCsv6 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *LabelExcelComment = nullptr;

    using SpreadsheetProbe = std::function<bool()>;
    void setSpreadsheetProbe(SpreadsheetProbe probe) { m_probe = std::move(probe); }
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

private:
    // The file dialogs: OpenDialog1 for both imports, SaveDialog1 for the export.
    QString chooseFile(bool save);
    void importFile(CsvLayout layout);
    void showMessages(const QStringList &messages, const QString &engineError);

    TForm1 &m_form;
    QString m_openName;   // last file chosen for an import
    QString m_saveName;   // last file chosen for the export
    SpreadsheetProbe m_probe;
    Clock m_clock;
};

} // namespace kvitanky
