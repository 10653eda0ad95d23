// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: Slip pictures that are missing or broken.
#include "BadInputFixture.h"

using namespace badinput;

namespace {

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

} // namespace
