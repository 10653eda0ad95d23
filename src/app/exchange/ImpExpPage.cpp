// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImpExpPage.h"

#include "data/RecipientPage.h"
#include "exchange/CsvExport.h"
#include "exchange/ImportPreviewDialog.h"
#include "exchange/SpreadsheetApp.h"
#include "exchange/XlsxExport.h"
#include "print/JobProgress.h"
#include "shell/Desktop.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "shell/PageControls.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kvitanky {

namespace {

const QStringList CsvFilters = {QStringLiteral("Soubory CSV (*.CSV)"), QStringLiteral("Všechny soubory (*)")};
// The import also reads the first sheet of a workbook.
const QStringList ImportFilters = {QStringLiteral("Soubory CSV (*.CSV)"), QStringLiteral("Sešity (*.xlsx *.ods)"),
                                   QStringLiteral("Všechny soubory (*)")};
const QString CsvSuffix = QStringLiteral("CSV");

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

ImpExpPage::ImpExpPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetImpExp");

    QGroupBox *page = ui::groupBox(this, "GroupBoxImpExp", QString(), 12, 16, 797, 449);
    QGroupBox *box = ui::groupBox(page, "GroupBoxImportExportAdr", " Import a export adresáre ", 28, 23, 741, 402);

    ButtonExportCsv = ui::button(box, "ButtonExportCsv", "Export CSV", 36, 39, 104);
    ButtonImportCsv = ui::button(box, "ButtonImportCsv", "Import CSV", 36, 94, 104);
    ButtonExportXLS = ui::button(box, "ButtonExportXLS", "Export Excel", 36, 148, 104);
    ui::label(box, "Pro Excel Windows XP (r. 2002)", 168, 160, "LabelExportXLS");
    LabelExcelComment = ui::label(box, "LabelExcelComment", 388, 160, "LabelExcelComment");
    ButtonImportCsv6 = ui::button(box, "ButtonImportCsv6", "Import CSV 6", 36, 200, 104);
    ui::label(box, "Pro CSV ve formátu: [Príjmení;  Jméno; PSC; Místo; Ulice; Cástka]", 168, 212, "LabelImportCSV6");
    Button1 = ui::button(box, "Button1", "Vymazat data", 36, 256, 104);
    ui::label(box, "Vymazat všechna data z adresáre", 168, 264, "LabelImpExpDelAllData");

    setTabOrder(ButtonImportCsv6, ButtonExportXLS);
    setTabOrder(ButtonExportXLS, ButtonImportCsv);
    setTabOrder(ButtonImportCsv, ButtonExportCsv);
    setTabOrder(ButtonExportCsv, Button1);

    const auto handle = [this](QPushButton *button, void (ImpExpPage::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { m_form.guard([&] { (this->*handler)(); }); });
    };
    handle(ButtonExportCsv, &ImpExpPage::ButtonExportCsvClick);
    handle(ButtonImportCsv, &ImpExpPage::ButtonImportCsvClick);
    handle(ButtonExportXLS, &ImpExpPage::ButtonExportXLSClick);
    handle(ButtonImportCsv6, &ImpExpPage::ButtonImportCsv6Click);
    handle(Button1, &ImpExpPage::Button1Click);
}

void ImpExpPage::CheckExcelAvailable()
{
    const bool present = m_probe ? m_probe() : spreadsheetAppAvailable();
    LabelExcelComment->setText(present ? QStringLiteral("Excel je nainstalován")
                                       : QStringLiteral("Excel není pravdepodobne nainstalován"));
    LabelExcelComment->adjustSize();
    // The workbook is written by the program itself; only opening it needs Excel.
    ButtonExportXLS->setEnabled(true);
}

QString ImpExpPage::chooseFile(bool save)
{
    FileRequest request;
    request.save = save;
    request.objectName = save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1");
    request.filters = save ? CsvFilters : ImportFilters;
    request.defaultSuffix = CsvSuffix;
    if (save)
        request.proposed = m_saveName.isEmpty() ? m_form.programFile(QStringLiteral("DataKvitanky")) : m_saveName;
    else
        request.proposed = m_openName.isEmpty() ? m_form.ProgramDir + QLatin1Char('/') : m_openName;
    // A name that does not exist is accepted; the import then reports it.
    return m_form.desktop().fileName(&m_form, request);
}

