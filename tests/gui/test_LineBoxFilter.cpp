// SPDX-License-Identifier: GPL-3.0-or-later
// What a one-line box takes from the keyboard, the clipboard and the program.
#include "GuiTestSupport.h"

#include "data/OwnersPage.h"
#include "data/RecipientPage.h"
#include "shell/MainWindow.h"
#include "shell/PageControls.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>

using namespace kvitanky;
using namespace testsupport;

namespace {

struct BoxCase {
    const char *name;
    int limit;
    const char *programText;   // put in by the program first (UTF-8)
    const char *pasted;        // then pasted at the end, or null
    const char *typed;         // then typed, or null
    const char *expected;
    bool noted;                // a refused character was noted beside the box
};

class LineBoxFilterTest : public ::testing::TestWithParam<BoxCase>
{
};

TEST_P(LineBoxFilterTest, BoxHoldsOneStorableLine)
{
    const BoxCase c = GetParam();
    QWidget parent;
    QLineEdit *box = ui::lineEdit(&parent, "Box", 0, 0, 100, c.limit);
    box->setText(QString::fromUtf8(c.programText));
    if (c.pasted) {
        QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
        box->end(false);
        box->paste();
    }
    if (c.typed)
        typeText(box, QString::fromUtf8(c.typed));
    EXPECT_EQ(box->text(), QString::fromUtf8(c.expected));
    QCoreApplication::processEvents();
    EXPECT_EQ(!box->toolTip().isEmpty(), c.noted) << box->toolTip().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineBoxFilterTest,
    ::testing::Values(BoxCase{"pastedLf", 0, "", "Obecní úřad\nHlavní 1", nullptr, "Obecní úřad Hlavní 1", false},
                      BoxCase{"pastedCrLfAndSection", 30, "A", "\r\n[SET]\r\n", nullptr, "A [SET] ", false},
                      BoxCase{"programLineBreak", 0, "a\r\nb\rc", nullptr, nullptr, "a b c", false},
                      BoxCase{"longPasteIsCut", 10, "12", "345678901234", nullptr, "1234567890", false},
                      BoxCase{"longProgramTextStaysWhole", 4, "123456", nullptr, "7", "123456", false},
                      BoxCase{"typedAtLimit", 4, "", nullptr, "12345", "1234", false},
                      BoxCase{"typedUnstorable", 0, "Pe", nullptr, "ñaΩ", "Pea", true},
                      BoxCase{"pastedUnstorable", 0, "", "x😀y", nullptr, "xy", true},
                      BoxCase{"czechIsStorable", 0, "", "ŘÍŽŤ€„“", nullptr, "ŘÍŽŤ€„“", false}),
    [](const auto &info) { return std::string(info.param.name); });

// The boxes of a table in a foreign code page (852 or 1252, as other programs write
// them) refuse what that code page cannot hold, with the same note naming it.
class ForeignTableBoxes : public FormTest
{
};

TEST_F(ForeignTableBoxes, RefuseWhatTheTableCannotHold)
{
    startForm();
    form.reset();
    const auto setLanguageDriver = [&](const char *table, char ldid) {
        QFile f(dir.file(table));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(29) && f.write(&ldid, 1) == 1);
    };
    setLanguageDriver("Data.dbf", char(0x64));     // DOS Latin 2 (852)
    setLanguageDriver("Owners.dbf", char(0x03));   // Windows-1252
    startForm();
    form->check("CheckBoxSetOwnersAdr")->setChecked(true);   // the owner page's tab
    // Typed one key at a time: the note names the last character refused.
    const struct { QWidget *page; const char *box; const char *kept; const char *note; } cases[] = {
        {form->TabSheetData, "EditDataFirstName", "Jiří", "Znak „€“ nelze v kódování CP852 uložit, nebyl vložen."},
        {form->TabSheetOwnersAdr, "EditOwnerAddress1", "Jií – €",
         "Znak „ř“ nelze v kódování Windows-1252 uložit, nebyl vložen."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.box);
        showPage(c.page);
        QLineEdit *box = edit(c.box);
        clearBox(box);
        typeText(box, QStringLiteral("Jiří – €"));
        QCoreApplication::processEvents();
        EXPECT_EQ(box->text().simplified(), QString::fromUtf8(c.kept).simplified());
        EXPECT_EQ(box->toolTip(), QString::fromUtf8(c.note));
    }
    form->TableData.post();
    EXPECT_EQ(form->TableData.fieldByName("JMENO").asString().simplified(), QStringLiteral("Jiří"));
}

} // namespace
