// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportPreviewDialog.h"

#include "shell/Desktop.h"
#include "text/CzechPlural.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kvitanky {

namespace {

// The column titles of the workbook export.
const char *const Titles[CsvColumnCount] = {"Titul", "Jméno", "Příjmení", "Ulice", "Obec", "PSČ", "Částka",
                                            "Var. symbol", "Spec. symbol", "Telefon", "Email", "Vyřazeno"};

QString rowsWord(int n)
{
    return czechPlural(n, QStringLiteral("řádek"), QStringLiteral("řádky"), QStringLiteral("řádků"));
}

} // namespace

ImportPreviewDialog::ImportPreviewDialog(const CsvPreview &p, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportPreviewDialog"));
    setWindowTitle(QStringLiteral("Import souboru CSV"));
    auto *layout = new QVBoxLayout(this);

    QStringList facts;
    facts << QStringLiteral("Kódování: %1").arg(p.encodingName())
          << QStringLiteral("Oddělovač: %1").arg(p.separatorName())
          << (p.header ? QStringLiteral("Záhlaví: ano, první řádek se neimportuje") : QStringLiteral("Záhlaví: ne"))
          << QStringLiteral("K importu: %1 %2").arg(p.rows).arg(rowsWord(p.rows));
    LabelPreviewFacts = new QLabel(facts.join(QStringLiteral("    ")), this);
    LabelPreviewFacts->setObjectName(QStringLiteral("LabelPreviewFacts"));
    layout->addWidget(LabelPreviewFacts);

    // Only the columns the file fills; the others keep a new row's empty value.
    std::vector<int> shown;
    for (int c = 0; c < CsvColumnCount; ++c)
        if (std::find(p.columnOf.begin(), p.columnOf.end(), c) != p.columnOf.end())
            shown.push_back(c);
    TablePreview = new QTableWidget(int(p.firstRows.size()), int(shown.size()), this);
    TablePreview->setObjectName(QStringLiteral("TablePreview"));
    TablePreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headers;
    for (const int c : shown)
        headers << QString::fromUtf8(Titles[c]);
    TablePreview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < p.firstRows.size(); ++r)
        for (size_t k = 0; k < shown.size(); ++k)
            TablePreview->setItem(r, int(k), new QTableWidgetItem(p.firstRows[r].value(shown[k])));
    TablePreview->resizeColumnsToContents();
    TablePreview->setMinimumSize(760, 300);
    layout->addWidget(TablePreview);

    QStringList problems;
    if (!p.unknownColumns.isEmpty())
        problems << QStringLiteral("Sloupce, které adresář nemá, se neimportují: „%1“.")
                        .arg(p.unknownColumns.join(QStringLiteral("“, „")));
    if (p.stopLine)
        problems << QStringLiteral("Řádek %1: %2. Import skončí před tímto řádkem.").arg(p.stopLine).arg(p.stopReason);
    if (p.amountProblems) {
        problems << QStringLiteral("Částku nelze přečíst nebo je záporná na %1 %2:").arg(p.amountProblems)
                        .arg(p.amountProblems == 1 ? QStringLiteral("řádku") : QStringLiteral("řádcích"));
        problems << p.problems;
        if (p.amountProblems > p.problems.size())
            problems << QStringLiteral("…");
    }
    LabelPreviewProblems = new QLabel(problems.join(QLatin1Char('\n')), this);
    LabelPreviewProblems->setObjectName(QStringLiteral("LabelPreviewProblems"));
    LabelPreviewProblems->setVisible(!problems.isEmpty());
    layout->addWidget(LabelPreviewProblems);

    CheckBoxSkipDuplicates = new QCheckBox(
        QStringLiteral("%1 %2 už v adresáři je: vynechat je").arg(p.duplicates).arg(rowsWord(p.duplicates)), this);
    CheckBoxSkipDuplicates->setObjectName(QStringLiteral("CheckBoxSkipDuplicates"));
    CheckBoxSkipDuplicates->setVisible(p.duplicates > 0 && !p.onlySamples);
    layout->addWidget(CheckBoxSkipDuplicates);

    CheckBoxRemoveSamples = new QCheckBox(
        QStringLiteral("Adresář obsahuje jen čtyři ukázkové adresáty: před importem je odstranit"), this);
    CheckBoxRemoveSamples->setObjectName(QStringLiteral("CheckBoxRemoveSamples"));
    CheckBoxRemoveSamples->setVisible(p.onlySamples);
    layout->addWidget(CheckBoxRemoveSamples);
    // Over the samples the samples go; otherwise rows already there stay out.
    CheckBoxRemoveSamples->setChecked(p.onlySamples);
    CheckBoxSkipDuplicates->setChecked(p.duplicates > 0 && !p.onlySamples);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonPreviewImport = new QPushButton(QStringLiteral("Importovat"), this);
    ButtonPreviewImport->setObjectName(QStringLiteral("ButtonPreviewImport"));
    ButtonPreviewImport->setDefault(true);
    ButtonPreviewImport->setEnabled(p.canImport());
    ButtonPreviewCancel = new QPushButton(QStringLiteral("Zrušit"), this);
    ButtonPreviewCancel->setObjectName(QStringLiteral("ButtonPreviewCancel"));
    buttons->addWidget(ButtonPreviewImport);
    buttons->addWidget(ButtonPreviewCancel);
    layout->addLayout(buttons);
    connect(ButtonPreviewImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonPreviewCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CsvImportOptions ImportPreviewDialog::options() const
{
    CsvImportOptions o;
    o.skipDuplicates = CheckBoxSkipDuplicates->isChecked();
    o.removeSamples = CheckBoxRemoveSamples->isChecked();
    return o;
}

bool ImportPreviewDialog::ask(Desktop &desktop)
{
    return desktop.runDialog(*this) == QDialog::Accepted;
}

} // namespace kvitanky
