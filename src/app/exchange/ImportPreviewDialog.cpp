// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportPreviewDialog.h"

#include "shell/Desktop.h"
#include "text/CzechPlural.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kvitanky {

namespace {

// A column's title; one the open table lacks says that its values are not kept.
QString columnTitle(const CsvPreview &p, int column)
{
    const QString title = recipientColumns().at(column).previewTitle;
    if (size_t(column) < p.lacking.size() && p.lacking[size_t(column)])
        return title + QStringLiteral(" (adresář tento sloupec nemá, neuloží se)");
    return title;
}

QString rowsWord(int n)
{
    return czechPlural(n, QStringLiteral("řádek"), QStringLiteral("řádky"), QStringLiteral("řádků"));
}

constexpr int MappingValues = 3;   // first values shown under each file column

} // namespace

ImportPreviewDialog::ImportPreviewDialog(const CsvPreview &p, QWidget *parent, Reread reread)
    : QDialog(parent)
    , m_preview(p)
    , m_reread(std::move(reread))
{
    setObjectName(QStringLiteral("ImportPreviewDialog"));
    setWindowTitle(p.workbook ? QStringLiteral("Import sešitu") : QStringLiteral("Import souboru CSV"));
    auto *layout = new QVBoxLayout(this);

    LabelPreviewFacts = new QLabel(this);
    LabelPreviewFacts->setObjectName(QStringLiteral("LabelPreviewFacts"));
    layout->addWidget(LabelPreviewFacts);

    // A workbook of several sheets: the sheet whose rows are read.
    auto *sheetRow = new QHBoxLayout;
    LabelSheet = new QLabel(QStringLiteral("List sešitu:"), this);
    LabelSheet->setObjectName(QStringLiteral("LabelSheet"));
    ComboSheet = new QComboBox(this);
    ComboSheet->setObjectName(QStringLiteral("ComboSheet"));
    ComboSheet->addItems(p.sheetNames);
    ComboSheet->setCurrentIndex(p.sheet);
    ComboSheet->setEnabled(bool(m_reread));
    LabelSheet->setBuddy(ComboSheet);
    sheetRow->addWidget(LabelSheet);
    sheetRow->addWidget(ComboSheet);
    sheetRow->addStretch();
    layout->addLayout(sheetRow);
    LabelSheet->setVisible(p.sheetNames.size() > 1);
    ComboSheet->setVisible(p.sheetNames.size() > 1);
    connect(ComboSheet, &QComboBox::currentIndexChanged, this, &ImportPreviewDialog::sheetChanged);

    TableMapping = new QTableWidget(this);
    TableMapping->setObjectName(QStringLiteral("TableMapping"));
    TableMapping->setEditTriggers(QAbstractItemView::NoEditTriggers);
    showMapping();
    layout->addWidget(TableMapping);

    TablePreview = new QTableWidget(this);
    TablePreview->setObjectName(QStringLiteral("TablePreview"));
    TablePreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TablePreview->setMinimumSize(760, 260);
    layout->addWidget(TablePreview);

    LabelPreviewProblems = new QLabel(this);
    LabelPreviewProblems->setObjectName(QStringLiteral("LabelPreviewProblems"));
    layout->addWidget(LabelPreviewProblems);

    CheckBoxThousands = new QCheckBox(
        QStringLiteral("Částky jako „2.500“ nebo „1,234“ jsou v tisících (2 500, 1 234), ne s desetinnou čárkou"), this);
    CheckBoxThousands->setObjectName(QStringLiteral("CheckBoxThousands"));
    CheckBoxThousands->setChecked(p.thousands);
    CheckBoxThousands->setEnabled(bool(m_reread));
    connect(CheckBoxThousands, &QCheckBox::toggled, this, &ImportPreviewDialog::choiceChanged);
    layout->addWidget(CheckBoxThousands);

    LabelNoAmount = new QLabel(
        QStringLiteral("Pozor: žádný sloupec souboru nejde do sloupce Částka, složenky budou bez částky."), this);
    LabelNoAmount->setObjectName(QStringLiteral("LabelNoAmount"));
    layout->addWidget(LabelNoAmount);

    CheckBoxSkipDuplicates = new QCheckBox(this);
    CheckBoxSkipDuplicates->setObjectName(QStringLiteral("CheckBoxSkipDuplicates"));
    layout->addWidget(CheckBoxSkipDuplicates);

    CheckBoxSkipRepeats = new QCheckBox(this);
    CheckBoxSkipRepeats->setObjectName(QStringLiteral("CheckBoxSkipRepeats"));
    layout->addWidget(CheckBoxSkipRepeats);

    CheckBoxRemoveSamples = new QCheckBox(
        QStringLiteral("Adresář obsahuje jen čtyři ukázkové adresáty: před importem je odstranit"), this);
    CheckBoxRemoveSamples->setObjectName(QStringLiteral("CheckBoxRemoveSamples"));
    layout->addWidget(CheckBoxRemoveSamples);
    const CsvImportOptions proposed = p.proposedOptions();
    CheckBoxRemoveSamples->setChecked(proposed.removeSamples);
    CheckBoxSkipDuplicates->setChecked(proposed.skipDuplicates);
    CheckBoxSkipRepeats->setChecked(proposed.skipRepeats);
    // The table rows named follow what is left out.
    for (QCheckBox *box : {CheckBoxRemoveSamples, CheckBoxSkipDuplicates, CheckBoxSkipRepeats})
        connect(box, &QCheckBox::toggled, this, &ImportPreviewDialog::showPlaces);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonPreviewImport = new QPushButton(QStringLiteral("Importovat"), this);
    ButtonPreviewImport->setObjectName(QStringLiteral("ButtonPreviewImport"));
    ButtonPreviewImport->setDefault(true);
    ButtonPreviewCancel = new QPushButton(QStringLiteral("Zrušit"), this);
    ButtonPreviewCancel->setObjectName(QStringLiteral("ButtonPreviewCancel"));
    buttons->addWidget(ButtonPreviewImport);
    buttons->addWidget(ButtonPreviewCancel);
    layout->addLayout(buttons);
    connect(ButtonPreviewImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonPreviewCancel, &QPushButton::clicked, this, &QDialog::reject);
    showPreview();
}

