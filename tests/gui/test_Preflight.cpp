// SPDX-License-Identifier: GPL-3.0-or-later
// The check before "Tisk všech Kvitanky" in the window: its dialog, printing only
// the right slips, the jump to the first faulty row, and the account boxes marked
// while the user types.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientPage.h"
#include "data/RecipientTable.h"
#include "print/PrintJobs.h"
#include "print/PrintQuestions.h"
#include "print/SlipPreflight.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

#include <random>

using namespace kvitanky;
using namespace testsupport;

namespace {

class PreflightTest : public FormTest
{
protected:
    void SetUp() override
    {
        desktop->onDialog = [this](QDialog &dialog) {
            if (auto *box = qobject_cast<QMessageBox *>(&dialog); box && box->objectName() == "JobReport") {
                reports << box->text();
                box->button(QMessageBox::Ok)->click();
                return box->result();
            }
            if (dialog.objectName() != "PreflightDialog")
                return desktop->answerAsUser(dialog);
            auto &d = dynamic_cast<PreflightDialog &>(dialog);
            summary = d.summary();
            preflightSlips = d.preflight().slips();
            for (const char *name : {"ButtonPreflightPrint", "ButtonPreflightPrintCorrect", "ButtonPreflightCancel",
                                     "ButtonPreflightShowFirst"}) {
                auto *b = d.findChild<QPushButton *>(name);
                buttons[name] = b && b->isEnabled();
                if (b && b->isDefault())
                    defaultButton = name;
            }
            // Answered by a click on the button, as the user would.
            return FakeDesktop::click(d, QString::fromLatin1(*clickOn ? clickOn : buttonOf(answer)));
        };
    }

    static const char *buttonOf(PreflightDialog::Answer a)
    {
        switch (a) {
        case PreflightDialog::Answer::PrintAll: return "ButtonPreflightPrint";
        case PreflightDialog::Answer::PrintCorrect: return "ButtonPreflightPrintCorrect";
        case PreflightDialog::Answer::ShowFirstFault: return "ButtonPreflightShowFirst";
        case PreflightDialog::Answer::Cancel: break;
        }
        return "ButtonPreflightCancel";
    }

    void setRow(int row, const char *column, const QString &value)
    {
        DbfTable &t = form->TableData;
        t.moveTo(row);
        t.edit();
        t.fieldByName(column).setAsString(value);
        t.post();
    }

    // A right account, and the words not checked (the first sample's row 1 runs
    // past its box with the designed lengths).
    void useValidAccount()
    {
        check("CheckBoxSetOtherOffOverflowSecondRowPrice")->setChecked(true);
        edit("EditSetOwnerAccountNum1")->setText("19");
        edit("EditSetOwnerAccountNum2")->setText("2000145399");
        edit("EditSetOwnerAccountIDB")->setText("0800");
    }

    QString summary;
    int preflightSlips = -1;
    QHash<QString, bool> buttons;   // present and enabled
    QString defaultButton;
    const char *clickOn = "";
    PreflightDialog::Answer answer = PreflightDialog::Answer::PrintAll;
    QStringList reports;
};

// Clean: only the count, the printer and the file, "Tisknout" as the default.
TEST_F(PreflightTest, CleanJobAsksOnceWithPrintAsDefault)
{
    startForm();
    useValidAccount();
    form->ButtonPrintAll->click();
    EXPECT_EQ(summary, QString::fromUtf8("Tisk 3 kvitance na tiskárnu PDF soubor.\nSoubor: %1")
                           .arg(QDir::toNativeSeparators(dir.file("Kvitanky.pdf"))));
    EXPECT_EQ(defaultButton, "ButtonPreflightPrint");
    EXPECT_FALSE(buttons.value("ButtonPreflightPrintCorrect"));
    EXPECT_TRUE(buttons.value("ButtonPreflightCancel"));
    EXPECT_EQ(reports.size(), 1);

    // Two slips alike are a note: "Tisknout" stays the default and prints them.
    setRow(0, "VAR_SYMB", "777");
    setRow(2, "VAR_SYMB", "0777");
    QFile::remove(dir.file("Kvitanky.pdf"));
    form->ButtonPrintAll->click();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("\n• stejný variabilní symbol: řádky 1 a 3"))) << summary.toStdString();
    EXPECT_EQ(defaultButton, "ButtonPreflightPrint");
    EXPECT_FALSE(buttons.value("ButtonPreflightPrintCorrect"));
    EXPECT_EQ(reports.size(), 2);
}

