// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: damaged or foreign tables, settings that are not numbers,
// missing or broken pictures, a program folder that cannot be written, files that
// may not be changed, a full disk, binary and over-long CSV files. Each case drives
// the real window and checks what the user is told and that the data files are
// still whole. docs/bad-input.md lists the cases with their messages.
#include "TestSupport.h"

#include "../core/test_DbfSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/ImpExpPage.h"
#include "print/PrinterProvider.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"
#include "shell/Desktop.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"
#include "shell/ProgramEntry.h"
#include "text/Codepage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

// Messages readable in failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace kvitanky;
using testsupport::TempDir;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The system's own words for an error, in the language of the desktop.
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// ---------------------------------------------------------------- file system tricks

// A mount that is undone when the object goes, also when the test fails.
class Mount
{
public:
    // A tmpfs of the given size at `at`; null (and why) when not permitted here.
    static std::unique_ptr<Mount> tmpfs(const QString &at, const char *options, QString *why)
    {
        const QByteArray target = QFile::encodeName(at);
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, options) != 0) {
            *why = QStringLiteral("tmpfs cannot be mounted here: ") + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        return std::unique_ptr<Mount>(new Mount(target));
    }
    // `from` seen read-only at `at`.
    static std::unique_ptr<Mount> readOnlyView(const QString &from, const QString &at, QString *why)
    {
        const QByteArray source = QFile::encodeName(from);
        const QByteArray target = QFile::encodeName(at);
        if (::mount(source.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0) {
            *why = QStringLiteral("bind mounts are not permitted here: ") + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        std::unique_ptr<Mount> m(new Mount(target));
        if (::mount(nullptr, target.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            *why = QStringLiteral("a bind mount cannot be made read-only here: ")
                   + QString::fromLocal8Bit(std::strerror(errno));
            return nullptr;
        }
        return m;
    }
    ~Mount() { ::umount2(m_target.constData(), MNT_DETACH); }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

private:
    explicit Mount(QByteArray target) : m_target(std::move(target)) {}
    QByteArray m_target;
};

// The immutable attribute (chattr +i): not even root may change, rename or delete
// the file. Cleared again when the object goes.
class Immutable
{
public:
    static std::unique_ptr<Immutable> set(const QString &path, QString *why)
    {
        std::unique_ptr<Immutable> i(new Immutable(path));
        if (!i->change(true, why))
            return nullptr;
        return i;
    }
    ~Immutable()
    {
        QString ignored;
        change(false, &ignored);
    }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;

private:
    explicit Immutable(QString path) : m_path(std::move(path)) {}
    bool change(bool on, QString *why)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!ok)
            *why = QStringLiteral("the immutable attribute cannot be set here: ")
                   + QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return ok;
    }
    QString m_path;
};

// Writes a file until the file system is full; returns its size.
qint64 fillUp(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const QByteArray chunk(512, 'x');
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::write(fd, chunk.constData(), size_t(chunk.size()));
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

// Every file under a folder with its bytes, to show nothing changed; the lock file
// a running program keeps in its folder is not data.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() != QLatin1String(FolderLock::FileName))
            files.insert(QDir(dir).relativeFilePath(path), readFile(path));
    }
    return files;
}

// ---------------------------------------------------------------- the window

class BadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ui::setMessageHook([this](const ui::MessageRequest &r) {
            messages.append(r);
            return answer;
        });
    }
    void TearDown() override
    {
        form.reset();
        ui::setMessageHook({});
    }

    StartupOptions options(const QString &programDir) const
    {
        StartupOptions o;
        o.programDir = programDir;
        o.pictureDir = pictureDir.isEmpty() ? testsupport::binDir() : pictureDir;
        o.printers = FixedPrinters::pdfOnly();
        return o;
    }

    // A first start and close in `programDir`: the sample tables and a full settings file.
    void prepareProgramFolder(const QString &programDir)
    {
        {
            TForm1 first(options(programDir));
            first.SaveSettings();
        }
        messages.clear();
    }

    // Starts the window; false (and a failure) when start-up fails.
    [[nodiscard]] bool start(const QString &programDir)
    {
        try {
            form.reset();   // a restart: the program before lets go of the folder first
            form = std::make_unique<TForm1>(options(programDir));
        } catch (const std::exception &e) {
            ADD_FAILURE() << "start-up failed: " << e.what();
            return false;
        }
        impExp()->setFileDialogHook([this](const ImpExpPage::FileDialogRequest &) { return chosenFile; });
        return true;
    }

    // Starts the program as its entry does; true when the window came up.
    bool runEntry(const QString &programDir)
    {
        EntryHooks hooks;
        hooks.options = options(programDir);
        bool shown = false;
        hooks.runLoop = [&](TForm1 &) {
            shown = true;
            return 0;
        };
        EXPECT_EQ(runProgram(*static_cast<QApplication *>(QCoreApplication::instance()), hooks), 0);
        return shown;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const ui::MessageRequest &m : messages)
            out << m.text;
        return out;
    }

    QLineEdit *edit(const char *name) const { return form->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const
    {
        return form->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    ImpExpPage *impExp() const { return form->TabSheetImpExp; }

    void importCsv(const QString &path, bool sixColumns = false)
    {
        chosenFile = path;
        (sixColumns ? impExp()->ButtonImportCsv6 : impExp()->ButtonImportCsv)->click();
    }
    void exportCsv(const QString &path)
    {
        chosenFile = path;
        impExp()->ButtonExportCsv->click();
    }

    TempDir dir;
    QString pictureDir;
    std::unique_ptr<TForm1> form;
    QList<ui::MessageRequest> messages;
    ui::MessageAnswer answer = ui::MessageAnswer::Ok;
    QString chosenFile;
};

// The rows of a table file as our engine reads them (JMENO, PRIJMENI).
QStringList names(const QString &path)
{
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName("JMENO").asString() + QLatin1Char(' ') + t.fieldByName("PRIJMENI").asString();
    return out;
}

// dbfread reads the file through its end and finds `rows` rows.
void expectDbfreadRows(const QString &path, int rows)
{
    if (!dbftest::haveDbfread())
        return;
    EXPECT_EQ(dbftest::readWithDbfread(path)[QStringLiteral("records")].toArray().size(), rows);
}

// ---------------------------------------------------------------- tables that cannot be opened

struct RefusedTable {
    const char *name;
    const char *file;                       // Data.dbf or Owners.dbf
    std::function<QByteArray(const QByteArray &sample)> damage;   // from the sample file
    const char *reason;                     // after "Tabulka '<path>': "
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
    EXPECT_EQ(messages[0].text, QStringLiteral("Tabulka '%1': %2").arg(path, QString::fromUtf8(c.reason)));
    EXPECT_EQ(snapshot(dir.path()), before);
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(size, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
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
                     "soubor je zkrácený: hlavička má mít 417 bajtů, soubor má jen 100"},
        RefusedTable{"OwnersGarbage", "Owners.dbf", [](const QByteArray &) { return randomBytes(3000, 11); },
                     "nejde o tabulku dBase ani FoxPro (neznámá verze 0x21)"}),
    [](const auto &info) { return std::string(info.param.name); });


// ---------------------------------------------------------------- damaged tables that still open

struct TableHeader {
    int headerLength = 0;
    int recordLength = 0;
    quint32 count = 0;
};

TableHeader header(const QByteArray &b)
{
    TableHeader h;
    h.headerLength = quint8(b[8]) | quint8(b[9]) << 8;
    h.recordLength = quint8(b[10]) | quint8(b[11]) << 8;
    h.count = quint32(quint8(b[4])) | quint32(quint8(b[5])) << 8 | quint32(quint8(b[6])) << 16
              | quint32(quint8(b[7])) << 24;
    return h;
}

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
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Bylo importováno 1 záznamu."),
                                    QStringLiteral("Data byla uložena do adresáre ") + native(dir.file("Data")) + " "}));

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

