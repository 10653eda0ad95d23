// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: Tables that cannot be opened, damaged tables that still open and tables of other
// programs: what the user is told and that the files stay whole.
#include "BadInputFixture.h"

#include "data/RecipientColumns.h"

#include <algorithm>

using namespace badinput;

namespace {

// ---------------------------------------------------------------- tables that cannot be opened

struct RefusedTable {
    const char *name;
    const char *file;                       // Data.dbf or Owners.dbf
    std::function<QByteArray(const QByteArray &sample)> damage;   // from the sample file
    std::string reason;                     // after "Tabulka '<path>': "
};

void PrintTo(const RefusedTable &c, std::ostream *os) { *os << c.name; }

class RefusedTables : public BadInput, public ::testing::WithParamInterface<RefusedTable>
{
};

// The start ends after one clear message that names the file; the file is left as it was.
TEST_P(RefusedTables, StartEndsWithTheReasonAndTheFileStays)
{
    const RefusedTable &c = GetParam();
    prepareProgramFolder(dir.path());
    const QString path = dir.file(QString::fromLatin1(c.file));
    const QByteArray damaged = c.damage(readFile(path));
    writeFile(path, damaged);
    const auto before = snapshot(dir.path());

    EXPECT_FALSE(runEntry(dir.path()));
    ASSERT_EQ(messages.size(), 1) << texts().join('\n').toStdString();
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Tabulka '%1': %2").arg(path, QString::fromStdString(c.reason)));
    EXPECT_EQ(snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, RefusedTables,
    ::testing::Values(
        RefusedTable{"ZeroBytes", "Data.dbf", [](const QByteArray &) { return QByteArray(); },
                     "soubor je prázdný (0 bajtů), nejde o tabulku dBase"},
        RefusedTable{"CsvSavedAsTable", "Data.dbf",
                     [](const QByteArray &) { return QByteArray("Pan;Jan;Novák;Hlavní 1;Praha;110 00;100;;\r\n"); },
                     "nejde o tabulku dBase ani FoxPro (neznámá verze 0x50)"},
        RefusedTable{"RandomBytesAfterAVersionByte", "Data.dbf",
                     [](const QByteArray &) {
                         QByteArray b = randomBytes(4096, 7);
                         b[0] = 0x03;
                         return b;
                     },
                     "soubor je zkrácený: hlavička má mít 25226 bajtů, soubor má jen 4096"},
        RefusedTable{"CutInsideTheColumnList", "Data.dbf", [](const QByteArray &s) { return s.left(100); },
                     "soubor je zkrácený: hlavička má mít " + std::to_string(32 + 32 * RecipientColumnCount + 1)
                         + " bajtů, soubor má jen 100"},
        RefusedTable{"OwnersGarbage", "Owners.dbf", [](const QByteArray &) { return randomBytes(3000, 11); },
                     "nejde o tabulku dBase ani FoxPro (neznámá verze 0x21)"}),
    [](const auto &info) { return std::string(info.param.name); });


// ---------------------------------------------------------------- damaged tables that still open

struct ReadableDamage {
    const char *name;
    std::function<QByteArray(const QByteArray &sample)> damage;
    int rows;   // whole rows the file still holds
};

void PrintTo(const ReadableDamage &c, std::ostream *os) { *os << c.name; }

class DamagedTables : public BadInput, public ::testing::WithParamInterface<ReadableDamage>
{
};

// The whole rows are shown without a word and the file is left alone; the next
// post puts the header right and every reader agrees again.
TEST_P(DamagedTables, OpenWithTheirWholeRowsAndThePostsRepairThem)
{
    prepareProgramFolder(dir.path());
    const QString path = dir.file("Data.dbf");
    const QByteArray damaged = GetParam().damage(readFile(path));
    writeFile(path, damaged);

    ASSERT_TRUE(start(dir.path()));
    EXPECT_EQ(texts(), QStringList());
    EXPECT_EQ(form->TableData.recordCount(), GetParam().rows);
    form.reset();
    EXPECT_EQ(readFile(path), damaged);

    ASSERT_TRUE(start(dir.path()));
    edit("EditDataFirstName")->setText(QStringLiteral("Opravený"));
    writeFile(dir.file("one.csv"), toCp1250(QStringLiteral("Ing.;Nový;Řádek;;;;1;;;;;0;\n")));
    importCsv(dir.file("one.csv"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Bylo importováno 1 záznamu.")}));
    form.reset();

    const QStringList rows = names(path);
    ASSERT_EQ(rows.size(), GetParam().rows + 1);
    EXPECT_TRUE(rows.first().startsWith(QStringLiteral("Opravený "))) << rows.first().toStdString();
    EXPECT_EQ(rows.last(), QStringLiteral("Nový Řádek"));
    EXPECT_EQ(header(readFile(path)).count, quint32(GetParam().rows + 1));
    expectDbfreadRows(path, GetParam().rows + 1);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DamagedTables,
    ::testing::Values(
        ReadableDamage{"HeaderCountLargerThanTheFile",
                       [](QByteArray b) {
                           b[4] = char(0xE8);   // 1000 rows
                           b[5] = 0x03;
                           return b;
                       },
                       4},
        ReadableDamage{"LastRecordCutInHalf",
                       [](const QByteArray &b) {
                           const TableHeader h = header(b);
                           return b.left(h.headerLength + 3 * h.recordLength + h.recordLength / 2);
                       },
                       3},
        ReadableDamage{"NoEndMark", [](const QByteArray &b) { return b.left(b.size() - 1); }, 4},
        ReadableDamage{"JunkAfterTheEndMark", [](const QByteArray &b) { return b + randomBytes(300, 5); }, 4}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- foreign tables

// A dBase IV table of another program: its own column order and widths, code page
// 852, three columns of its own and a memo file. Its rows are shown, edits and
// imports work, and what the program does not know stays as it was.
TEST_F(BadInput, ForeignDbase4TableWithExtraColumnsKeepsThem)
{
    dbftest::FileSpec spec;
    spec.version = 0x8B;
    spec.languageDriver = 0x64;
    spec.columns = {{"ID", 'N', 6},        {"PRIJMENI", 'C', 25}, {"JMENO", 'C', 20},   {"TITUL", 'C', 8},
                    {"ULICE", 'C', 30},    {"OBEC", 'C', 30},     {"PSC", 'C', 6},      {"CASTKA", 'N', 12, 2},
                    {"VAR_SYMB", 'C', 10}, {"SPEC_SYMB", 'C', 10}, {"TELEFON", 'C', 16}, {"EMAIL", 'C', 30},
                    {"VYRAZENO", 'N', 1},  {"NAROZEN", 'D', 8},   {"POZNAMKA", 'M', 10}, {"AKTIVNI", 'L', 1}};
    // Values padded to their columns: numbers to the right, everything else to the left.
    const auto record = [&](const QStringList &values) {
        QString r = QStringLiteral(" ");
        for (int i = 0; i < values.size(); ++i) {
            const dbftest::Column &c = spec.columns[size_t(i)];
            r += c.type == 'N' || c.type == 'M' ? values[i].rightJustified(c.length) : values[i].leftJustified(c.length);
        }
        return encode(r, Codepage::Cp852);
    };
    spec.records = {
        record({"17", "Dvořák", "Antonín", "Ing.", "Nádražní 5", "Třeboň", "37901", "250.50", "12345", "0",
                "+420 1234", "a@b.cz", "0", "19410908", "1", "T"}),
        record({"18", "Šustrová", "Žofie", "", "Lesní 12", "Ústí", "40001", "1000.00", "", "", "", "", "1",
                "20000101", "2", "F"}),
    };
    QByteArray memo(512 * 3, '\0');
    memo[0] = 3;   // next free block
    memo[20] = char(0x00);
    memo[21] = 0x02;   // 512-byte blocks
    const QByteArray notes[] = {"Poznamka prvni", "Druha poznamka"};
    for (int i = 0; i < 2; ++i) {
        QByteArray block = QByteArray("\xFF\xFF\x08\x00", 4);
        const quint32 length = quint32(notes[i].size() + 8);
        for (int k = 0; k < 4; ++k)
            block += char((length >> (8 * k)) & 0xFF);
        block += notes[i] + "\x1F";
        memo.replace(512 * (i + 1), block.size(), block);
    }
    const QString path = dir.file("Data.dbf");
    writeFile(path, dbftest::buildFile(spec));
    writeFile(dir.file("Data.dbt"), memo);
    const QByteArray originalFirstRows = readFile(path);

    ASSERT_TRUE(start(dir.path()));
    EXPECT_EQ(texts(), QStringList());
    ASSERT_EQ(form->TableData.recordCount(), 2);
    EXPECT_EQ(edit("EditDataSurname")->text(), QStringLiteral("Dvořák"));
    EXPECT_EQ(edit("EditDataCity")->text(), QStringLiteral("Třeboň"));
    EXPECT_EQ(edit("EditDataPrice")->text(), QStringLiteral("250,5"));

    edit("EditDataCity")->setText(QStringLiteral("Plzeň"));
    writeFile(dir.file("one.csv"), toCp1250(QStringLiteral("Bc.;Oldřich;Nový;Polní 3;Brno;60200;99,5;7;8;+420 5;o@n.cz;1;\n")));
    importCsv(dir.file("one.csv"));
    button("ButtonDataTableSave")->click();
    form.reset();
    // Columns of the list this table lacks are named as not imported.
    QStringList lacking;
    for (const TableColumnDef &c : recipientColumns())
        if (std::none_of(spec.columns.begin(), spec.columns.end(),
                         [&](const dbftest::Column &f) { return c.name == QLatin1String(f.name); }))
            lacking << c.previewTitle;
    QStringList expected = {QStringLiteral("Bylo importováno 1 záznamu.")};
    if (!lacking.isEmpty())
        expected << QStringLiteral("Sloupce, které adresář nemá (nebo jsou v souboru podruhé), nebyly importovány: „%1“.")
                        .arg(lacking.join(QStringLiteral("“, „")));
    expected << QStringLiteral("Data byla uložena do adresáre ") + native(dir.file("Data")) + " ";
    EXPECT_EQ(texts(), expected);

    // Our engine: the edit and the new row.
    const QStringList rows = names(path);
    EXPECT_EQ(rows, QStringList({QStringLiteral("Antonín Dvořák"), QStringLiteral("Žofie Šustrová"),
                                 QStringLiteral("Oldřich Nový")}));
    // The bytes of the second row, which nobody touched, and the memo file are as they were.
    const TableHeader h = header(originalFirstRows);
    EXPECT_EQ(readFile(path).mid(h.headerLength + h.recordLength, h.recordLength),
              originalFirstRows.mid(h.headerLength + h.recordLength, h.recordLength));
    EXPECT_EQ(readFile(dir.file("Data.dbt")), memo);
    if (!dbftest::haveDbfread())
        return;
    const QJsonArray records = dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray();
    ASSERT_EQ(records.size(), 3);
    const QJsonObject first = records[0].toObject();
    EXPECT_EQ(first["OBEC"].toString(), QStringLiteral("Plzeň"));
    EXPECT_EQ(first["ID"].toInt(), 17);
    EXPECT_EQ(first["NAROZEN"].toString(), QStringLiteral("1941-09-08"));
    EXPECT_EQ(first["POZNAMKA"].toString(), QStringLiteral("Poznamka prvni"));
    EXPECT_EQ(first["AKTIVNI"].toBool(), true);
    const QJsonObject added = records[2].toObject();
    EXPECT_EQ(added["JMENO"].toString(), QStringLiteral("Oldřich"));
    EXPECT_EQ(added["CASTKA"].toDouble(), 99.5);
    EXPECT_EQ(added["VYRAZENO"].toInt(), 1);
    EXPECT_TRUE(added["NAROZEN"].isNull());
    EXPECT_TRUE(added["POZNAMKA"].isNull());
    EXPECT_TRUE(added["AKTIVNI"].isNull());
}

// A table without the e-mail and exclusion columns: the window opens and says that
// the exclusion column is missing; what needs it is refused with the same reason and
// the file is not touched by it. The e-mail box is disabled and says why.
TEST_F(BadInput, ForeignTableWithMissingColumnsIsNamedAndLeftAlone)
{
    dbftest::FileSpec spec;
    spec.languageDriver = 0xC8;
    spec.columns = {{"TITUL", 'C', 10},    {"JMENO", 'C', 30},    {"PRIJMENI", 'C', 30},  {"ULICE", 'C', 30},
                    {"OBEC", 'C', 30},     {"PSC", 'C', 10},      {"CASTKA", 'N', 20, 4}, {"VAR_SYMB", 'C', 12},
                    {"SPEC_SYMB", 'C', 12}, {"TELEFON", 'C', 20}};
    spec.records = {QByteArray(" Pan       Jan") + QByteArray(26, ' ') + "Novak"};
    const QString path = dir.file("Data.dbf");
    writeFile(path, dbftest::buildFile(spec));
    const QByteArray original = readFile(path);
    const QString missing = QStringLiteral("Tabulka '%1': sloupec 'VYRAZENO' neexistuje").arg(path);

    ASSERT_TRUE(start(dir.path()));
    ASSERT_FALSE(messages.isEmpty());
    for (const ui::MessageRequest &m : messages) {
        EXPECT_EQ(m.kind, ui::MessageKind::Error);
        EXPECT_TRUE(m.text.startsWith(QStringLiteral("Tabulka '%1': sloupec '").arg(path))) << m.text.toStdString();
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_FALSE(edit("EditDataEmail")->isEnabled());
    EXPECT_TRUE(edit("EditDataEmail")->toolTip().contains(QLatin1String("EMAIL")));
    EXPECT_TRUE(edit("EditDataTel")->isEnabled());

    messages.clear();
    writeFile(dir.file("one.csv"), "Pan;Petr;Pokorny;;;;1;;;;;0;\n");
    importCsv(dir.file("one.csv"));
    EXPECT_EQ(texts(), QStringList({missing}));
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(form->TableData.recordCount(), 1);
    form.reset();
    expectDbfreadRows(path, 1);
}

// A table with a column the engine does not write (a Visual FoxPro varchar) opens
// read-only, said once; typing is refused with the same words, the box goes back to
// what the file holds, and the file stays byte for byte.
TEST_F(BadInput, TableWithAColumnNotUnderstoodIsShownReadOnly)
{
    dbftest::FileSpec spec;
    spec.languageDriver = 0xC8;
    spec.columns = {{"TITUL", 'C', 10},    {"JMENO", 'C', 30},     {"PRIJMENI", 'C', 30},  {"ULICE", 'C', 30},
                    {"OBEC", 'C', 30},     {"PSC", 'C', 10},       {"CASTKA", 'N', 20, 4}, {"VAR_SYMB", 'C', 12},
                    {"SPEC_SYMB", 'C', 12}, {"TELEFON", 'C', 20},   {"EMAIL", 'C', 40},     {"VYRAZENO", 'N', 6},
                    {"POZNAMKA", 'V', 20}};
    spec.records = {QByteArray(" Pan       Jan") + QByteArray(27, ' ') + "Novak"};
    const QString path = dir.file("Data.dbf");
    writeFile(path, dbftest::buildFile(spec));
    const QByteArray original = readFile(path);
    const QString reason =
        QStringLiteral("Tabulka '%1' má sloupec 'POZNAMKA', kterému program nerozumí; otevřena jen pro čtení.").arg(path);

    ASSERT_TRUE(start(dir.path()));
    EXPECT_EQ(texts(), QStringList({reason}));
    messages.clear();
    edit("EditDataSurname")->setText(QStringLiteral("Dvořák"));
    EXPECT_EQ(texts(), QStringList({reason}));
    EXPECT_EQ(edit("EditDataSurname")->text(), QStringLiteral("Novak"));
    form.reset();
    EXPECT_EQ(readFile(path), original);
}

} // namespace