void ImportPreviewDialog::showMapping()
{
    const CsvPreview &p = m_preview;
    // The file's columns: what each fills, its header and first values.
    int fileColumns = p.fileColumns;
    for (const QStringList &fields : p.firstFields)
        fileColumns = std::max(fileColumns, int(fields.size()));
    const int headRows = p.header ? 2 : 1;
    TableMapping->clear();
    qDeleteAll(ComboMapping);
    ComboMapping.clear();
    TableMapping->setRowCount(headRows + MappingValues);
    TableMapping->setColumnCount(fileColumns);
    QStringList rowTitles{QStringLiteral("Do sloupce")};
    if (p.header)
        rowTitles << QStringLiteral("Záhlaví");
    for (int r = 0; r < MappingValues; ++r)
        rowTitles << QString::number(r + 1) + QStringLiteral(". hodnota");
    TableMapping->setVerticalHeaderLabels(rowTitles);
    for (int k = 0; k < fileColumns; ++k) {
        auto *combo = new QComboBox(TableMapping);
        combo->setObjectName(QStringLiteral("ComboMapping%1").arg(k + 1));
        combo->addItem(QStringLiteral("nepoužít"), -1);
        for (int c = 0; c < CsvColumnCount; ++c)
            combo->addItem(columnTitle(p, c), c);
        const int mapped = size_t(k) < p.columnOf.size() ? p.columnOf[size_t(k)] : -1;
        combo->setCurrentIndex(std::max(0, combo->findData(mapped)));
        combo->setEnabled(bool(m_reread));
        TableMapping->setCellWidget(0, k, combo);
        ComboMapping << combo;
        if (p.header)
            TableMapping->setItem(1, k, new QTableWidgetItem(p.headerNames.value(k)));
        for (int r = 0; r < MappingValues; ++r)
            TableMapping->setItem(headRows + r, k, new QTableWidgetItem(p.firstFields.value(r).value(k)));
        connect(combo, &QComboBox::currentIndexChanged, this, &ImportPreviewDialog::choiceChanged);
    }
    TableMapping->resizeColumnsToContents();
    TableMapping->setMinimumHeight(TableMapping->verticalHeader()->length() + TableMapping->horizontalHeader()->height() + 4);
}

CsvChoices ImportPreviewDialog::choices() const
{
    CsvChoices c;
    for (const QComboBox *combo : ComboMapping)
        c.columnOf.push_back(combo->currentData().toInt());
    c.thousands = CheckBoxThousands->isChecked();
    c.sheet = std::max(0, ComboSheet->currentIndex());
    return c;
}

void ImportPreviewDialog::choiceChanged()
{
    if (!m_reread)
        return;
    m_preview = m_reread(choices());
    showPreview();
}

void ImportPreviewDialog::sheetChanged()
{
    if (!m_reread)
        return;
    // Another sheet has columns of its own: they are mapped as found.
    CsvChoices c = choices();
    c.columnOf.clear();
    m_preview = m_reread(c);
    showMapping();
    showPreview();
}

