// SPDX-License-Identifier: GPL-3.0-or-later
// The look at a CSV file before its rows are written: the first rows as they will
// land in the columns, the encoding, the separator, whether a header was found, the
// row count, the amounts that cannot be read, the rows already in the table and the
// sample rows of the first start. "Importovat" or "Zrušit".
#pragma once

#include "exchange/CsvImport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kvitanky {

class Desktop;

class ImportPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    ImportPreviewDialog(const CsvPreview &preview, QWidget *parent);

    // The choices as the dialog stands.
    CsvImportOptions options() const;

    QLabel *LabelPreviewFacts = nullptr;
    QTableWidget *TablePreview = nullptr;
    QLabel *LabelPreviewProblems = nullptr;
    QCheckBox *CheckBoxSkipDuplicates = nullptr;     // shown only with duplicates
    QCheckBox *CheckBoxRemoveSamples = nullptr;      // shown only over the sample rows
    QPushButton *ButtonPreviewImport = nullptr;
    QPushButton *ButtonPreviewCancel = nullptr;

    // Shows the dialog through `desktop`; true for "Importovat".
    bool ask(Desktop &desktop);
};

} // namespace kvitanky
