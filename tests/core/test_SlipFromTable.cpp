// SPDX-License-Identifier: GPL-3.0-or-later
// Composition reading the real recipient table at its cursor.
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace kvitanky;

namespace {

class SlipFromTable : public ::testing::Test
{
protected:
    SlipFromTable() : source(&table), renderer(makeContext())
    {
        testsupport::copyPictures(dir.path());
        CreateRecipientTable(table, dir.path());
        AddSampleRecipients(table);
    }

    SlipContext makeContext()
    {
        SlipContext c;
        c.settings = &settings;
        c.recipients = &source;
        c.programDir = dir.path();
        c.formReady = true;
        c.setDiscardVisible = [this](bool v) { discarded = v; };
        c.previewMirror = &drawn;
        return c;
    }

    QStringList texts()
    {
        drawn.clear();
        renderer.ComposeSlip();
        QStringList t;
        for (const RecordingSurface::Call &c : drawn.calls())
            t.append(c.text);
        return t;
    }

    testsupport::TempDir dir;
    DbfTable table;
    DbfRecipientSource source;
    MapSettings settings;
    RecordingSurface drawn;
    bool discarded = false;
    SlipRenderer renderer;
};

TEST_F(SlipFromTable, sampleRowsAtTheCursor)
{
    QStringList t = texts();
    EXPECT_TRUE(t.contains(QStringLiteral("Nové Hobzí")));
    EXPECT_TRUE(t.contains(QStringLiteral("378 81 Nové Hobzí")));
    EXPECT_TRUE(t.contains(QStringLiteral("==123456,00")));
    EXPECT_FALSE(discarded);

    table.next();
    table.next();   // 999999.5
    t = texts();
    EXPECT_TRUE(t.contains(QStringLiteral("==999999,50")));
    EXPECT_TRUE(t.contains(QStringLiteral("0999999999")));

    table.next();   // excluded, eight digits, symbols of ten
    t = texts();
    EXPECT_TRUE(discarded);
    EXPECT_TRUE(t.contains(QStringLiteral("12345000,00")));
    EXPECT_TRUE(t.contains(QStringLiteral("1234567890")));
    EXPECT_TRUE(t.contains(QStringLiteral("0123456789")));
    EXPECT_TRUE(t.contains(QStringLiteral("Extra-velká Lhota")));
}

TEST_F(SlipFromTable, emptyTableReadsAsBlanksAndZero)
{
    table.deleteAll();
    ASSERT_EQ(table.recordCount(), 0);
    const QStringList t = texts();
    EXPECT_FALSE(discarded);
    EXPECT_FALSE(t.contains(QStringLiteral("00")));   // no amount
    EXPECT_TRUE(t.contains(QStringLiteral("  ")));    // the left strip's name line: title, blank, blank
}

TEST_F(SlipFromTable, closedTableShowsOnlyTheOwner)
{
    table.setActive(false);
    const QStringList t = texts();
    EXPECT_TRUE(t.contains(QStringLiteral("STÁTNÍ SPRÁVA CR")));
    EXPECT_FALSE(t.contains(QStringLiteral("Pan")));
    EXPECT_FALSE(discarded);
}

} // namespace