// Faults: counts per kind with the first rows; "Tisknout jen správné" prints the
// others; "Zrušit" is the default.
TEST_F(PreflightTest, PrintOnlyTheRightSlips)
{
    if (!haveProgram("pdfinfo"))
        GTEST_SKIP() << "poppler-utils missing";
    startForm();
    useValidAccount();
    setRow(1, "CASTKA", "-30");
    setRow(2, "VAR_SYMB", "99a");
    clickOn = "ButtonPreflightPrintCorrect";
    answer = PreflightDialog::Answer::PrintCorrect;
    form->ButtonPrintAll->click();
    EXPECT_EQ(defaultButton, "ButtonPreflightCancel");
    EXPECT_TRUE(buttons.value("ButtonPreflightPrintCorrect"));
    EXPECT_TRUE(buttons.value("ButtonPreflightShowFirst"));
    EXPECT_TRUE(summary.contains(QString::fromUtf8("• %1: 1 (řádek 2 Marie Svobodová)")
                                     .arg(SlipPreflight::faultName(SlipFault::VoidAmount))))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("řádek 3 Petr Dvořák"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("Chybných kvitancí: 2 z 3."))) << summary.toStdString();
    EXPECT_EQ(pdfPages(dir.file("Kvitanky.pdf")), 1);
    EXPECT_EQ(reports, QStringList{QString::fromUtf8("Vytištěna 1 kvitance do souboru %1.")
                                       .arg(QDir::toNativeSeparators(dir.file("Kvitanky.pdf")))});
    EXPECT_TRUE(texts().isEmpty()) << texts().join("|").toStdString();
}

// An amount the file holds as asterisks (dBase's overflow) is a void slip in the
// preflight and on paper; the job goes on with the other slips.
TEST_F(PreflightTest, UnreadableAmountIsAVoidSlipNotAnError)
{
    if (!haveProgram("pdfinfo"))
        GTEST_SKIP() << "poppler-utils missing";
    writeSampleRecipients(dir.path());
    patchDbfField(dir.file("Data.dbf"), 1, "CASTKA", QByteArray(20, '*'));
    patchDbfField(dir.file("Data.dbf"), 0, "VYRAZENO", "    .T");
    startForm();
    useValidAccount();
    form->ButtonPrintAll->click();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("• %1: 1 (řádek 2 Marie Svobodová)")
                                     .arg(SlipPreflight::faultName(SlipFault::UnreadableAmount))))
        << summary.toStdString();
    EXPECT_EQ(pdfPages(dir.file("Kvitanky.pdf")), 3);
    EXPECT_TRUE(texts().isEmpty()) << texts().join("|").toStdString();
}

// Over random tables and ranges, a job prints exactly the slips its preflight
// counted: the rows of the range whose exclusion mark reads as 0 (a mark that is
// no number reads as 0).
TEST_F(PreflightTest, PrintedCountIsThePreflightCount)
{
    if (!haveProgram("pdfinfo"))
        GTEST_SKIP() << "poppler-utils missing";
    std::mt19937 random(randomSeed("PrintedCountIsThePreflightCount"));
    const int rows = 1 + int(random() % 12);
    std::vector<bool> printedRow;
    {
        DbfTable table;
        CreateRecipientTable(table, dir.path());
        for (int i = 0; i < rows; ++i) {
            const int mark = std::array{0, 0, 1, -1, 3}[random() % 5];
            table.append();
            table.fieldByName("PRIJMENI").setAsString(QStringLiteral("Novák %1").arg(i));
            table.fieldByName("CASTKA").setAsFloat(10 + i);
            table.fieldByName("VYRAZENO").setAsInteger(mark);
            printedRow.push_back(mark == 0);
        }
        table.post();
        table.setActive(false);
    }
    for (int i = 0; i < rows; ++i) {
        if (random() % 6 == 0) {
            patchDbfField(dir.file("Data.dbf"), i, "VYRAZENO", "******");
            printedRow[size_t(i)] = true;
        }
    }
    startForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    for (int round = 0; round < 5; ++round) {
        const int from = int(random() % unsigned(rows));
        const int to = from + int(random() % unsigned(rows + 2));
        int expected = 0;
        for (int i = from; i <= std::min(to, rows - 1); ++i)
            expected += printedRow[size_t(i)];
        QFile::remove(pdf);
        preflightSlips = -1;
        reports.clear();
        messages.clear();
        form->Printing->printRows(from, to);
        SCOPED_TRACE(QStringLiteral("rows %1 to %2").arg(from).arg(to).toStdString());
        if (expected == 0) {
            EXPECT_EQ(preflightSlips, -1);
            EXPECT_EQ(texts(), QStringList{QString::fromUtf8("Žádná kvitance k tisku.")});
            continue;
        }
        EXPECT_EQ(preflightSlips, expected);
        EXPECT_EQ(pdfPages(pdf), expected);
        EXPECT_EQ(reports, QStringList{printedSlips(expected) + QString::fromUtf8(" do souboru %1.")
                                                                    .arg(QDir::toNativeSeparators(pdf))});
    }
}