// A table without the e-mail and exclusion columns: the window opens and says which
// column is missing; what needs the column is refused with the same reason and the
// file is not touched by it.
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
    const QString missing = QStringLiteral("Tabulka '%1': sloupec 'EMAIL' neexistuje").arg(path);

    ASSERT_TRUE(start(dir.path()));
    ASSERT_FALSE(messages.isEmpty());
    for (const ui::MessageRequest &m : messages) {
        EXPECT_EQ(m.kind, ui::MessageKind::Error);
        EXPECT_TRUE(m.text.startsWith(QStringLiteral("Tabulka '%1': sloupec '").arg(path))) << m.text.toStdString();
    }
    EXPECT_EQ(readFile(path), original);

    messages.clear();
    writeFile(dir.file("one.csv"), "Pan;Petr;Pokorny;;;;1;;;;;0;\n");
    importCsv(dir.file("one.csv"));
    EXPECT_EQ(texts(), QStringList({missing}));
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(form->TableData.recordCount(), 1);
    form.reset();
    expectDbfreadRows(path, 1);
}


// ---------------------------------------------------------------- settings that are not numbers

enum class Felt { AtStart, WhenPrinting };

struct BadSetting {
    const char *name;
    const char *key;
    const char *value;
    Felt felt;
    const char *message;   // %1 the value, %2 the key
    bool boxChecksIt = false;   // the calibration page checks its boxes as they are filled
};

void PrintTo(const BadSetting &c, std::ostream *os) { *os << c.name; }

class BadSettings : public BadInput, public ::testing::WithParamInterface<BadSetting>
{
};