void ImportPreviewDialog::showPreview()
{
    const CsvPreview &p = m_preview;
    QStringList facts;
    if (p.workbook)
        facts << QStringLiteral("List sešitu: „%1“").arg(p.sheetNames.value(p.sheet));
    else
        facts << QStringLiteral("Kódování: %1").arg(p.encodingName()) << QStringLiteral("Oddělovač: %1").arg(p.separatorName());
    facts << (!p.header ? QStringLiteral("Záhlaví: ne")
              : p.headerLine == 1 ? QStringLiteral("Záhlaví: ano, první řádek se neimportuje")
                                  : QStringLiteral("Záhlaví: ano, řádek souboru %1 se neimportuje").arg(p.headerLine))
          << QStringLiteral("K importu: %1 %2").arg(p.rows).arg(rowsWord(p.rows));
    LabelPreviewFacts->setText(facts.join(QStringLiteral("    ")));

    // Only the columns the file fills; the others keep a new row's empty value.
    // Each row is headed by its line in the file.
    std::vector<int> shown;
    for (int c = 0; c < CsvColumnCount; ++c)
        if (std::find(p.columnOf.begin(), p.columnOf.end(), c) != p.columnOf.end())
            shown.push_back(c);
    TablePreview->clear();
    TablePreview->setRowCount(int(p.firstRows.size()));
    TablePreview->setColumnCount(int(shown.size()));
    QStringList headers;
    for (const int c : shown)
        headers << columnTitle(p, c);
    TablePreview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < p.firstRows.size(); ++r)
        for (size_t k = 0; k < shown.size(); ++k)
            TablePreview->setItem(r, int(k), new QTableWidgetItem(p.firstRows[r].value(shown[k])));
    TablePreview->resizeColumnsToContents();
    showPlaces();

    CheckBoxThousands->setVisible(p.ambiguousAmounts > 0 || p.thousands);
    LabelNoAmount->setVisible(!p.amountMapped && p.rows > 0);
    CheckBoxSkipDuplicates->setText(
        QStringLiteral("%1 %2 už v adresáři je: vynechat je").arg(p.duplicates).arg(rowsWord(p.duplicates)));
    CheckBoxSkipDuplicates->setVisible(p.duplicates > 0 && !p.onlySamples);
    CheckBoxSkipRepeats->setText(QStringLiteral("%1 %2 opakuje dřívější řádek souboru: vynechat je")
                                     .arg(p.repeats).arg(rowsWord(p.repeats)));
    CheckBoxSkipRepeats->setVisible(p.repeats > 0);
    CheckBoxRemoveSamples->setVisible(p.onlySamples);
    ButtonPreviewImport->setEnabled(p.canImport());
}

void ImportPreviewDialog::showPlaces()
{
    const CsvPreview &p = m_preview;
    const CsvImportOptions o = options();
    QStringList places;
    for (int r = 0; r < p.firstRows.size(); ++r)
        places << p.rowPlace(r, o);
    TablePreview->setVerticalHeaderLabels(places);

    QStringList problems;
    for (const int line : p.captionLines)
        problems << QStringLiteral("Řádek souboru %1 je nadpis nad řádky adresátů; neimportuje se.").arg(line);
    if (!p.unknownColumns.isEmpty())
        problems << QStringLiteral("Sloupce, které adresář nemá, se neimportují: „%1“.")
                        .arg(p.unknownColumns.join(QStringLiteral("“, „")));
    if (p.stopLine)
        problems << QStringLiteral("Řádek souboru %1: %2. Import skončí před tímto řádkem.").arg(p.stopLine).arg(p.stopReason);
    problems << p.repeatTexts(o);
    if (p.repeats > p.repeatNotes.size())
        problems << QStringLiteral("…");
    if (p.amountProblems) {
        problems << CsvUncertainRowsText(p.amountProblems);
        problems << p.problemTexts(o);
        if (p.amountProblems > p.problems.size())
            problems << QStringLiteral("…");
    }
    LabelPreviewProblems->setText(problems.join(QLatin1Char('\n')));
    LabelPreviewProblems->setVisible(!problems.isEmpty());
}

CsvImportOptions ImportPreviewDialog::options() const
{
    CsvImportOptions o;
    o.skipDuplicates = m_preview.duplicates > 0 && CheckBoxSkipDuplicates->isChecked();
    o.skipRepeats = m_preview.repeats > 0 && CheckBoxSkipRepeats->isChecked();
    o.removeSamples = CheckBoxRemoveSamples->isChecked();
    return o;
}

bool ImportPreviewDialog::ask(Desktop &desktop)
{
    return desktop.runDialog(*this) == QDialog::Accepted;
}

} // namespace kvitanky
