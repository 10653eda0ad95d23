// SPDX-License-Identifier: GPL-3.0-or-later
// "Tisk řádků": each box keeps what is typed into it, a range running backwards is
// refused on "Tisknout", and its numbers are the row numbers the grid shows.
#include "GuiTestSupport.h"

#include "data/RecipientPage.h"
#include "print/PrintJobs.h"
#include "print/PrintRangeDialog.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

using namespace kvitanky;
using namespace testsupport;

namespace {

struct RangeCase {
    const char *name;
    const char *from;   // typed into "Od", then
    const char *to;     // typed into "Do"
    bool printed;
};

class PrintRangeTyping : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(PrintRangeTyping, BoxesKeepWhatWasTypedAndABackwardRangeIsRefused)
{
    const RangeCase c = GetParam();
    PrintRangeDialog dialog(nullptr, 118, 1, 118);
    for (auto [spin, text] : {std::pair{dialog.SpinFrom, c.from}, std::pair{dialog.SpinTo, c.to}}) {
        spin->selectAll();
        typeText(spin, QString::fromLatin1(text));
    }
    EXPECT_EQ(dialog.SpinFrom->value(), QString::fromLatin1(c.from).toInt());
    EXPECT_EQ(dialog.SpinTo->value(), QString::fromLatin1(c.to).toInt());
    dialog.ButtonPrint->click();
    EXPECT_EQ(dialog.result() == QDialog::Accepted, c.printed);
    EXPECT_EQ(!dialog.LabelRangeNote->isHidden(), !c.printed);
    if (!c.printed) {
        EXPECT_TRUE(dialog.LabelRangeNote->text().contains(QString::fromUtf8("pozpátku se netiskne")))
            << dialog.LabelRangeNote->text().toStdString();
        // Corrected, the same dialog prints.
        dialog.SpinTo->selectAll();
        typeText(dialog.SpinTo, QString::fromLatin1(c.from));
        dialog.ButtonPrint->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, PrintRangeTyping,
                         ::testing::Values(RangeCase{"forwards", "41", "60", true},
                                           RangeCase{"oneRow", "7", "7", true},
                                           RangeCase{"backwards", "60", "41", false},
                                           RangeCase{"backwardsByOne", "12", "11", false}),
                         [](const auto &info) { return std::string(info.param.name); });

class PrintRangeRows : public FormTest
{
};

// The grid numbers its rows from 1; the range proposes the number of the row on screen.
TEST_F(PrintRangeRows, RangeSpeaksOfTheGridsRowNumbers)
{
    startForm();
    showPage(form->TabSheetData);
    QTableView *grid = form->TabSheetData->DBGridData;
    EXPECT_FALSE(grid->verticalHeader()->isHidden());
    clickRow(grid, 2);
    const QString shown = grid->model()->headerData(2, Qt::Vertical).toString();
    EXPECT_EQ(shown, "3");
    int proposed = 0;
    desktop->onDialog = [&](QDialog &d) {
        proposed = dynamic_cast<PrintRangeDialog &>(d).SpinFrom->value();
        d.reject();
        return d.result();
    };
    form->Printing->ActionPrintRange->trigger();
    EXPECT_EQ(QString::number(proposed), shown);
}

} // namespace