// The window still opens; the user is told which setting is wrong, when it is
// needed; the settings file keeps the value as written until the user corrects it.
TEST_P(BadSettings, AreNamedWhenNeededAndKeptAsWritten)
{
    const BadSetting &c = GetParam();
    prepareProgramFolder(dir.path());
    const QString ini = dir.file("Kvitanky.ini");
    const SettingKey *key = findSettingKey(QString::fromLatin1(c.key));
    ASSERT_NE(key, nullptr);
    {
        IniFile file(ini);
        file.writeString(key->section, key->key, QString::fromUtf8(c.value));
    }
    const auto before = snapshot(dir.path());
    const QString expected = QString::fromUtf8(c.message).arg(QString::fromUtf8(c.value), key->key);

    ASSERT_TRUE(start(dir.path()));
    ASSERT_TRUE(form);
    EXPECT_EQ(edit(c.key)->text(), QString::fromUtf8(c.value));
    // Every composition of the slip at start-up says it (the recipient, the owner,
    // the slip itself); the calibration page first says its box holds no number.
    QStringList atStart = texts();
    if (c.boxChecksIt) {
        ASSERT_FALSE(atStart.isEmpty());
        EXPECT_EQ(atStart.takeFirst(), QStringLiteral("'%1' není platné císlo!").arg(QString::fromUtf8(c.value)));
    }
    if (c.felt == Felt::AtStart) {
        ASSERT_FALSE(atStart.isEmpty());
        for (const QString &m : atStart)
            EXPECT_EQ(m, expected);
    } else {
        EXPECT_EQ(atStart, QStringList());
        messages.clear();
        form->ButtonPrintActual->click();
        EXPECT_EQ(texts(), QStringList({expected}));
        EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    }
    EXPECT_EQ(snapshot(dir.path()), before);

    // A page switch composes the slip again and says it again; nothing else breaks.
    messages.clear();
    form->PageControlMain->setCurrentIndex(1);
    if (c.felt == Felt::AtStart) {
        EXPECT_EQ(texts(), QStringList({expected}));
    }
    form->close();
    form.reset();
    EXPECT_EQ(IniFile(ini).readString(key->section, key->key, QString()), QString::fromUtf8(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadSettings,
    ::testing::Values(
        BadSetting{"PositionWord", "EditLayoutPriceX", "abc", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"PositionFraction", "EditLayoutVSY", "93,5", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"PositionTooBigForAnInteger", "EditLayoutRecipientCityX", "99999999999999999999", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"CharacterSetNumber", "EditLayoutPriceDist", "jedna", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FontSizeWord", "EditSetOtherFontSize1", "velké", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FontSizeZero", "EditSetOtherFontSize2", "0", Felt::AtStart,
                   "'%1' není celé císlo od 1 do 500 (nastavení %2)"},
        BadSetting{"SpacingFraction", "EditSetOtherDistance1", "19.5", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FirstRowLengthWord", "EditSetOtherLengthFirstPriceRow", "dvacet", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"CalibrationShift", "EditCalibrationPrintNullAxesX", "x", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)", true},
        BadSetting{"CalibrationSize", "EditCalibrationPrintSizePDFX", "šířka", Felt::WhenPrinting,
                   "'%1' není platné celé císlo (nastavení %2)", true}),
    [](const auto &info) { return std::string(info.param.name); });

// A settings file of random bytes: the designed values stand in, and the first save
// writes every setting readable again.
TEST_F(BadInput, SettingsFileOfRandomBytesGivesTheDesignedValues)
{
    QByteArray garbage = randomBytes(8192, 3);
    garbage.replace('[', '(');   // no section can be found by chance
    writeFile(dir.file("Kvitanky.ini"), garbage);
    ASSERT_TRUE(start(dir.path()));
    EXPECT_EQ(texts(), QStringList());
    EXPECT_EQ(edit("EditLayoutPriceX")->text(), QStringLiteral("465"));
    form->SaveSettings();
    form.reset();
    IniFile ini(dir.file("Kvitanky.ini"));
    int present = 0;
    for (const SettingKey &k : settingKeys())
        present += ini.hasKey(k.section, k.key) ? 1 : 0;
    EXPECT_EQ(present, 147);
    EXPECT_EQ(ini.readString("LAYOUT", "EditLayoutPriceX", QString()), QStringLiteral("465"));
}

// ---------------------------------------------------------------- slip pictures

struct BadPicture {
    const char *name;
    const char *file;
    std::function<QByteArray(const QByteArray &good)> damage;   // null: the file is missing
    const char *reason;   // null: what can be read is shown, nothing to say
};

void PrintTo(const BadPicture &c, std::ostream *os) { *os << c.name; }

class BadPictures : public BadInput, public ::testing::WithParamInterface<BadPicture>
{
};

// The window opens and says which picture it cannot use, each time it needs it; the
// data files are not touched and the rest of the program works.
TEST_P(BadPictures, AreNamedAndNothingElseSuffers)
{
    const BadPicture &c = GetParam();
    prepareProgramFolder(dir.path());
    pictureDir = dir.file("pictures");
    ASSERT_TRUE(QDir().mkpath(pictureDir));
    testsupport::copyPictures(pictureDir);
    const QString picture = QDir(pictureDir).filePath(QString::fromLatin1(c.file));
    if (c.damage)
        writeFile(picture, c.damage(readFile(picture)));
    else
        ASSERT_TRUE(QFile::remove(picture));
    const auto before = snapshot(dir.path());
    const QString expected =
        QStringLiteral("Nelze nacíst obrázek '%1': %2").arg(picture, c.reason ? QString::fromUtf8(c.reason) : QString());

    ASSERT_TRUE(start(dir.path()));
    if (c.reason) {
        ASSERT_FALSE(messages.isEmpty());
        for (const ui::MessageRequest &m : messages)
            EXPECT_EQ(m.text, expected);
    } else {
        EXPECT_EQ(texts(), QStringList());
    }
    messages.clear();
    form->PageControlMain->setCurrentIndex(5);
    EXPECT_EQ(texts(), c.reason ? QStringList({expected}) : QStringList());
    messages.clear();
    writeFile(dir.file("one.csv"), "Pan;Jan;Novak;;;;1;;;;;0;\n");
    importCsv(dir.file("one.csv"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Bylo importováno 1 záznamu.")}));
    form.reset();
    EXPECT_EQ(names(dir.file("Data.dbf")).size(), 5);
    auto after = snapshot(dir.path());
    after.remove(QStringLiteral("Data.dbf"));
    after.remove(QStringLiteral("one.csv"));
    auto expectedFiles = before;
    expectedFiles.remove(QStringLiteral("Data.dbf"));
    expectedFiles.remove(QStringLiteral("Kvitanky.ini"));
    after.remove(QStringLiteral("Kvitanky.ini"));
    EXPECT_EQ(after, expectedFiles);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadPictures,
    ::testing::Values(BadPicture{"SlipMissing", "IMAGE.bmp", nullptr, "soubor neexistuje."},
                      BadPicture{"SlipGarbage", "IMAGE.bmp", [](const QByteArray &) { return randomBytes(5000, 9); },
                                 "soubor není citelný obrázek."},
                      BadPicture{"SlipCutShort", "IMAGE.bmp", [](const QByteArray &b) { return b.left(60); },
                                 "soubor je zkrácený: obrázek má mít 924210 bajtů, soubor má jen 60."},
                      BadPicture{"CalibrationCutShort", "CALIBRAT5x5.bmp",
                                 [](const QByteArray &b) { return b.left(b.size() - 1); },
                                 "soubor je zkrácený: obrázek má mít 9462 bajtů, soubor má jen 9461."},
                      BadPicture{"SlipHeaderOnly", "IMAGE.bmp", [](const QByteArray &b) { return b.left(20); },
                                 "soubor není citelný obrázek."},
                      BadPicture{"CalibrationMissing", "CALIBRAT5x5.bmp", nullptr, "soubor neexistuje."}),
    [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- CSV files that are not CSV

struct BadCsv {
    const char *name;
    bool sixColumns;
    std::function<QByteArray()> content;   // null: a folder stands at the path
    int rows;                              // rows added; -1: refused, for whatever reason the bytes give
    QStringList messages;                  // %1: the path; empty: only the count
    qint64 size = 0;                       // the file grows to this size (a sparse tail of zeros)
};

void PrintTo(const BadCsv &c, std::ostream *os) { *os << c.name; }

class BadCsvFiles : public BadInput, public ::testing::WithParamInterface<BadCsv>
{
};

QByteArray goodLine(int i)
{
    return toCp1250(QStringLiteral("Pan;Jan%1;Novák;Hlavní %1;Praha;110 00;%1,5;%1;;;;0;\n").arg(i));
}

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
        BadCsv{"UnterminatedQuoteAtEnd", false, [] { return goodLine(1) + goodLine(2) + "Pan;\"Jan;Nov\xe1k\n"; }, 2,
               {"Soubor %1, řádek 3: uvozovky otevřené na tomto řádku se do konce souboru neuzavřely. Import "
                "skončil před tímto řádkem."}},
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


// ---------------------------------------------------------------- folders and files that cannot be written

// One user action and every message it brings.
struct Step {
    const char *what;
    std::function<void()> act;
    QStringList said;
};

void runSteps(QList<ui::MessageRequest> &messages, const std::vector<Step> &steps,
              const std::function<QStringList()> &texts)
{
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        messages.clear();
        step.act();
        EXPECT_EQ(texts(), step.said);
    }
}

class Unwritable : public BadInput
{
protected:
    void SetUp() override
    {
        BadInput::SetUp();
        source = dir.file("source");
        view = dir.file("view");
        ASSERT_TRUE(QDir().mkpath(source));
        ASSERT_TRUE(QDir().mkpath(view));
        writeFile(dir.file("in.csv"), goodLine(1) + goodLine(2));
    }
    void TearDown() override
    {
        BadInput::TearDown();
        mount.reset();
    }

    void steps(const std::vector<Step> &list)
    {
        runSteps(messages, list, [this] { return texts(); });
    }

    // Closing: the user is told the settings could not be saved and may stay.
    void closeRefusingTheSave(const QString &iniPath)
    {
        messages.clear();
        answer = ui::MessageAnswer::Cancel;
        EXPECT_FALSE(form->close());
        const QString said = QStringLiteral("Unable to write to ") + iniPath
                             + QStringLiteral("\n\nNastavení nebylo uloženo. Ukoncit program i tak?");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].text, said);
        EXPECT_TRUE(messages[0].withCancel);
        answer = ui::MessageAnswer::Ok;
        EXPECT_TRUE(form->close());
        form.reset();
    }

    QString readOnlyTable(const QString &folder) const
    {
        return QStringLiteral("Tabulka '%1': soubor je jen pro čtení, změny nelze uložit")
            .arg(QDir(folder).filePath("Data.dbf"));
    }
    static QString deleteAllQuestion(int rows)
    {
        return QStringLiteral("Opravdu si prejete Vymazat všechna data (%1) záznamu z adresáre?").arg(rows);
    }

    QString source;
    QString view;
    std::unique_ptr<Mount> mount;
};

// The program folder mounted read-only: the program starts, shows the data and
// refuses every change with a message that names the file; nothing is changed.
TEST_F(Unwritable, ProgramFolderRefusesEveryChangeAndKeepsTheFiles)
{
    prepareProgramFolder(source);
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    const auto before = snapshot(source);

    ASSERT_TRUE(start(view));
    EXPECT_EQ(texts(), QStringList());
    EXPECT_EQ(form->TableData.recordCount(), 4);
    const QString ini = QDir(view).filePath("Kvitanky.ini");
    steps({
        {"typing a name", [&] { edit("EditDataFirstName")->setText(QStringLiteral("Nové")); }, {readOnlyTable(view)}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); },
         {QStringLiteral("Cannot create ") + native(QDir(view).filePath("Data")) + QStringLiteral(" directory.")}},
        {"saving the settings", [&] { button("ButtonSetSave")->click(); }, {QStringLiteral("Unable to write to ") + ini}},
        {"importing", [&] { importCsv(dir.file("in.csv")); }, {readOnlyTable(view)}},
        {"exporting into the folder", [&] { exportCsv(QDir(view).filePath("export.csv")); },
         {QStringLiteral("Nemohu otevrít soubor ") + native(QDir(view).filePath("export.csv")) + QStringLiteral("."),
          QStringLiteral("Bylo exportováno 0 záznamu.")}},
        {"deleting all", [&] { impExp()->Button1->click(); }, {deleteAllQuestion(4), readOnlyTable(view)}},
        {"printing to a PDF file in the folder", [&] { form->ButtonPrintActual->click(); },
         {QStringLiteral("Nelze vytvorit soubor ") + native(QDir(view).filePath("Kvitanky.pdf"))
          + QStringLiteral(" (") + systemReason(EROFS) + QStringLiteral(").")}},
    });
    EXPECT_EQ(form->TableData.recordCount(), 4);
    closeRefusingTheSave(ini);
    mount.reset();
    EXPECT_EQ(snapshot(source), before);
}

// The very first start in a folder that cannot be written: the user learns that
// the settings file cannot be made and why the table cannot be made; no window.
TEST_F(Unwritable, FirstStartInAReadOnlyFolderSaysWhy)
{
    QString why;
    mount = Mount::readOnlyView(source, view, &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    EXPECT_FALSE(runEntry(view));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Nelze otevrít soubor 'Kvitanky.ini'"),
                                    QStringLiteral("Tabulka '%1': soubor nelze vytvořit: %2")
                                        .arg(QDir(view).filePath("Data.dbf"), systemReason(EROFS))}));
    EXPECT_EQ(snapshot(source), (QMap<QString, QByteArray>()));
}

