// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: CSV files that are not CSV: binary, over-long, half-written.
#include "BadInputFixture.h"

using namespace badinput;

namespace {

// ---------------------------------------------------------------- CSV files that are not CSV

struct BadCsv {
    const char *name;
    bool sixColumns;
    std::function<QByteArray()> content;   // null: a folder stands at the path
    int rows;                              // rows added; -1: refused, for whatever reason the bytes give
    QStringList messages;                  // %1: the path; empty: only the count
    qint64 size = 0;                       // the file grows to this size (a sparse tail of zeros)
    QStringList notes = {};                // after the count
};

void PrintTo(const BadCsv &c, std::ostream *os) { *os << c.name; }

class BadCsvFiles : public BadInput, public ::testing::WithParamInterface<BadCsv>
{
};

QByteArray megabyteLine()
{
    return QByteArray(1 << 20, 'A') + '\n';
}

// Every row added is whole in every reader, the rows before are untouched and the
// user is told what happened.
TEST_P(BadCsvFiles, AddOnlyWholeRowsAndSaySo)
{
    const BadCsv &c = GetParam();
    prepareProgramFolder(dir.path());
    const QString path = dir.file("vstup.csv");
    if (c.content) {
        writeFile(path, c.content());
    } else {
        ASSERT_TRUE(QDir().mkdir(path));
    }
    if (c.size) {
        ASSERT_TRUE(QFile::resize(path, c.size));
    }
    const QByteArray table = readFile(dir.file("Data.dbf"));
    const TableHeader h = header(table);
    const QByteArray sampleRows = table.left(h.headerLength + 4 * h.recordLength).mid(12);

    ASSERT_TRUE(start(dir.path()));
    importCsv(path, c.sixColumns);
    const int added = form->TableData.recordCount() - 4;
    form.reset();

    QStringList expected;
    for (const QString &m : c.messages)
        expected << (m.contains(QLatin1String("%1")) ? m.arg(native(path)) : m);
    QStringList seen = texts();
    if (c.rows >= 0) {
        EXPECT_EQ(added, c.rows);
    } else {
        // Random bytes are refused: not text, or not an encoding the import reads.
        EXPECT_EQ(added, 0);
        ASSERT_EQ(seen.size(), 2);
        EXPECT_TRUE(seen[0].startsWith(QStringLiteral("Soubor ") + native(path) + QLatin1Char(' '))) << seen[0].toStdString();
        EXPECT_TRUE(seen[0].contains(QStringLiteral("řád"))) << seen[0].toStdString();
        expected << seen[0];
    }
    expected << (c.sixColumns ? QStringLiteral("Importováno %1 záznamu.") : QStringLiteral("Bylo importováno %1 záznamu."))
                    .arg(added);
    expected << c.notes;
    EXPECT_EQ(seen, expected);
    const QByteArray after = readFile(dir.file("Data.dbf"));
    EXPECT_EQ(after.left(h.headerLength + 4 * h.recordLength).mid(12), sampleRows);
    EXPECT_EQ(header(after).count, quint32(4 + added));
    EXPECT_EQ(names(dir.file("Data.dbf")).size(), 4 + added);
    expectDbfreadRows(dir.file("Data.dbf"), 4 + added);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadCsvFiles,
    ::testing::Values(
        BadCsv{"RandomBytes", false, [] { return randomBytes(64 * 1024, 21); }, -1, {}},
        BadCsv{"RandomBytesInShortLines", false,
               [] {
                   QByteArray b = randomBytes(64 * 1024, 22);
                   for (qsizetype i = 0; i < b.size(); ++i) {
                       if (b[i] == 26)
                           b[i] = 27;   // no end of file inside
                       if (i % 97 == 96)
                           b[i] = '\n';
                   }
                   return b;
               },
               -1, {}},
        BadCsv{"RandomBytesSixColumns", true, [] { return randomBytes(16 * 1024, 23).replace(char(26), char(27)); },
               -1, {}},
        BadCsv{"MegabyteLine", false, [] { return goodLine(1) + goodLine(2) + megabyteLine() + goodLine(3); }, 2,
               {"Soubor %1, řádek 3: řádek je delší než 765 znaků. Import skončil před tímto řádkem."}},
        BadCsv{"MegabyteLineSixColumns", true,
               [] { return QByteArray("Novak;Jan;11000;Praha;Hlavni 1;10\n") + megabyteLine(); }, 1,
               {"Soubor %1, řádek 2: řádek je delší než 765 znaků. Import skončil před tímto řádkem."}},
        BadCsv{"OnlyAMegabyteLineWithoutEnd", false, [] { return QByteArray(1 << 20, ';'); }, 0,
               {"Soubor %1, řádek 1: řádek je delší než 765 znaků. Import skončil před tímto řádkem."}},
        BadCsv{"NulBytes", false, [] { return QByteArray("Pan;Jan\nPan;\0Petr\n\0\0\0\n", 20); }, 0,
               {"Soubor %1 má na řádku 2 nulový bajt, není to tedy textový soubor CSV. Nic nebylo importováno."}},
        // Its rows tell how many fields a record has: the quotation mark is a character.
        BadCsv{"UnterminatedQuoteAtEnd", false, [] { return goodLine(1) + goodLine(2) + "Pan;\"Jan;Nov\xe1k\n"; }, 3,
               {}, 0,
               {"Na 1 řádku souboru nešlo hodnoty přečíst s jistotou:\n"
                "Řádek souboru 3 (řádek adresáře 7): uvozovka bez páru, čtena jako znak"}},
        BadCsv{"DosEncoding", false, [] { return encode(QStringLiteral("Pan;Jiří;Dvořák;Čéčová 1;Plzeň\n"), Codepage::Cp852); },
               0,
               {"Soubor %1 je nejspíš v kódování DOS (CP852), ne v UTF-8 ani ve Windows-1250 (první takový znak je "
                "na řádku 1). Uložte jej jako CSV v kódování UTF-8 nebo Windows-1250."}},
        BadCsv{"TwoGigabytes", false, [] { return goodLine(1); }, 0,
               {"Soubor %1 je příliš velký (2048 MB); import přijme soubor nejvýše o velikosti 1024 MB."},
               qint64(2) << 30},
        BadCsv{"Utf16WithByteOrderMark", false,
               [] {
                   const QString text = QStringLiteral("Pan;Jan;Novák;;;;10;;;;;0;\r\nPaní;Eva;Malá;;;;20;;;;;0;\r\n");
                   QByteArray b("\xFF\xFE", 2);
                   b.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
                   return b;
               },
               2, {}},
        BadCsv{"FolderInsteadOfAFile", false, nullptr, 0, {"Nelze otevrít soubor %1"}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