// The jump: no job, the recipient page on the first faulty row.
TEST_F(PreflightTest, JumpToTheFirstFaultyRow)
{
    startForm();
    useValidAccount();
    form->show();
    setRow(2, "PRIJMENI", "");
    setRow(2, "JMENO", "");
    clickOn = "ButtonPreflightShowFirst";
    answer = PreflightDialog::Answer::ShowFirstFault;
    form->ButtonPrintAll->click();
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    EXPECT_EQ(form->PageControlMain->currentWidget(), static_cast<QWidget *>(form->TabSheetData));
    EXPECT_EQ(form->TableData.recNo(), 2);
    EXPECT_EQ(edit("EditDataCity")->text(), QString::fromUtf8("Velká Lhota"));
    EXPECT_TRUE(reports.isEmpty());
}

// A wrong account is a fault of every slip: "Tisknout jen správné" is off.
TEST_F(PreflightTest, WrongAccountLeavesNoRightSlip)
{
    startForm();
    clickOn = "ButtonPreflightCancel";
    answer = PreflightDialog::Answer::Cancel;
    form->ButtonPrintAll->click();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("účet příjemce 123456-0123456789/0000 (na všech kvitancích)")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QString::fromUtf8("Má-li tiskopis účet předtištěný"))) << summary.toStdString();
    EXPECT_FALSE(buttons.value("ButtonPreflightPrintCorrect"));
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    EXPECT_TRUE(reports.isEmpty());
}

struct AccountBoxes {
    const char *prefix, *number, *bank;
};

class AccountMarksTyped : public PreflightTest, public ::testing::WithParamInterface<AccountBoxes>
{
};

// Typed key by key, the account is marked wrong until its last digit makes it right.
TEST_P(AccountMarksTyped, WrongAccountMarkedWhileTyping)
{
    startForm();
    const AccountBoxes b = GetParam();
    QLineEdit *prefix = edit(b.prefix);
    QLineEdit *number = edit(b.number);
    QLineEdit *bank = edit(b.bank);
    ASSERT_TRUE(prefix && number && bank);
    const auto fault = [](QLineEdit *e) { return e->property("accountFault").toString(); };
    for (QLineEdit *e : {prefix, number, bank})
        clearBox(e);
    typeText(prefix, "19");
    typeText(bank, "0800");
    typeText(number, "200014539");
    EXPECT_TRUE(fault(number).contains(QString::fromUtf8("kontrolní číslice"))) << fault(number).toStdString();
    EXPECT_EQ(number->toolTip(), fault(number));
    typeText(number, "9");
    EXPECT_EQ(fault(number), QString());
    EXPECT_EQ(fault(prefix), QString());
    EXPECT_EQ(fault(bank), QString());
    pressKey(prefix, Qt::Key_Backspace);
    EXPECT_FALSE(fault(prefix).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Pages, AccountMarksTyped,
                         ::testing::Values(AccountBoxes{"EditSetOwnerAccountNum1", "EditSetOwnerAccountNum2",
                                                        "EditSetOwnerAccountIDB"},
                                           AccountBoxes{"EditOwnerNum1", "EditOwnerNum2", "EditOwnerIDB"}));

} // namespace