// Table and settings file marked immutable (chattr +i): the same refusals, the
// files stay byte for byte, and no working file is left beside them.
TEST_F(Unwritable, ImmutableFilesRefuseChangesAndLeaveNoWorkingFiles)
{
    prepareProgramFolder(source);
    QString why;
    std::vector<std::unique_ptr<Immutable>> locks;
    for (const char *name : {"Data.dbf", "Owners.dbf", "Kvitanky.ini"}) {
        auto lock = Immutable::set(QDir(source).filePath(QString::fromLatin1(name)), &why);
        if (!lock)
            GTEST_SKIP() << why.toStdString();
        locks.push_back(std::move(lock));
    }
    const auto before = snapshot(source);
    const QStringList entries = QDir(source).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    ASSERT_TRUE(start(source));
    EXPECT_EQ(texts(), QStringList());
    const QString ini = QDir(source).filePath("Kvitanky.ini");
    steps({
        {"typing a name", [&] { edit("EditDataFirstName")->setText(QStringLiteral("Nové")); }, {readOnlyTable(source)}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); }, {readOnlyTable(source)}},
        {"saving the settings", [&] { button("ButtonSetSave")->click(); }, {QStringLiteral("Unable to write to ") + ini}},
        {"importing", [&] { importCsv(dir.file("in.csv")); }, {readOnlyTable(source)}},
        {"deleting all", [&] { impExp()->Button1->click(); }, {deleteAllQuestion(4), readOnlyTable(source)}},
    });
    closeRefusingTheSave(ini);
    EXPECT_EQ(snapshot(source), before);
    QStringList now = QDir(source).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    now.removeAll(QStringLiteral("Data"));   // the backup folder, made before the refusal
    EXPECT_EQ(now, entries);
}

