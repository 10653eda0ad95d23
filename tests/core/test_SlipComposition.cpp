// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace kvitanky;
using Call = RecordingSurface::Call;

namespace {

// One drawn field: where its first character went, the whole text and its size.
struct Drawn {
    int x;
    int y;
    QString text;
    int pointSize;
    bool operator==(const Drawn &o) const
    {
        return x == o.x && y == o.y && text == o.text && pointSize == o.pointSize;
    }
};

void PrintTo(const Drawn &d, std::ostream *os)
{
    *os << "(" << d.x << ", " << d.y << ") \"" << d.text.toStdString() << "\" " << d.pointSize << "pt";
}

// Records the calls and groups them into fields: DrawSlipText sets the font once
// per field and surface, then draws the text whole or character by character.
class FieldRecorder : public RecordingSurface
{
public:
    void setFont(const QString &family, int pointSize) override
    {
        RecordingSurface::setFont(family, pointSize);
        m_pointSize = pointSize;
        m_open = false;
    }
    void drawText(int x, int y, const QString &text) override
    {
        RecordingSurface::drawText(x, y, text);
        if (m_open)
            m_fields.last().text += text;
        else
            m_fields.append({x, y, text, m_pointSize});
        m_open = true;
    }
    const QList<Drawn> &fields() const { return m_fields; }

private:
    QList<Drawn> m_fields;
    int m_pointSize = 0;
    bool m_open = false;
};

class Composition : public ::testing::Test
{
protected:
    Composition() : renderer(makeContext()) { sampleRecipient(); }

    SlipContext makeContext()
    {
        SlipContext c;
        c.settings = &settings;
        c.recipients = &recipient;
        c.programDir = testsupport::binDir();
        c.formReady = true;
        c.previewOnly = true;
        c.setDiscardVisible = [this](bool v) { discardVisible = v; };
        c.warn = [this](const QString &text) { warnings.append(text); };
        c.onLoadPictures = [this] { ++pictureLoads; };
        c.showPreview = [this](const QImage &) { ++previewsShown; };
        c.previewMirror = &preview;
        c.printer = &printer;
        return c;
    }

    void sampleRecipient()
    {
        recipient.clear();
        recipient.setText("TITUL", "Pan");
        recipient.setText("JMENO", "Jan");
        recipient.setText("PRIJMENI", "Novák");
        recipient.setText("ULICE", "c.p. 7100");
        recipient.setText("OBEC", "Nové Hobzí");
        recipient.setText("PSC", "378 81");
        setAmount(123456);
        recipient.setText("VAR_SYMB", "7100");
        recipient.setText("SPEC_SYMB", "0");
        recipient.setText("VYRAZENO", "0");
    }

    void setAmount(double amount)
    {
        recipient.setNumber("CASTKA", amount);
    }

    QList<Drawn> fields() const { return preview.fields(); }

    QList<QString> texts() const
    {
        QList<QString> t;
        for (const Drawn &d : fields())
            t.append(d.text);
        return t;
    }

    bool drew(const QString &text) const { return texts().contains(text); }