void ImpExpPage::showMessages(const QStringList &messages, const QString &engineError)
{
    for (const QString &m : messages) {
        if (!engineError.isEmpty() && m == engineError)
            ui::error(m_form.desktop(), &m_form, m);
        else
            ui::information(m_form.desktop(), &m_form, m);
    }
}

void ImpExpPage::importFile(CsvLayout layout)
{
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return;
    m_openName = path;

    // The columns as the user mapped them the last time this header came: offered
    // whenever a reading finds a header and no mapping is chosen yet (the first
    // reading, another sheet of a workbook).
    const QString memory =
        QFileInfo(m_form.TableData.tableName()).absoluteDir().filePath(QStringLiteral("SloupceImportu.ini"));
    const auto recalled = [&](CsvPreview read, CsvChoices choices) {
        if (choices.columnOf.empty() && read.canImport() && read.header) {
            choices.columnOf = RecallCsvColumns(memory, read.headerNames);
            if (!choices.columnOf.empty() && choices.columnOf != read.columnOf)
                read = PreviewCsvFile(path, m_form.TableData, layout, {}, choices);
        }
        return read;
    };

    // One reading to count and check the file, then the user decides.
    CsvPreview preview;
    {
        JobProgress progress(&m_form, QStringLiteral("Čtení souboru ") + native(path), QFileInfo(path).size());
        preview = PreviewCsvFile(path, m_form.TableData, layout, progress.callback());
    }
    if (preview.cancelled)
        return;
    preview = recalled(std::move(preview), {});
    CsvImportOptions options;
    if (preview.canImport()) {
        ImportPreviewDialog dialog(preview, &m_form, [&](const CsvChoices &choices) {
            return recalled(PreviewCsvFile(path, m_form.TableData, layout, {}, choices), choices);
        });
        if (!dialog.ask(m_form.desktop()))
            return;
        options = dialog.options();
        preview = dialog.preview();
        if (preview.header)
            RememberCsvColumns(memory, preview.headerNames, dialog.choices().columnOf);
    }

    CsvImportResult result;
    {
        JobProgress progress(&m_form, QStringLiteral("Import souboru ") + native(path), QFileInfo(path).size());
        result = ImportPreviewedCsv(preview, m_form.TableData, options, progress.callback());
    }
    if (result.rows > 0 || result.removedSamples || !result.engineError.isEmpty())
        m_form.TablesChanged();
    showMessages(CsvImportMessages(result, native(path), layout), result.engineError);
}

void ImpExpPage::ButtonImportCsvClick()
{
    importFile(CsvLayout::Full);
}

void ImpExpPage::ButtonImportCsv6Click()
{
    importFile(CsvLayout::SixColumns);
}

void ImpExpPage::ButtonExportCsvClick()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    m_saveName = path;

    CsvExportResult result;
    {
        JobProgress progress(&m_form, QStringLiteral("Export do souboru ") + native(path),
                             m_form.TableData.recordCount());
        result = ExportCsvFile(path, m_form.TableData, progress.callback());
    }
    m_form.TablesChanged();   // the cursor went through the table
    if (result.cancelled) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Export byl zrušen, soubor nebyl zapsán."));
        return;
    }
    showMessages(CsvExportMessages(result, native(path)), result.engineError);
}

void ImpExpPage::ButtonExportXLSClick()
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QString path = XlsxExportPath(m_form.ProgramDir, now);

    XlsxExportResult result;
    {
        JobProgress progress(&m_form, QStringLiteral("Export do souboru ") + native(path),
                             m_form.TableData.recordCount());
        result = ExportXlsxFile(path, m_form.TableData, progress.callback());
    }
    m_form.TablesChanged();
    if (result.cancelled) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Export byl zrušen, sešit nebyl zapsán."));
        return;
    }
    if (!result.error.isEmpty()) {
        ui::error(m_form.desktop(), &m_form, result.error);
        return;
    }
    // The desktop's opener may report success without any application for the
    // workbook (xdg-open does): then only the file's place is told.
    const bool application = m_probe ? m_probe() : spreadsheetAppAvailable();
    if (!application || !m_form.desktop().openUrl(QUrl::fromLocalFile(path)))
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Sešit byl uložen do souboru ") + native(path)
                                                       + QStringLiteral(".\nAplikaci pro jeho otevrení se nepodarilo spustit."));
}

void ImpExpPage::Button1Click()
{
    m_form.TabSheetData->DeleteAllRecipients();
}

} // namespace kvitanky
