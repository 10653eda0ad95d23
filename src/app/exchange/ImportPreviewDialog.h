// SPDX-License-Identifier: GPL-3.0-or-later
// The look at a CSV file before its rows are written: the first rows as they will
// land in the columns, the encoding, the separator, whether a header was found, the
// row count, the amounts that cannot be read, the rows already in the table and the
// sample rows of the first start. Each column of the file, with its header and first
// values, has a choice of the table column it fills ("nepoužít" included); the rows
// shown follow a change at once. A workbook of several sheets has a choice of the
// sheet. Each row is named by its line in the file and the table row it becomes.
// "Importovat" or "Zrušit".
#pragma once

#include "exchange/CsvImport.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kvitanky {

class Desktop;

class ImportPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    // `reread` reads the file again with the user's choices (column mapping, the
    // reading of "2.500"); without it the choices cannot be changed.
    using Reread = std::function<CsvPreview(const CsvChoices &)>;
    ImportPreviewDialog(const CsvPreview &preview, QWidget *parent, Reread reread = {});

    // The choices as the dialog stands.
    CsvImportOptions options() const;
    CsvChoices choices() const;
    // The file as last read, with the choices.
    const CsvPreview &preview() const { return m_preview; }

    QLabel *LabelPreviewFacts = nullptr;
    QTableWidget *TablePreview = nullptr;
    QLabel *LabelPreviewProblems = nullptr;
    QLabel *LabelSheet = nullptr;
    QComboBox *ComboSheet = nullptr;                // the workbook's sheet; shown only with several
    QTableWidget *TableMapping = nullptr;           // per file column: the choice, header, first values
    QList<QComboBox *> ComboMapping;                // "ComboMapping1", … per file column
    QCheckBox *CheckBoxThousands = nullptr;         // shown only with amounts like "2.500"
    QLabel *LabelNoAmount = nullptr;                // shown when no column fills the amount
    QCheckBox *CheckBoxSkipDuplicates = nullptr;     // shown only with duplicates
    QCheckBox *CheckBoxSkipRepeats = nullptr;        // shown only with rows repeating earlier ones
    QCheckBox *CheckBoxRemoveSamples = nullptr;      // shown only over the sample rows
    QPushButton *ButtonPreviewImport = nullptr;
    QPushButton *ButtonPreviewCancel = nullptr;

    // Shows the dialog through `desktop`; true for "Importovat".
    bool ask(Desktop &desktop);

private:
    void choiceChanged();
    void sheetChanged();
    void showMapping();
    void showPreview();
    void showPlaces();   // the file's lines and table rows named, as the options stand

    CsvPreview m_preview;
    Reread m_reread;
};

} // namespace kvitanky