    MapSettings settings;
    MapRecipientSource recipient;
    bool discardVisible = true;
    QStringList warnings;
    int pictureLoads = 0;
    int previewsShown = 0;
    FieldRecorder preview;
    RecordingSurface printer;
    SlipRenderer renderer;
};

TEST_F(Composition, firstSampleRecipientWithTheDesignedSettings)
{
    renderer.ComposeSlip();
    const QList<Drawn> expected = {
        {237, 136, "STÁTNÍ SPRÁVA CR", 9},
        {237, 156, "U Veselícka 123", 9},
        {237, 176, "378 81", 9},
        {14, 201, "STÁTNÍ SPRÁVA CR", 9},
        {14, 219, "U Veselícka 123", 9},
        {14, 240, "378 81", 9},
        {465, 62, "123456", 10},
        {579, 62, "0123456789", 10},
        {465, 94, "0000", 10},
        {465, 127, "0000", 10},
        {49, 259, "123456-0123456789/0000", 9},
        {49, 108, "Vodné stocné", 9},
        {237, 206, "Zpráva pro", 10},
        {237, 233, "príjemce", 10},
        // 123456: "sto dvacet tri tisíc ctyri sta padesát šest", 36 letters; row 1
        // takes whole words while they fit in 25.
        {24, 156, "=stodvacettritisícctyrista=", 9},
        {24, 176, "=padesátšest=", 9},
        {464, 30, "==12345600", 10},
        {49, 134, "==123456,00", 9},
        {194, 176, "00", 9},
        {579, 94, "0000007100", 10},
        {49, 276, "0000007100", 9},
        {489, 181, "Pan", 12},
        {489, 209, "Jan Novák", 12},
        {489, 236, "c.p. 7100", 12},
        {489, 261, "Nové Hobzí", 12},
        {489, 286, "378 81", 12},
        {14, 311, "Pan Jan Novák", 9},
        {14, 331, "c.p. 7100", 9},
        {14, 351, "378 81 Nové Hobzí", 9},
    };
    EXPECT_EQ(fields(), expected);
    EXPECT_TRUE(printer.calls().isEmpty());   // no print job
    EXPECT_FALSE(discardVisible);
    EXPECT_EQ(pictureLoads, 1);
    EXPECT_EQ(previewsShown, 1);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(renderer.PriceWordRow1(), QStringLiteral("=stodvacettritisícctyrista="));
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=padesátšest="));
}

TEST_F(Composition, printJobPutsTheSameSlipOnPaper)
{
    renderer.context().previewOnly = false;
    renderer.UpdatePrintScale();
    renderer.ComposeSlip();
    ASSERT_EQ(printer.calls().size(), preview.calls().size());
    for (int i = 0; i < preview.calls().size(); ++i) {
        const Call &p = preview.calls()[i];
        const Call &q = printer.calls()[i];
        EXPECT_EQ(p.text, q.text);
        EXPECT_EQ(p.pointSize, q.pointSize);
        EXPECT_EQ(q.y, int(p.y * (2350.0 / 387.0)));
    }
    // The amount's first two characters.
    const auto amount = std::find_if(printer.calls().begin(), printer.calls().end(),
                                     [](const Call &c) { return c.y == 182 && c.x == 2859; });
    ASSERT_NE(amount, printer.calls().end());
    EXPECT_EQ(amount->text, QStringLiteral("="));
    EXPECT_EQ((amount + 1)->x, 2976);
}

TEST_F(Composition, formNotReadyNeverDrawsOnPaper)
{
    renderer.context().formReady = false;
    renderer.context().previewOnly = false;
    renderer.UpdatePrintScale();
    renderer.ComposeSlip();
    EXPECT_FALSE(preview.calls().isEmpty());
    EXPECT_TRUE(printer.calls().isEmpty());
}

struct AmountCase {
    const char *name;
    double amount;
    const char *figures;   // main part; nullptr: nothing of the amount is printed
    const char *strip;     // left strip
    const char *halere;    // after the words
    const char *row1;      // first row of the words
};

class AmountFigures : public Composition, public ::testing::WithParamInterface<AmountCase> {};

TEST_P(AmountFigures, fillTheBoxes)
{
    const AmountCase &c = GetParam();
    setAmount(c.amount);
    renderer.ComposeSlip();
    QList<Drawn> all = fields();
    auto at = [&all](int x, int y) -> QString {
        for (const Drawn &d : all)
            if (d.x == x && d.y == y)
                return d.text;
        return QStringLiteral("<none>");
    };
    if (!c.figures) {
        EXPECT_EQ(at(464, 30), QStringLiteral("<none>"));
        EXPECT_EQ(at(49, 134), QStringLiteral("<none>"));
        EXPECT_EQ(at(194, 176), QStringLiteral("<none>"));
        EXPECT_EQ(at(24, 156), QStringLiteral("<none>"));
        return;
    }
    EXPECT_EQ(at(464, 30), QString::fromUtf8(c.figures));
    EXPECT_EQ(at(49, 134), QString::fromUtf8(c.strip));
    EXPECT_EQ(at(194, 176), QString::fromUtf8(c.halere));
    if (c.row1) {
        EXPECT_EQ(at(24, 156), QString::fromUtf8(c.row1));
    }
}

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Amounts, AmountFigures,
    ::testing::Values(
        AmountCase{"zero", 0, nullptr, nullptr, nullptr, nullptr},
        AmountCase{"negativeZero", -0.0, nullptr, nullptr, nullptr, nullptr},
        AmountCase{"half", 0.5, "=======050", "=======0,50", "50", "                     =nula="},
        AmountCase{"twelveOhFive", 12.05, "======1205", "======12,05", "05", "                  =dvanáct="},
        AmountCase{"binaryErrorOfTheFraction", 12.29, "======1229", "======12,29", "29", "                  =dvanáct="},
        AmountCase{"oneTwentyFiveFifty", 125.50, "=====12550", "=====125,50", "50", "             =stodvacetpet="},
        AmountCase{"fraction", 999999.5, "==99999950", "==999999,50", "50", nullptr},
        AmountCase{"eightDigits", 99999999, "9999999900", "99999999,00", "00", nullptr},
        AmountCase{"belowOneHaler", 7.004, "=======700", "=======7,00", "00", "                     =sedm="},
        AmountCase{"almostAWholeKoruna", 7.9999999999, "=======799", "=======7,99", "99", "                     =sedm="},
        // Values the boxes cannot hold: the slip is voided, never shortened.
        AmountCase{"negative", -1500, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="},
        AmountCase{"negativeBelowOne", -0.5, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="},
        AmountCase{"nineDigits", 100000000, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="},
        AmountCase{"huge", 1e300, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="},
        AmountCase{"notANumber", NaN, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="},
        AmountCase{"infinite", Inf, "XXXXXXXXXX", "XXXXXXXX,XX", "XX", "               =XXXXXXXXXX="}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Composition, notPrintPriceLeavesOutFiguresAndWords)
{
    settings.setFlag("CheckBoxSetOtherNotPrintPrice", true);
    renderer.ComposeSlip();
    for (const Drawn &d : fields()) {
        const std::pair<int, int> at{d.x, d.y};
        for (const std::pair<int, int> &amountField : {std::pair{464, 30}, {49, 134}, {194, 176}, {24, 156}, {24, 176}})
            EXPECT_NE(at, amountField) << d.text.toStdString();
    }
    EXPECT_TRUE(drew(QStringLiteral("0000007100")));
}

TEST_F(Composition, wordsAreSpelledFromTheRecord)
{
    recipient.setNumber("CASTKA", 77777);
    renderer.ComposeSlip();
    EXPECT_EQ(renderer.PriceWordRow1(), QStringLiteral("=sedmdesátsedmtisícsedmset="));
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=sedmdesátsedm="));
}

struct SymbolCase {
    const char *name;
    const char *symbol;
    const char *printed;   // nullptr: nothing
};

class Symbols : public Composition, public ::testing::WithParamInterface<SymbolCase> {};

TEST_P(Symbols, variableAndSpecificSymbol)
{
    const SymbolCase &c = GetParam();
    recipient.setText("VAR_SYMB", QString::fromUtf8(c.symbol));
    recipient.setText("SPEC_SYMB", QString::fromUtf8(c.symbol));
    renderer.ComposeSlip();
    QList<Drawn> vs;
    QList<Drawn> ss;
    for (const Drawn &d : fields()) {
        if ((d.x == 579 && d.y == 94) || (d.x == 49 && d.y == 276))
            vs.append(d);
        if ((d.x == 579 && d.y == 127) || (d.x == 49 && d.y == 292))
            ss.append(d);
    }
    if (!c.printed) {
        EXPECT_TRUE(vs.isEmpty());
        EXPECT_TRUE(ss.isEmpty());
        return;
    }
    const QString p = QString::fromUtf8(c.printed);
    EXPECT_EQ(vs, (QList<Drawn>{{579, 94, p, 10}, {49, 276, p, 9}}));
    EXPECT_EQ(ss, (QList<Drawn>{{579, 127, p, 10}, {49, 292, p, 9}}));
}

INSTANTIATE_TEST_SUITE_P(
    Values, Symbols,
    ::testing::Values(SymbolCase{"zero", "0", nullptr}, SymbolCase{"empty", "", nullptr},
                      SymbolCase{"blank", "   ", nullptr}, SymbolCase{"zeros", "0000000000", nullptr},
                      SymbolCase{"zerosLongerThanTheBoxes", "000000000000", nullptr},
                      SymbolCase{"decimalZero", "0,0", nullptr}, SymbolCase{"twelve", "12", "0000000012"},
                      SymbolCase{"paddedByTheTable", " 12  ", "0000000012"},
                      SymbolCase{"tenDigits", "1234567890", "1234567890"},
                      SymbolCase{"leadingZeroKept", "0123456789", "0123456789"},
                      // Not a number: printed as it is, nothing is dropped silently.
                      SymbolCase{"notANumber", "12a", "000000012a"},
                      // Longer than its ten boxes: voided rather than cut.
                      SymbolCase{"elevenDigits", "12345678901", "XXXXXXXXXX"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Composition, ownerSymbolAsVariableSymbol)
{
    settings.setFlag("CheckBoxSetOwnersKS_VS", true);
    settings.setText("EditSetOwnerAccountConstS", "77");
    recipient.setText("VAR_SYMB", "7100");
    renderer.ComposeSlip();
    const QList<Drawn> all = fields();
    QList<Drawn> atVs;
    for (const Drawn &d : all)
        if ((d.x == 579 && d.y == 94) || (d.x == 49 && d.y == 276) || (d.x == 465 && d.y == 127))
            atVs.append(d);
    // The owner's symbol in both VS places, right after the bank code; the
    // recipient's symbol and the constant symbol field stay empty.
    EXPECT_EQ(atVs, (QList<Drawn>{{579, 94, "0000000077", 10}, {49, 276, "0000000077", 9}}));
    EXPECT_FALSE(drew(QStringLiteral("0000007100")));
    const int bankCode = int(all.indexOf(Drawn{465, 94, "0000", 10}));
    ASSERT_GE(bankCode, 0);
    EXPECT_EQ(all[bankCode + 1], (Drawn{579, 94, "0000000077", 10}));
}

TEST_F(Composition, ownerSymbolZeroPrintsNoSymbolAtAll)
{
    settings.setFlag("CheckBoxSetOwnersKS_VS", true);
    settings.setText("EditSetOwnerAccountConstS", "0000");
    renderer.ComposeSlip();
    for (const Drawn &d : fields()) {
        EXPECT_FALSE(d.x == 465 && d.y == 127) << d.text.toStdString();
        EXPECT_FALSE(d.x == 579 && d.y == 94) << d.text.toStdString();
        EXPECT_FALSE(d.x == 49 && d.y == 276) << d.text.toStdString();
    }
}

// An account left blank (the designed bank code "0000" counts as blank) is
// pre-printed on the form: nothing of it is drawn, not even the strip's "/".
TEST_F(Composition, accountLeftBlankDrawsNothingOfIt)
{
    // The texts of the next composition (the preview keeps every one drawn).
    const auto compose = [&] {
        const qsizetype from = fields().size();
        renderer.ComposeSlip();
        return fields().mid(from);
    };
    const auto zeros = [](const QList<Drawn> &drawn) {
        return std::count_if(drawn.begin(), drawn.end(), [](const Drawn &d) { return d.text == QStringLiteral("0000"); });
    };
    const auto designed = zeros(compose());   // the bank code and the constant symbol
    settings.setText("EditSetOwnerAccountNum1", "");
    settings.setText("EditSetOwnerAccountNum2", "");
    const QList<Drawn> blank = compose();
    for (const Drawn &d : blank)
        EXPECT_FALSE(d.text.contains(QLatin1Char('/'))) << d.text.toStdString();
    EXPECT_EQ(zeros(blank), designed - 1);
    settings.setText("EditSetOwnerAccountIDB", "0100");
    EXPECT_TRUE(compose().contains(Drawn{49, 259, QStringLiteral("/0100"), 9}));
}

struct AccountCase {
    const char *prefix;
    const char *whole;
};

class WholeAccount : public Composition, public ::testing::WithParamInterface<AccountCase> {};

TEST_P(WholeAccount, inTheLeftStrip)
{
    settings.setText("EditSetOwnerAccountNum1", QString::fromUtf8(GetParam().prefix));
    renderer.ComposeSlip();
    EXPECT_TRUE(fields().contains(Drawn{49, 259, QString::fromUtf8(GetParam().whole), 9}))
        << GetParam().whole;
}

INSTANTIATE_TEST_SUITE_P(Prefixes, WholeAccount,
                         ::testing::Values(AccountCase{"123456", "123456-0123456789/0000"},
                                           AccountCase{"0", "0123456789/0000"},
                                           AccountCase{"000000", "0123456789/0000"},
                                           AccountCase{"", "0123456789/0000"},
                                           AccountCase{"19", "19-0123456789/0000"},
                                           AccountCase{"1a", "1a-0123456789/0000"}));

TEST_F(Composition, titlesOn)
{
    recipient.setText("TITUL", "");
    renderer.ComposeSlip();
    const QList<Drawn> all = fields();
    EXPECT_TRUE(all.contains(Drawn{489, 181, "", 12}));   // the empty title
    EXPECT_TRUE(all.contains(Drawn{489, 209, "Jan Novák", 12}));
    EXPECT_TRUE(all.contains(Drawn{14, 311, " Jan Novák", 9}));
}

TEST_F(Composition, titlesOff)
{
    settings.setFlag("CheckBoxDataShowTitle", false);
    settings.setText("EditLayoutRecipientFirstNameY", "170");   // apart from the title's place
    renderer.ComposeSlip();
    const QList<Drawn> all = fields();
    EXPECT_TRUE(all.contains(Drawn{489, 171, "Jan", 12}));
    EXPECT_TRUE(all.contains(Drawn{489, 209, "Novák", 12}));
    EXPECT_TRUE(all.contains(Drawn{14, 311, "Jan Novák", 9}));
    EXPECT_FALSE(drew(QStringLiteral("Pan")));
}

TEST_F(Composition, discardedRecipientIsComposedWithTheMark)
{
    recipient.setText("VYRAZENO", "1");
    renderer.ComposeSlip();
    EXPECT_TRUE(discardVisible);
    EXPECT_TRUE(drew(QStringLiteral("==12345600")));
    recipient.setText("VYRAZENO", "0");
    renderer.ComposeSlip();
    EXPECT_FALSE(discardVisible);
}

TEST_F(Composition, emptyTableShowsOnlyTheOwner)
{
    recipient.clear();
    renderer.ComposeSlip();
    const QList<Drawn> all = fields();
    // The owner's 14 items, then blanks for the recipient.
    ASSERT_EQ(all.size(), 14 + 8);
    EXPECT_EQ(all[13], (Drawn{237, 233, "príjemce", 10}));
    for (int i = 14; i < all.size(); ++i)
        EXPECT_TRUE(all[i].text.trimmed().isEmpty()) << all[i].text.toStdString();
    EXPECT_FALSE(discardVisible);
}

TEST_F(Composition, closedTableStopsAfterTheOwner)
{
    recipient.setOpen(false);
    renderer.ComposeSlip();
    const QList<Drawn> all = fields();
    // The amount reads as 0: no words either.
    ASSERT_EQ(all.size(), 14);
    EXPECT_EQ(all.last(), (Drawn{237, 233, "príjemce", 10}));
}

TEST_F(Composition, noTableAtAll)
{
    renderer.context().recipients = nullptr;
    renderer.ComposeSlip();
    EXPECT_EQ(fields().size(), 14);
}

class FieldSwitchedOff : public Composition, public ::testing::WithParamInterface<const char *> {};

TEST_P(FieldSwitchedOff, drawsNothing)
{
    settings.setText("EditLayoutRecipientStreetDist", QString::fromLatin1(GetParam()));
    renderer.ComposeSlip();
    EXPECT_FALSE(fields().contains(Drawn{489, 236, "c.p. 7100", 12}));
    EXPECT_TRUE(fields().contains(Drawn{14, 331, "c.p. 7100", 9}));   // its second position stays
}

INSTANTIATE_TEST_SUITE_P(Sets, FieldSwitchedOff, ::testing::Values("0", "4", "-1"));

TEST_F(Composition, badPositionStopsWithWhatWasDrawnKept)
{
    settings.setText("EditLayoutRecipientStreetX", "49O");
    try {
        renderer.ComposeSlip();
        FAIL() << "no error";
    } catch (const SettingError &e) {
        EXPECT_NE(QString::fromStdString(e.what()).indexOf(QStringLiteral("EditLayoutRecipientStreetX")), -1);
    }
    const QList<Drawn> all = fields();
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(all.last(), (Drawn{489, 209, "Jan Novák", 12}));
    EXPECT_EQ(previewsShown, 1);   // the partly drawn slip is still shown
}

// ---- Printing all slips: the page alone, the preview once at the end ----

QStringList describe(const QList<Call> &calls)
{
    QStringList out;
    for (const Call &c : calls)
        out << QStringLiteral("%1 %2pt (%3, %4) %5").arg(c.family).arg(c.pointSize).arg(c.x).arg(c.y).arg(c.text);
    return out;
}

struct PrinterOnlyCase {
    const char *name;
    double amount;
    const char *key;     // a setting given a bad value, or nullptr
    const char *value;
};

class PrinterOnly : public Composition, public ::testing::WithParamInterface<PrinterOnlyCase>
{
protected:
    // Composes once; the text of the error that stopped it, or an empty text.
    QString compose()
    {
        try {
            renderer.ComposeSlip();
        } catch (const SettingError &e) {
            return QString::fromStdString(e.what());
        }
        return {};
    }
};

// A printer-only composition puts on paper exactly what the ordinary one does, with
// the same warning and the same error, and leaves the preview alone unless it fails:
// then the preview shows the slip as far as it got, as always. ComposePreview then
// draws the preview alone, without warning again.
TEST_P(PrinterOnly, sameSlipOnPaperAndTheSamePreviewAfterwards)
{
    const PrinterOnlyCase &c = GetParam();
    setAmount(c.amount);
    if (c.key)
        settings.setText(QString::fromLatin1(c.key), QString::fromLatin1(c.value));
    renderer.context().previewOnly = false;
    renderer.UpdatePrintScale();

    const QString error = compose();
    const QStringList paper = describe(printer.calls());
    const QStringList onPreview = describe(preview.calls());
    const QStringList warned = warnings;
    const QImage picture = renderer.previewImage();
    EXPECT_EQ(error.isEmpty(), c.key == nullptr) << error.toStdString();

    printer.clear();
    preview.clear();
    warnings.clear();
    previewsShown = 0;
    renderer.context().printerOnly = true;
    EXPECT_EQ(compose(), error);
    EXPECT_EQ(describe(printer.calls()), paper);
    EXPECT_EQ(warnings, warned);
    if (error.isEmpty()) {
        EXPECT_TRUE(preview.calls().isEmpty());
        EXPECT_EQ(previewsShown, 0);
    } else {
        EXPECT_EQ(describe(preview.calls()), onPreview);
        EXPECT_EQ(previewsShown, 1);
        EXPECT_EQ(renderer.previewImage(), picture);
    }

    // The job has ended: the preview catches up with the last slip.
    renderer.context().printerOnly = false;
    renderer.context().previewOnly = true;
    printer.clear();
    preview.clear();
    warnings.clear();
    previewsShown = 0;
    try {
        renderer.ComposePreview();
        EXPECT_TRUE(error.isEmpty());
    } catch (const SettingError &e) {
        EXPECT_EQ(QString::fromStdString(e.what()), error);
    }
    EXPECT_EQ(describe(preview.calls()), onPreview);
    EXPECT_EQ(renderer.previewImage(), picture);
    EXPECT_TRUE(printer.calls().isEmpty());
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(previewsShown, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrinterOnly,
    ::testing::Values(PrinterOnlyCase{"designed", 123456, nullptr, nullptr},
                      PrinterOnlyCase{"overflowWarning", 77777777, nullptr, nullptr},
                      PrinterOnlyCase{"badPosition", 123456, "EditLayoutRecipientStreetX", "49O"},
                      PrinterOnlyCase{"badFontSize", 123456, "EditSetOtherFontSize1", "0"},
                      PrinterOnlyCase{"badSpacing", 123456, "EditSetOtherDistance1", "x"},
                      PrinterOnlyCase{"badShift", 123456, "EditCalibrationPrintNullAxesY", ""},
                      PrinterOnlyCase{"badRowLength", 77777777, "EditSetOtherLengthFirstPriceRow", "-1"}),
    [](const auto &info) { return std::string(info.param.name); });

// While the overflow warning waits for the user, the settings may change; the items
// drawn after it take the new values.
TEST_F(Composition, settingsAreReadAgainAfterTheOverflowWarning)
{
    setAmount(77777777);
    renderer.context().warn = [this](const QString &text) {
        warnings.append(text);
        settings.setText("EditCalibrationPrintNullAxesX", "9");
        settings.setText("EditSetOtherFontSize2", "11");
    };
    renderer.ComposeSlip();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(fields().contains(Drawn{237, 136, "STÁTNÍ SPRÁVA CR", 9}));   // before the warning
    EXPECT_TRUE(fields().contains(Drawn{34, 156, renderer.PriceWordRow1(), 11}));   // after it
}

// ---- Splitting the words ----

class Split : public Composition {};

TEST_F(Split, oneRowIsRightAligned)
{
    EXPECT_EQ(renderer.SplitPriceWords(PriceToWords(125)), 1);
    EXPECT_EQ(renderer.PriceWordRow1(), QString(13, QLatin1Char(' ')) + QStringLiteral("=stodvacetpet="));
    EXPECT_EQ(renderer.PriceWordRow1().size(), 27);
}

TEST_F(Split, twelveThousandWithTwentyFive)
{
    EXPECT_EQ(renderer.SplitPriceWords(PriceToWords(12345)), 2);
    EXPECT_EQ(renderer.PriceWordRow1(), QStringLiteral("=dvanácttisíctrista="));   // "ctyricet" would make 26
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=ctyricetpet="));
}

TEST_F(Split, zeroLengthSplitsAfterTheFirstWord)
{
    settings.setText("EditSetOtherLengthFirstPriceRow", "0");
    EXPECT_EQ(renderer.SplitPriceWords(PriceToWords(12345)), 2);
    EXPECT_EQ(renderer.PriceWordRow1(), QStringLiteral("=dvanáct="));
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=tisíctristactyricetpet="));
}

TEST_F(Split, textWithoutBlanksStaysWhole)
{
    const QString words = QStringLiteral("dvemiliardystoctyricetsedmmilionu");
    EXPECT_EQ(renderer.SplitPriceWords(words), 2);
    EXPECT_EQ(renderer.PriceWordRow1(), QLatin1Char('=') + words + QLatin1Char('='));
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=="));
    // 35 characters run past the first row's box of 30.
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Nebezpečí přetečení prvního řádku")));
}

TEST_F(Split, secondRowKeepsItsOldValueAfterOneRow)
{
    renderer.SplitPriceWords(PriceToWords(12345));
    EXPECT_EQ(renderer.SplitPriceWords(PriceToWords(5)), 1);
    EXPECT_EQ(renderer.PriceWordRow2(), QStringLiteral("=ctyricetpet="));
}

// Reads words back into koruny, longest word first: "dvanácttisíctrista" -> 12300.
qint64 korunyOfWords(QString c)
{
    static const QList<QPair<QString, int>> words = [] {
        QList<QPair<QString, int>> w;
        const char *ones[] = {"jedna", "dva", "tri", "ctyri", "pet", "šest", "sedm", "osm", "devet", "deset",
                              "jedenáct", "dvanáct", "trináct", "ctrnáct", "patnáct", "šestnáct", "sedmnáct",
                              "osmnáct", "devatenáct"};
        for (int i = 0; i < 19; ++i)
            w.append({QString::fromUtf8(ones[i]), i + 1});
        const char *tens[] = {"dvacet", "tricet", "ctyricet", "padesát", "šedesát", "sedmdesát", "osmdesát", "devadesát"};
        for (int i = 0; i < 8; ++i)
            w.append({QString::fromUtf8(tens[i]), (i + 2) * 10});
        w.append({QStringLiteral("dve"), 2});
        w.append({QStringLiteral("nula"), 0});
        w.append({QStringLiteral("sto"), 100});
        w.append({QStringLiteral("dveste"), 200});
        for (const char *x : {"sta", "set"})
            w.append({QString::fromUtf8(x), -100});
        for (const char *x : {"tisíc", "tisíce"})
            w.append({QString::fromUtf8(x), -1000});
        for (const char *x : {"milion", "miliony", "milionu"})
            w.append({QString::fromUtf8(x), -1000000});
        w.append({QStringLiteral("jednamiliarda"), -1});
        w.append({QStringLiteral("dvemiliardy"), -2});
        std::sort(w.begin(), w.end(), [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
        return w;
    }();
    qint64 total = 0;
    qint64 group = 0;
    while (!c.isEmpty()) {
        auto w = std::find_if(words.begin(), words.end(), [&](const auto &x) { return c.startsWith(x.first); });
        if (w == words.end())
            return -1;
        c.remove(0, w->first.size());
        if (w->second == -100)
            group *= 100;
        else if (w->second <= -1000)
            total += (group ? group : 1) * -qint64(w->second), group = 0;
        else if (w->second < 0)
            total += -qint64(w->second) * 1000000000;
        else
            group += w->second;
    }
    return total + group;
}

// Every amount up to 999 999 and a random sample up to the boxes' 99 999 999,
// with the designed length and random ones (KVITANKY_SEED repeats a run): the
// rows spell the figures, row 1 takes whole words up to N and no more, and a
// row past its box is always warned of.
TEST_F(Split, rowsSpellTheFiguresAndStayInTheirBoxes)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    const auto check = [](qint64 koruny, int n, const PriceWordRows &r) {
        const QString inner1 = r.row1.trimmed().mid(1, r.row1.trimmed().size() - 2);
        const QString inner2 = r.rows == 2 ? r.row2.mid(1, r.row2.size() - 2) : QString();
        if (korunyOfWords(inner1 + inner2) != koruny)
            return false;
        if (r.rows == 1)
            return inner1.size() <= n;
        const QStringList words = PriceToWords(double(koruny)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        qsizetype taken = 0;
        int count = 0;
        while (taken < inner1.size())
            taken += words[count++].size();
        // Whole words; at most n unless one word alone; the next word would not fit.
        return taken == inner1.size() && (inner1.size() <= n || count == 1) && inner1.size() + words[count].size() > n;
    };
    for (qint64 k = 0; k < 1000000; ++k) {
        const PriceWordRows r = splitPriceWordRows(PriceToWords(double(k)), 25);
        ASSERT_TRUE(check(k, 25, r)) << k << " " << r.row1.toStdString() << " " << r.row2.toStdString();
        ASSERT_FALSE(priceWordRow1Overflows(r, 25)) << k;
    }
    for (int i = 0; i < 20000; ++i) {
        const qint64 k = std::uniform_int_distribution<qint64>(0, 99999999)(rng);
        const int n = i % 2 ? 25 : std::uniform_int_distribution<int>(0, 40)(rng);
        settings.setText("EditSetOtherLengthFirstPriceRow", QString::number(n));
        warnings.clear();
        const int rows = renderer.SplitPriceWords(PriceToWords(double(k)));
        const PriceWordRows r{renderer.PriceWordRow1(), rows == 2 ? renderer.PriceWordRow2() : QString(), rows};
        ASSERT_TRUE(check(k, n, r)) << k << " N=" << n << " " << r.row1.toStdString() << " " << r.row2.toStdString();
        const bool over = (rows == 2 && r.row1.size() > std::max(n + 2, PriceWordRowLimit + 2))
                          || (rows == 2 && r.row2.size() > PriceWordRowLimit);
        ASSERT_EQ(warnings.size(), over ? 1 : 0) << k << " N=" << n;
    }
}

TEST_F(Split, lengthMustBeAnIntegerInRange)
{
    for (const char *bad : {"", "25,5", "x", "-1", "1000", "2147483647"}) {
        settings.setText("EditSetOtherLengthFirstPriceRow", bad);
        try {
            renderer.SplitPriceWords(PriceToWords(12345));
            ADD_FAILURE() << "no error for " << bad;
        } catch (const SettingError &e) {
            EXPECT_NE(QString::fromStdString(e.what()).indexOf(QStringLiteral("EditSetOtherLengthFirstPriceRow")), -1);
        }
    }
}

struct WarningCase {
    const char *name;
    bool formReady;
    bool suppressed;
    const char *firstRowLength;
    bool warned;
};

class OverflowWarning : public Composition, public ::testing::WithParamInterface<WarningCase> {};

// 2 147 483 647 with N = 25: row 2 holds "milionuctyristaosmdesáttritisícšestsetctyricetsedm".
TEST_P(OverflowWarning, onlyWhenReadyAndNotSuppressed)
{
    const WarningCase &c = GetParam();
    renderer.context().formReady = c.formReady;
    settings.setFlag("CheckBoxSetOtherOffOverflowSecondRowPrice", c.suppressed);
    settings.setText("EditSetOtherLengthFirstPriceRow", c.firstRowLength);
    EXPECT_EQ(renderer.SplitPriceWords(PriceToWords(2147483647)), 2);
    if (c.warned) {
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings[0], QStringLiteral("Nebezpecí pretecení druhého rádku 'Cástka slovy'!\n"
                                              "Zkuste zmenšit v Nastavení velikost znakové sady\n"
                                              "a Pocet znaku v první rádce 'Cástka slovy'."));
    } else {
        EXPECT_TRUE(warnings.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, OverflowWarning,
                         ::testing::Values(WarningCase{"ready", true, false, "25", true},
                                           WarningCase{"startingUp", false, false, "25", false},
                                           WarningCase{"suppressed", true, true, "25", false},
                                           WarningCase{"longFirstRow", true, false, "60", false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Composition, overflowWarningAtMostOncePerComposition)
{
    setAmount(77777777);   // row 2: "=sedmdesátsedmtisícsedmsetsedmdesátsedm="
    renderer.ComposeSlip();
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_GT(renderer.PriceWordRow2().size(), 28);
    EXPECT_TRUE(drew(renderer.PriceWordRow2()));   // drawn as it is
}

TEST_F(Composition, rowTwoLengthTwentyEightIsNoOverflow)
{
    // Row 2 "=" + 26 letters + "=" is exactly 28 characters.
    EXPECT_EQ(renderer.SplitPriceWords(QStringLiteral("aaaaaaaaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbbbbbbbbb")), 2);
    EXPECT_EQ(renderer.PriceWordRow2().size(), 28);
    EXPECT_TRUE(warnings.isEmpty());
    renderer.SplitPriceWords(QStringLiteral("aaaaaaaaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbbbbbbbbbb"));
    EXPECT_EQ(warnings.size(), 1);
}

// ---- The free formatting functions ----

TEST(FormatPriceFigures, rightAlignedInEightBoxes)
{
    EXPECT_EQ(FormatPriceFigures("125"), QStringLiteral("=====125"));
    EXPECT_EQ(FormatPriceFigures("99999999"), QStringLiteral("99999999"));
    EXPECT_EQ(FormatPriceFigures(""), QStringLiteral("========"));
    EXPECT_EQ(FormatPriceFigures("100000000"), QStringLiteral("XXXXXXXX"));
}

TEST(FormatSymbol, rightAlignedInTenBoxes)
{
    EXPECT_EQ(FormatSymbol("1234"), QStringLiteral("0000001234"));
    EXPECT_EQ(FormatSymbol(""), QStringLiteral("0000000000"));
    EXPECT_EQ(FormatSymbol("1234567890"), QStringLiteral("1234567890"));
    EXPECT_EQ(FormatSymbol("12345678901"), QStringLiteral("XXXXXXXXXX"));
}

struct HalereCase {
    double amount;
    const char *text;
};

class Halere : public ::testing::TestWithParam<HalereCase> {};

TEST_P(Halere, twoDecimalDigits)
{
    EXPECT_EQ(HalereText(GetParam().amount), QString::fromLatin1(GetParam().text)) << GetParam().amount;
}

INSTANTIATE_TEST_SUITE_P(Amounts, Halere,
                         ::testing::Values(HalereCase{12.29, "29"}, HalereCase{12.05, "05"}, HalereCase{0.5, "50"},
                                           HalereCase{125, "00"}, HalereCase{0.01, "01"}, HalereCase{0.1, "10"},
                                           HalereCase{1234.57, "57"}, HalereCase{99999999.99, "99"},
                                           HalereCase{19.99, "99"}, HalereCase{0.004, "00"},
                                           HalereCase{0.9999999999, "99"}, HalereCase{77777777.07, "07"},
                                           HalereCase{33554432.01, "01"}, HalereCase{-1.5, "XX"},
                                           HalereCase{std::numeric_limits<double>::quiet_NaN(), "XX"}));

// Every cent of koruny values spread over the whole range of the boxes: the amount
// as a table or the recipient page turns the text "K.CC" into a double must print
// koruny K and haléře CC. The expected digits are the text's own, not computed.
TEST(HalereRange, everyCentOfSampledKoruny)
{
    const unsigned seed = testing::UnitTest::GetInstance()->random_seed() + 20260;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::vector<long long> koruny;
    for (long long k = 0; k < 1000; ++k)
        koruny.push_back(k);
    for (int bit = 10; bit <= 26; ++bit) {   // around each power of two, where the fraction's precision halves
        for (long long d = -3; d <= 3; ++d)
            koruny.push_back((1LL << bit) + d);
    }
    for (long long k : {9999999LL, 10000000LL, 77777777LL, 99999998LL, 99999999LL})
        koruny.push_back(k);
    std::uniform_int_distribution<long long> any(0, 99999999);
    for (int i = 0; i < 3000; ++i)
        koruny.push_back(any(random));
    int wrong = 0;
    for (long long k : koruny) {
        for (int cents = 0; cents < 100; ++cents) {
            char text[32];
            const int length = std::snprintf(text, sizeof text, "%lld.%02d", k, cents);
            double amount = 0;
            std::from_chars(text, text + length, amount);   // whatever the locale
            const QString expected = QString::asprintf("%02d", cents);
            const QString got = HalereText(amount);
            const bool ok = got == expected && std::trunc(amount) == double(k) && amountFitsForm(amount);
            if (!ok && ++wrong <= 10)
                ADD_FAILURE() << text << " gives " << got.toStdString();
        }
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
