// SPDX-License-Identifier: GPL-3.0-or-later
// An account pasted whole into any of its three boxes (settings page, owner page)
// fills prefix, number and bank code; a paste that is no account, or does not fit
// its box, is refused with a note and every box keeps what it held.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/OwnersPage.h"
#include "settings/SettingsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>

using namespace kvitanky;
using namespace testsupport;

namespace {

struct PasteCase {
    const char *pasted;
    int box;                  // pasted into: 0 prefix, 1 number, 2 bank code; -1 each
    const char *expected[3];  // null: the paste is refused
};

const PasteCase pasteCases[] = {
    {"19-2000145399/0800", -1, {"19", "2000145399", "0800"}},
    {" 19 - 2000145399 / 0800\n", -1, {"19", "2000145399", "0800"}},
    {"19-2000145399 / 0800", -1, {"19", "2000145399", "0800"}},
    {"2000145399/0800", -1, {"", "2000145399", "0800"}},
    {"19-2000145399", -1, {"19", "2000145399", "0000"}},
    {"2000 1453 99", 1, {"123456", "2000145399", "0000"}},
    {"0800", 2, {"123456", "0123456789", "0800"}},
    {"19-2000145399/08001", -1, {}},
    {"1234567-2000145399/0800", -1, {}},
    {"č. ú. 2000145399/0800", -1, {}},
    {"2000145399", 0, {}},   // ten digits do not fit the prefix box
    {"Praha", -1, {}},
};

class AccountPasteTest : public FormTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(AccountPasteTest, WholeAccountFillsTheThreeBoxesAnythingElseIsRefused)
{
    startForm();
    const bool owners = GetParam() == QLatin1String("owners");
    if (owners)
        check("CheckBoxSetOwnersAdr")->click();
    showPage(owners ? static_cast<QWidget *>(form->TabSheetOwnersAdr) : form->TabSheetSetting);
    const QStringList names = owners ? QStringList{"EditOwnerNum1", "EditOwnerNum2", "EditOwnerIDB"}
                                     : QStringList{"EditSetOwnerAccountNum1", "EditSetOwnerAccountNum2",
                                                   "EditSetOwnerAccountIDB"};
    const QStringList held = {"123456", "0123456789", "0000"};
    const QStringList columns = {"Num1", "Num2", "IDB"};
    for (const PasteCase &c : pasteCases) {
        for (int box = 0; box < 3; ++box) {
            if (c.box >= 0 && c.box != box)
                continue;
            for (int i = 0; i < 3; ++i) {
                edit(names[i])->setText(held[i]);
                edit(names[i])->setToolTip(QString());
            }
            const std::string what = std::string(c.pasted) + " into " + names[box].toStdString();
            QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
            edit(names[box])->selectAll();
            edit(names[box])->paste();
            QCoreApplication::processEvents();   // the boxes are filled once the paste has been taken apart
            for (int i = 0; i < 3; ++i) {
                const QString expected = c.expected[0] ? QString::fromLatin1(c.expected[i]) : held[i];
                EXPECT_EQ(edit(names[i])->text().toStdString(), expected.toStdString()) << what;
                if (owners) {
                    EXPECT_EQ(form->TableOwners.fieldByName(columns[i]).asString().toStdString(),
                              expected.toStdString())
                        << what;
                }
            }
            EXPECT_EQ(edit(names[box])->toolTip().isEmpty(), c.expected[0] != nullptr) << what;
            EXPECT_TRUE(messages.isEmpty()) << texts().join('|').toStdString() << " after " << what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, AccountPasteTest, ::testing::Values("settings", "owners"));

} // namespace
