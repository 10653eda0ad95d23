// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"
#include "text/Codepage.h"

#include "TestSupport.h"

#include <QDir>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

struct ReadCase {
    const char *name;
    QByteArray file;
    const char *section;
    const char *key;
    const char *expected;   // nullptr: the default comes back
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, readsAsWindowsDoes)
{
    const ReadCase &c = GetParam();
    QString v;
    const bool found = IniDocument(c.file).readString(c.section, c.key, &v);
    if (!c.expected) {
        EXPECT_FALSE(found);
    } else {
        ASSERT_TRUE(found);
        EXPECT_EQ(v.toStdString(), std::string(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniRead,
    ::testing::Values(
        ReadCase{"crlf", "[SET]\r\nA=1\r\nB=2\r\n", "SET", "B", "2"},
        ReadCase{"lf", "[SET]\nA=1\nB=2\n", "SET", "B", "2"},
        ReadCase{"caseInsensitiveNames", "[set]\nedITKey=x\n", "SET", "EditKey", "x"},
        ReadCase{"blanksAroundEquals", "[S]\n  K  =   v a l  \n", "S", "K", "v a l"},
        ReadCase{"doubleQuotes", "[S]\nK=\"  quoted \"\n", "S", "K", "  quoted "},
        ReadCase{"singleQuotes", "[S]\nK='x'\n", "S", "K", "x"},
        ReadCase{"onlyOnePairStripped", "[S]\nK=\"\"x\"\"\n", "S", "K", "\"x\""},
        ReadCase{"unbalancedQuoteKept", "[S]\nK=\"x\n", "S", "K", "\"x"},
        ReadCase{"emptyValue", "[S]\nK=\n", "S", "K", ""},
        ReadCase{"commentLine", "[S]\n;K=1\nK=2\n", "S", "K", "2"},
        ReadCase{"duplicateKeyFirstWins", "[S]\nK=1\nK=2\n", "S", "K", "1"},
        ReadCase{"duplicateSectionFirstWins", "[S]\nK=1\n[S]\nK=2\n", "S", "K", "1"},
        ReadCase{"linesBeforeFirstSection", "K=0\n[S]\nK=1\n", "S", "K", "1"},
        ReadCase{"keyLineWithoutEquals", "[S]\nK\nL=2\n", "S", "K", nullptr},
        ReadCase{"otherSection", "[A]\nK=1\n[B]\n", "B", "K", nullptr},
        ReadCase{"missingSection", "", "S", "K", nullptr},
        ReadCase{"noFinalLineEnd", "[S]\nK=last", "S", "K", "last"},
        // Files from real hands: a CR before the line end or at the end of the file is
        // white space; bare CRs separate lines.
        ReadCase{"crBeforeCrLf", "[S]\r\r\nK=12\r\r\nL=3\r\r\n", "S", "K", "12"},
        ReadCase{"crBeforeCrLfQuoted", "[S]\r\nK='x '\r\r\n", "S", "K", "x "},
        ReadCase{"crAtEndOfFile", "[S]\r\nK=12\r", "S", "K", "12"},
        ReadCase{"bareCrLines", "[S]\rK=1\rL=2\r", "S", "L", "2"},
        ReadCase{"bareCrEndsTheSection", "[A]\rK=1\r[B]\rL=2", "A", "L", nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IniRead, decodesWindows1250)
{
    QString v;
    ASSERT_TRUE(IniDocument(QByteArray("[O]\nA=ST\xC1TN\xCD SPR\xC1VA CR\n")).readString("O", "A", &v));
    EXPECT_EQ(v, QStringLiteral("STÁTNÍ SPRÁVA CR"));
}

TEST(IniRead, longValueCutAt2047)
{
    const QByteArray file = "[S]\nK=" + QByteArray(3000, 'x') + "\n";
    QString v;
    ASSERT_TRUE(IniDocument(file).readString("S", "K", &v));
    EXPECT_EQ(v.size(), 2047);
}

TEST(IniWrite, replacesInPlaceAppendsKeysAndSections)
{
    IniDocument doc("; head\r\n[A]\r\nX=1\r\nY=2\r\n\r\n[B]\r\nZ=3\r\n");
    doc.writeString("a", "x", "9");
    doc.writeString("A", "New", "n");
    doc.writeString("C", "K", "v");
    EXPECT_EQ(doc.toBytes(), QByteArray("; head\r\n[A]\r\nx=9\r\nY=2\r\nNew=n\r\n\r\n[B]\r\nZ=3\r\n[C]\r\nK=v\r\n"));
}

TEST(IniWrite, keepsForeignLinesAndLineEnds)
{
    IniDocument doc("[S]\nK=1\n; note\nL=2");
    doc.writeString("S", "L", "3");
    doc.writeString("S", "M", "4");
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\nK=1\n; note\nL=3\r\nM=4\r\n"));
}

// No value may split a line: each line break is written as one blank, and the keys
// around it keep their values.
TEST(IniWrite, lineBreaksInAValueBecomeBlanks)
{
    const struct { const char *value, *stored; } cases[] = {
        {"Obecn\xC3\xAD \xC3\xBA\xC5\x99" "ad\r\nHlavn\xC3\xAD 1", "Obecn\xC3\xAD \xC3\xBA\xC5\x99" "ad Hlavn\xC3\xAD 1"},
        {"a\nb\rc\n\rd", "a b c  d"},
        {"x\n[SET]\nEditSetOtherFontSize1=0\n", "x [SET] EditSetOtherFontSize1=0 "},
    };
    for (const auto &c : cases) {
        IniDocument doc("[OWNER]\r\nEditSetOwnerAddress1=old\r\n[SET]\r\nEditSetOtherFontSize1=10\r\n");
        doc.writeString("OWNER", "EditSetOwnerAddress1", QString::fromUtf8(c.value));
        doc.writeString("OWNER", "EditSetOwnerAddress2", QString::fromUtf8(c.value));
        const QByteArray bytes = doc.toBytes();
        EXPECT_EQ(bytes.count('\n'), 5) << bytes.toStdString();
        EXPECT_EQ(bytes.count('\r'), 5) << bytes.toStdString();
        const IniDocument again(bytes);
        QString v;
        for (const char *key : {"EditSetOwnerAddress1", "EditSetOwnerAddress2"}) {
            ASSERT_TRUE(again.readString("OWNER", key, &v));
            EXPECT_EQ(v, QString::fromUtf8(c.stored));
        }
        ASSERT_TRUE(again.readString("SET", "EditSetOtherFontSize1", &v));
        EXPECT_EQ(v, "10");
    }
}

// Bytes Windows-1250 leaves undefined and foreign line ends survive a read and a write.
TEST(IniWrite, readValueWrittenBackKeepsTheFile)
{
    for (const QByteArray &file : {QByteArray("[S]\r\nK=\x81\x83\x88\x90\x98\x9A\r\nL=1\r\n"),
                                  QByteArray("[S]\rK=a\x90\rL=1\r"), QByteArray("[S]\r\r\nK=v\r\r\nL=1")}) {
        IniDocument doc(file);
        QString v;
        ASSERT_TRUE(doc.readString("S", "K", &v));
        doc.writeString("S", "K", v);
        EXPECT_EQ(doc.toBytes().toHex(' '), file.toHex(' '));
    }
}

TEST(IniFile, writesWindows1250AndReadsBack)
{
    TempDir dir;
    IniFile ini(dir.file("Kvitanky.ini"));
    ini.writeString("OWNER", "EditSetOwnerAddressSubject", "Vodné stocné");
    EXPECT_EQ(testsupport::readFile(dir.file("Kvitanky.ini")),
              QByteArray("[OWNER]\r\nEditSetOwnerAddressSubject=Vodn\xE9 stocn\xE9\r\n"));
    IniFile again(dir.file("Kvitanky.ini"));
    EXPECT_EQ(again.readString("owner", "editsetowneraddresssubject", "-"), QStringLiteral("Vodné stocné"));
}

// Any value a box can hold comes back whole after a write and a read: blanks at
// either end and enclosing quotation marks included. KVITANKY_SEED repeats a run.
TEST(IniWrite, anyValueComesBackWhole)
{
    std::mt19937 rng(testsupport::randomSeed("anyValueComesBackWhole"));
    const QString alphabet = QStringLiteral("  \t\"'\"'=;[]aZ0ěš");
    for (int i = 0; i < 2000; ++i) {
        QString value;
        const int len = int(rng() % 8);
        for (int k = 0; k < len; ++k)
            value += alphabet.at(int(rng() % unsigned(alphabet.size())));
        IniDocument doc("[OWNER]\r\nEditSetOwnerAddress1=old\r\n");
        doc.writeString("OWNER", "EditSetOwnerAddress1", value);
        doc.writeString("OWNER", "EditSetOwnerAddress2", "next");
        QString back;
        const IniDocument again(doc.toBytes());
        ASSERT_TRUE(again.readString("OWNER", "EditSetOwnerAddress1", &back));
        ASSERT_EQ(back, value) << "written as " << doc.toBytes().toStdString();
        ASSERT_TRUE(again.readString("OWNER", "EditSetOwnerAddress2", &back));
        ASSERT_EQ(back, "next");
    }
    IniDocument doc;
    doc.writeString("S", "A", "   odsazeno");
    doc.writeString("S", "B", "\"Vodne\"");
    doc.writeString("S", "C", "Vodné stocné");
    EXPECT_EQ(doc.toBytes(), QByteArray("[S]\r\nA=\"   odsazeno\"\r\nB=\"\"Vodne\"\"\r\nC=Vodn\xE9 stocn\xE9\r\n"));
}

// A settings file another tool saved in UTF-8 or UTF-16 is read as such; the first
// write keeps a copy of the original in Data/ and writes Windows-1250 only.
TEST(IniFile, foreignEncodingsAreReadAndConvertedOnceWithACopy)
{
    const QString text = QStringLiteral("[OWNER]\r\nEditSetOwnerAddressSubject=Vodné stočné – €\r\n[SET]\r\nX=1\r\n");
    const auto utf16 = [&](bool little) {
        QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(encoder(text));
    };
    const struct { const char *name; QByteArray bytes; } files[] = {
        {"utf8 with mark", "\xEF\xBB\xBF" + text.toUtf8()},
        {"utf8", text.toUtf8()},
        {"utf16le with mark", "\xFF\xFE" + utf16(true)},
        {"utf16be with mark", "\xFE\xFF" + utf16(false)},
        {"utf16le", utf16(true)},
        {"utf16be", utf16(false)},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        TempDir dir;
        const QString path = dir.file("Kvitanky.ini");
        testsupport::writeFile(path, f.bytes);
        IniFile ini(path);
        EXPECT_EQ(ini.readString("OWNER", "EditSetOwnerAddressSubject", "-"), QStringLiteral("Vodné stočné – €"));
        ini.writeString("SET", "X", "2");
        EXPECT_EQ(testsupport::readFile(path),
                  QByteArray("[OWNER]\r\nEditSetOwnerAddressSubject=Vodn\xE9 sto\xE8n\xE9 \x96 \x80\r\n[SET]\r\nX=2\r\n"));
        const QStringList kept = QDir(dir.file("Data")).entryList(QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(testsupport::readFile(dir.file("Data/" + kept[0])), f.bytes);
        ini.writeString("SET", "X", "3");   // converted once: no second copy
        EXPECT_EQ(QDir(dir.file("Data")).entryList(QDir::Files).size(), 1);
        EXPECT_EQ(IniFile(path).readString("SET", "X", "-"), "3");
    }
}

// What cannot be a settings file is refused with its name, before anything is read.
TEST(IniFile, fifoAndHugeFileAreRefused)
{
    TempDir dir;
    const QString fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString huge = dir.file("huge.ini");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(300LL * 1024 * 1024));
    }
    const struct { QString path; QString said; } cases[] = {
        {fifo, QStringLiteral("Nastavení nelze načíst ze souboru '%1': nejde o soubor.").arg(fifo)},
        {"/dev/zero", QStringLiteral("Nastavení nelze načíst ze souboru '/dev/zero': nejde o soubor.")},
        {huge, QStringLiteral("Nastavení nelze načíst ze souboru '%1': soubor má 300 MB, soubor nastavení má jen "
                              "několik kB.").arg(huge)},
    };
    for (const auto &c : cases) {
        try {
            IniFile ini(c.path);
            ADD_FAILURE() << "accepted " << c.path.toStdString();
        } catch (const IniError &e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), c.said);
        }
    }
}

struct FlagCase {
    const char *text;
    bool def;
    bool expected;
};

class IniFlag : public ::testing::TestWithParam<FlagCase> {};

TEST_P(IniFlag, parsesLikeWindows)
{
    EXPECT_EQ(IniFile::parseFlag(GetParam().text, GetParam().def), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniFlag,
                         ::testing::Values(FlagCase{"1", false, true}, FlagCase{"0", true, false},
                                           FlagCase{"2", false, true}, FlagCase{"0x1", false, true},
                                           FlagCase{"0X0", true, false}, FlagCase{"abc", true, true},
                                           FlagCase{"abc", false, false}, FlagCase{"", true, true},
                                           FlagCase{"-1", false, true}));

TEST(IniFile, readBoolMissingGivesDefault)
{
    TempDir dir;
    IniFile ini(dir.file("x.ini"));
    EXPECT_TRUE(ini.readBool("S", "K", true));
    EXPECT_FALSE(ini.readBool("S", "K", false));
}


TEST(IniFile, failedWriteNamesTheFileAndKeepsTheOldOne)
{
    TempDir dir;
    const QString path = dir.file("sub/Kvitanky.ini");   // folder does not exist
    IniFile ini(path);
    try {
        ini.writeString("S", "K", "v");
        FAIL() << "no error";
    } catch (const IniError &e) {
        EXPECT_EQ(QString::fromStdString(e.what()), "Unable to write to " + path);
    }
}

TEST(IniFile, batchWritesOnceAndSeesOutsideChanges)
{
    TempDir dir;
    const QString path = dir.file("k.ini");
    testsupport::writeFile(path, "[S]\r\nK=old\r\n");
    IniFile ini(path);
    testsupport::writeFile(path, "[S]\r\nK=outside\r\nJ=1\r\n");
    EXPECT_EQ(ini.readString("S", "J", "-"), "1");
    ini.beginBatch();
    ini.writeString("S", "K", "a");
    ini.writeString("T", "L", "b");
    EXPECT_EQ(testsupport::readFile(path), QByteArray("[S]\r\nK=outside\r\nJ=1\r\n"));
    ini.endBatch();
    EXPECT_EQ(testsupport::readFile(path), QByteArray("[S]\r\nK=a\r\nJ=1\r\n[T]\r\nL=b\r\n"));
}

} // namespace

#include "settings/IniFuzzEntry.h"

#include <QDir>

namespace {

// The fuzz target's body over its seed corpus: parsing, writing, re-reading.
TEST(IniFuzzSeeds, everySeedParsesAndWritesBack)
{
    const QDir seeds(testsupport::sourceDir() + "/fuzz/corpus/ini");
    const QStringList files = seeds.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &f : files) {
        const QByteArray bytes = testsupport::readFile(seeds.filePath(f));
        EXPECT_EQ(kvitanky::fuzzIniInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                         std::size_t(bytes.size())),
                  0)
            << f.toStdString();
    }
}

} // namespace

namespace {

// Found by fuzzing: a file whose last line ends in a bare CR swallowed the next
// section header written after it.
TEST(IniWrite, newSectionAfterTrailingCarriageReturnStaysReadable)
{
    IniDocument doc("[A]\r\nK=1\r");
    doc.writeString("NEW", "Key", "v");
    QString v;
    ASSERT_TRUE(IniDocument(doc.toBytes()).readString("NEW", "Key", &v));
    EXPECT_EQ(v, "v");
}

} // namespace