// A full disk: saves fail with a message and keep the old file, no half file is
// left, an import keeps every row posted before the disk ran full, and once there
// is room again everything goes on.
TEST_F(Unwritable, FullDiskKeepsOldFilesAndPostedRows)
{
    QString why;
    mount = Mount::tmpfs(source, "size=256k", &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    prepareProgramFolder(source);
    QByteArray bigCsv;
    for (int i = 0; i < 400; ++i)
        bigCsv += goodLine(i);
    writeFile(dir.file("big.csv"), bigCsv);

    ASSERT_TRUE(start(source));
    const QString filler = dir.file("source/filler");
    ASSERT_GT(fillUp(filler), 0);
    const auto before = snapshot(source);
    const QString ini = QDir(source).filePath("Kvitanky.ini");

    steps({
        {"saving the settings",
         [&] {
             edit("EditSetOwnerAddress1")->setText(QStringLiteral("Nová adresa, která se nevejde"));
             button("ButtonSetSave")->click();
         },
         {QStringLiteral("Unable to write to ") + ini}},
        {"saving with backups", [&] { button("ButtonDataTableSave")->click(); },
         {QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close."),
          QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close.")}},
    });
    auto now = snapshot(source);
    EXPECT_EQ(now, before);

    // The import runs until the table cannot grow.
    messages.clear();
    importCsv(dir.file("big.csv"));
    const int posted = form->TableData.recordCount() - 4;
    EXPECT_GE(posted, 0);
    EXPECT_LT(posted, 400);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(messages[0].text, QStringLiteral("Tabulka '%1': do souboru nelze zapisovat: %2")
                                    .arg(QDir(source).filePath("Data.dbf"), systemReason(ENOSPC)));
    closeRefusingTheSave(ini);

    const QString table = QDir(source).filePath("Data.dbf");
    QStringList rows = names(table);
    ASSERT_EQ(rows.size(), 4 + posted);
    for (int i = 0; i < posted; ++i)
        EXPECT_EQ(rows[4 + i], QStringLiteral("Jan%1 Novák").arg(i));
    EXPECT_EQ(header(readFile(table)).count, quint32(4 + posted));
    expectDbfreadRows(table, 4 + posted);

    // Room again: the next session imports the rest behind the rows already there.
    ASSERT_TRUE(QFile::remove(filler));
    messages.clear();
    ASSERT_TRUE(start(source));
    importCsv(dir.file("big.csv"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Bylo importováno 400 záznamu.")}));
    form.reset();
    rows = names(table);
    ASSERT_EQ(rows.size(), 4 + posted + 400);
    EXPECT_EQ(rows.last(), QStringLiteral("Jan399 Novák"));
    expectDbfreadRows(table, 4 + posted + 400);
}


// Files the program replaces as a whole (exports, the PDF, the table when it is
// compacted) on a full disk: the earlier file must stay, and the user must hear
// that the new one was not written. QSaveFile::commit() does not notice that the
// flush of the last buffered bytes failed: it renames the short file into place
// and reports success, so every writer has to flush() and check before commit().
class FullDisk : public Unwritable
{
protected:
    // Starts in a small file system of its own and fills it up after `before`.
    bool startFull(const std::function<void()> &before = {})
    {
        QString why;
        mount = Mount::tmpfs(source, "size=128k", &why);
        if (!mount) {
            skipReason = why;
            return false;
        }
        prepareProgramFolder(source);
        if (!start(source))
            return false;
        if (before)
            before();
        messages.clear();
        EXPECT_GT(fillUp(QDir(source).filePath("filler")), 0);
        return true;
    }
    QString skipReason;
};

TEST_F(FullDisk, CsvExportKeepsTheEarlierExport)
{
    const QString path = QDir(source).filePath("export.csv");
    if (!startFull([&] { exportCsv(path); }))
        GTEST_SKIP() << skipReason.toStdString();
    const QByteArray earlier = readFile(path);
    ASSERT_FALSE(earlier.isEmpty());
    exportCsv(path);
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Nemohu otevrít soubor ") + native(path) + QStringLiteral("."),
                                    QStringLiteral("Bylo exportováno 0 záznamu.")}));
    EXPECT_EQ(readFile(path), earlier);
}

TEST_F(FullDisk, PdfPrintKeepsTheEarlierPdf)
{
    const QString path = QDir(source).filePath("Kvitanky.pdf");
    if (!startFull([&] { form->ButtonPrintActual->click(); }))
        GTEST_SKIP() << skipReason.toStdString();
    const QByteArray earlier = readFile(path);
    ASSERT_TRUE(earlier.startsWith("%PDF"));
    messages.clear();
    form->ButtonPrintAll->click();
    // Before the job its summary and the question about the existing file; then one error.
    QList<ui::MessageRequest> errors;
    for (const ui::MessageRequest &m : messages) {
        if (m.kind == ui::MessageKind::Error)
            errors << m;
    }
    ASSERT_EQ(errors.size(), 1) << texts().join('\n').toStdString();
    EXPECT_TRUE(errors[0].text.startsWith(QStringLiteral("Nelze zapsat soubor ") + native(path)))
        << errors[0].text.toStdString();
    EXPECT_EQ(readFile(path), earlier);
}

TEST_F(FullDisk, WorkbookExportIsNotReportedAsDone)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    QList<QUrl> opened;
    ui::setOpenUrlHook([&](const QUrl &url) {
        opened << url;
        return true;
    });
    impExp()->ButtonExportXLS->click();
    ui::setOpenUrlHook({});
    // Either an error naming the workbook, or a whole workbook that opens.
    if (opened.isEmpty()) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].kind, ui::MessageKind::Error);
    } else {
        const QString path = opened[0].toLocalFile();
        const QByteArray bytes = readFile(path);
        EXPECT_TRUE(bytes.startsWith("PK\x03\x04") && bytes.contains("PK\x05\x06"))
            << path.toStdString() << " holds " << bytes.size() << " bytes, not a whole workbook";
    }
}

