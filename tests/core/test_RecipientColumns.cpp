// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "exchange/CsvColumns.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"
#include "exchange/XlsxExport.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

// A table of the program's columns but `lacking` (-1: none), holding one row.
void makeTable(DbfTable &t, const QString &path, int lacking)
{
    t.setTableName(path);
    t.clearFieldDefs();
    for (int c = 0; c < RecipientColumnCount; ++c)
        if (c != lacking) {
            const FieldDef f = recipientColumns().at(c).field();
            t.addFieldDef(f.name, f.type, f.size);
        }
    t.createTable();
    t.setActive(true);
    t.append();
    for (int c = 0; c < RecipientColumnCount; ++c) {
        if (c == lacking)
            continue;
        const TableColumnDef &d = recipientColumns().at(c);
        DbfField f = t.fieldByName(d.name);
        if (d.type == FieldType::Float)
            f.setAsFloat(1234.5);
        else if (d.type == FieldType::Smallint)
            f.setAsInteger(1);
        else
            f.setAsString(QStringLiteral("%1 %2").arg(c + 1).arg(d.previewTitle));
    }
    t.post();
}

TEST(RecipientColumns, EveryNameOfAColumnNamesItInAHeader)
{
    for (int c = 0; c < RecipientColumnCount; ++c) {
        const TableColumnDef &d = recipientColumns().at(c);
        for (const QString &name : QStringList{d.name, d.sheetTitle, d.previewTitle, d.caption} + d.aliases)
            EXPECT_EQ(CsvColumnForName(name), c) << name.toStdString();
    }
}

// An older or foreign table without one of the columns: the exports write it
// empty; the import's preview names an optional one as not kept.
TEST(RecipientColumns, TableLackingAColumnExportsAndImports)
{
    TempDir dir;
    DbfTable full;
    makeTable(full, dir.file(QStringLiteral("Full.dbf")), -1);
    const QString fullCsv = dir.file(QStringLiteral("full.csv"));
    ASSERT_EQ(ExportCsvFile(fullCsv, full).rows, 1);
    const QByteArray fullLine = testsupport::readFile(fullCsv);

    for (int lacking = 0; lacking < RecipientColumnCount; ++lacking) {
        SCOPED_TRACE(columnName(RecipientColumn(lacking)).toStdString());
        DbfTable t;
        makeTable(t, dir.file(QStringLiteral("Lacking%1.dbf").arg(lacking)), lacking);

        const QString csv = dir.file(QStringLiteral("lacking%1.csv").arg(lacking));
        const CsvExportResult e = ExportCsvFile(csv, t);
        EXPECT_EQ(e.rows, 1) << e.engineError.toStdString();
        QList<QByteArray> expected = fullLine.split(';');
        expected[lacking].clear();
        EXPECT_EQ(testsupport::readFile(csv), expected.join(';'));

        const XlsxExportResult x = ExportXlsxFile(dir.file(QStringLiteral("lacking%1.xlsx").arg(lacking)), t);
        EXPECT_EQ(x.rows, 1) << x.error.toStdString();

        // The import leaves out an optional column; without any other, a row could
        // not be whole and the import is refused with the engine's reason.
        const TableColumnDef &d = recipientColumns().at(lacking);
        const CsvPreview p = PreviewCsvFile(fullCsv, t, CsvLayout::Full);
        std::vector<bool> lackingOnly(RecipientColumnCount, false);
        lackingOnly[size_t(lacking)] = d.optional;
        EXPECT_EQ(p.lacking, lackingOnly);
        const CsvImportResult r = ImportPreviewedCsv(p, t);
        EXPECT_EQ(r.rows, d.optional ? 1 : 0) << r.engineError.toStdString();
        EXPECT_EQ(r.unknownColumns.contains(d.previewTitle), d.optional);
        EXPECT_EQ(r.engineError.contains(d.name), !d.optional);
    }
}

} // namespace
