// SPDX-License-Identifier: GPL-3.0-or-later
// The amount box takes what the slip's boxes hold, 8 digits of koruny and 2 of
// haléře, blanks grouping thousands free: whatever is typed, pasted or deleted,
// the table holds the amount the box shows, or the edit is refused with a note
// and the box keeps what it held.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/RecipientPage.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRegularExpression>

#include <optional>
#include <random>

using namespace kvitanky;
using namespace testsupport;

namespace {

// What a text means as an amount: blanks dropped, a dot read as the comma; none
// for a text that is no amount or does not fit the slip's boxes.
std::optional<double> fittingAmount(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("[ \u00A0\u202F]")));
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    const auto m = QRegularExpression(QStringLiteral("^([+-]?)(\\d*)(?:,(\\d*))?$")).match(text);
    if (!m.hasMatch() || m.captured(2).size() > 8 || m.captured(3).size() > 2)
        return std::nullopt;
    const double value = QString(m.captured(2) + QLatin1Char('.') + m.captured(3) + QLatin1Char('0')).toDouble();
    return m.captured(1) == QLatin1String("-") ? -value : value;
}

struct Edit {
    enum Kind { Paste, Type, Backspace } kind;
    QString text;   // pasted over the whole box, or one character typed at its end
    int at = 0;     // Backspace: the caret position (from 1)
};

QString describe(const Edit &e)
{
    const char *kinds[] = {"paste", "type", "backspace at"};
    return QString::fromLatin1(kinds[e.kind]) + QLatin1Char(' ')
           + (e.kind == Edit::Backspace ? QString::number(e.at) : QLatin1Char('"') + e.text + QLatin1Char('"'));
}

// Amounts as people write them (grouped, signed, dotted, too long) and junk.
QString randomTypedText(std::mt19937 &rng)
{
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const QString junk = QStringLiteral("0123456789 ,.-+ae\u00A0");
    QString t;
    if (pick(4) == 0) {
        for (int i = pick(8) + 2; i > 0; --i)
            t += junk[pick(int(junk.size()))];
        return t;
    }
    if (pick(6) == 0)
        t += QLatin1Char('-');
    const int koruny = pick(11);
    for (int i = 0; i < koruny; ++i) {
        if (i > 0 && (koruny - i) % 3 == 0 && pick(2))
            t += pick(3) ? QChar(' ') : QChar(0x00A0);
        t += QChar('0' + pick(10));
    }
    if (pick(2)) {
        t += pick(3) ? QChar(',') : QChar('.');
        for (int i = pick(4); i > 0; --i)
            t += QChar('0' + pick(10));
    }
    return t;
}

class AmountBoxTest : public FormTest
{
};

TEST_F(AmountBoxTest, StoredIsWhatTheBoxShowsOrTheEditIsRefusedWithANote)
{
    startForm();
    showPage(form->TabSheetData);
    QLineEdit *box = edit("EditDataPrice");
    const auto stored = [&] { return form->TableData.fieldByName("CASTKA").asFloat(); };

    // What was seen going wrong first, then what the seed brings.
    QList<Edit> edits = {
        {Edit::Paste, QStringLiteral("1 250 000")},   {Edit::Paste, QStringLiteral("125 000,50")},
        {Edit::Paste, QStringLiteral("12345678,90")}, {Edit::Paste, QStringLiteral("123 456 789")},
        {Edit::Paste, QStringLiteral("2 500")},       {Edit::Backspace, {}, 1},
        {Edit::Type, QStringLiteral("a")},
    };
    const unsigned seed = randomSeed("AmountBox");
    std::mt19937 rng(seed);
    for (int i = 0; i < 400; ++i) {
        switch (rng() % 3) {
        case 0:
            edits.append({Edit::Paste, randomTypedText(rng)});
            break;
        case 1:
            edits.append({Edit::Type, randomTypedText(rng).left(1)});
            break;
        default:
            edits.append({Edit::Backspace, {}, int(rng() % 12) + 1});
        }
    }

    for (const Edit &e : edits) {
        const QString before = box->text();
        const double storedBefore = stored();
        QString after = before;
        box->setToolTip(QString());
        switch (e.kind) {
        case Edit::Paste:
            after = e.text;
            QApplication::clipboard()->setText(e.text);
            box->selectAll();
            box->paste();
            break;
        case Edit::Type:
            after = before + e.text;
            box->end(false);
            typeText(box, e.text);
            break;
        case Edit::Backspace:
            if (e.at > before.size())
                continue;
            after = before.left(e.at - 1) + before.mid(e.at);
            box->setCursorPosition(e.at);
            pressKey(box, Qt::Key_Backspace);
            break;
        }
        QCoreApplication::processEvents();   // the note comes queued
        const std::string step = (describe(e) + QStringLiteral(" into \"") + before + QStringLiteral("\", seed ")
                                  + QString::number(seed))
                                     .toStdString();
        ASSERT_TRUE(messages.isEmpty()) << texts().join('|').toStdString() << " after " << step;
        if (const std::optional<double> meant = fittingAmount(after)) {
            ASSERT_EQ(box->text(), QString(after).replace(QLatin1Char('.'), QLatin1Char(','))) << step;
            ASSERT_EQ(stored(), *meant) << step;
            ASSERT_TRUE(box->toolTip().isEmpty()) << box->toolTip().toStdString() << " after " << step;
        } else {
            ASSERT_EQ(box->text(), before) << step;
            ASSERT_EQ(stored(), storedBefore) << step;
            ASSERT_FALSE(box->toolTip().isEmpty()) << step;
        }
    }
}

} // namespace