// Deleting a quarter of the rows makes the table compact itself when it closes.
TEST_F(FullDisk, CompactionAtCloseKeepsTheRows)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    button("ButtonDataTableDelete")->click();
    EXPECT_EQ(form->TableData.recordCount(), 3);
    answer = ui::MessageAnswer::Ok;
    form.reset();
    const QString table = QDir(source).filePath("Data.dbf");
    EXPECT_GT(QFileInfo(table).size(), 0);
    QStringList rows;
    EXPECT_NO_THROW(rows = names(table));
    EXPECT_EQ(rows.size(), 3);
}

TEST_F(FullDisk, DeleteAllLeavesATable)
{
    if (!startFull())
        GTEST_SKIP() << skipReason.toStdString();
    impExp()->Button1->click();
    form.reset();
    const QString table = QDir(source).filePath("Data.dbf");
    // Either every row is gone from a valid table, or the rows stayed and the user heard why.
    QStringList rows;
    EXPECT_NO_THROW(rows = names(table)) << "the table no longer opens";
    EXPECT_TRUE(rows.isEmpty() || rows.size() == 4);
    if (rows.size() == 4) {
        ASSERT_EQ(messages.size(), 2);
        EXPECT_EQ(messages[1].kind, ui::MessageKind::Error);
    }
}


// The first start on a full disk cannot create the table; once there is room the
// next start must create it, not stumble over a file the first one left.
TEST_F(FullDisk, FirstStartLeavesNoEmptyTableBehind)
{
    QString why;
    mount = Mount::tmpfs(source, "size=64k", &why);
    if (!mount)
        GTEST_SKIP() << why.toStdString();
    const QString filler = QDir(source).filePath("filler");
    ASSERT_GT(fillUp(filler), 0);
    EXPECT_FALSE(runEntry(source));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().text.startsWith(
        QStringLiteral("Tabulka '%1': ").arg(QDir(source).filePath("Data.dbf"))))
        << messages.last().text.toStdString();

    ASSERT_TRUE(QFile::remove(filler));
    messages.clear();
    ASSERT_TRUE(runEntry(source)) << texts().join('\n').toStdString();
    EXPECT_EQ(names(QDir(source).filePath("Data.dbf")).size(), 4);
}

} // namespace
