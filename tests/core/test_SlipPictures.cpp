// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipPictures.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

struct BitmapCase {
    const char *file;
    int width;   // 0: any small size
    int height;
};

class ShippedBitmap : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(ShippedBitmap, isA24BitWindowsBitmap)
{
    const BitmapCase &c = GetParam();
    const QByteArray bmp = testsupport::readFile(testsupport::binDir() + QLatin1Char('/') + c.file);
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 14), 40u);   // BITMAPINFOHEADER
    const qint32 width = qFromLittleEndian<qint32>(bmp.constData() + 18);
    const qint32 height = qFromLittleEndian<qint32>(bmp.constData() + 22);
    EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), 24);   // bits per pixel
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 30), 0u);   // uncompressed
    if (c.width) {
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    } else {
        EXPECT_GT(width, 0);
        EXPECT_LE(width, 100);
        EXPECT_GT(height, 0);
        EXPECT_LE(height, 100);
    }
    const QImage decoded(testsupport::binDir() + QLatin1Char('/') + c.file);
    EXPECT_FALSE(decoded.isNull());
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedBitmap,
                         ::testing::Values(BitmapCase{"IMAGE.bmp", 795, 387}, BitmapCase{"IMAGEclean.bmp", 795, 387},
                                           BitmapCase{"CALIBRAT5x5.bmp", 0, 0}));

TEST(ShippedBitmap, formPictureShowsTheForm)
{
    const QImage form(testsupport::binDir() + QStringLiteral("/IMAGE.bmp"));
    const QImage clean(testsupport::binDir() + QStringLiteral("/IMAGEclean.bmp"));
    ASSERT_EQ(form.size(), clean.size());
    // White boxes where the amount's digits go, on the coloured paper.
    const QRgb paper = clean.pixel(400, 200);
    EXPECT_NE(paper, qRgb(255, 255, 255));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(form.pixel(464 + 3 + 19 * i, 30 + 8), qRgb(255, 255, 255)) << i;
    EXPECT_EQ(form.pixel(400, 100), paper);
    // Clean means clean: one colour all over.
    const QImage c = clean.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < c.height(); y += 7)
        for (int x = 0; x < c.width(); x += 7)
            ASSERT_EQ(c.pixel(x, y), paper);
}

class Pictures : public ::testing::Test
{
protected:
    Pictures() : renderer(makeContext())
    {
        testsupport::copyPictures(dir.path());
        recipient.setText("TITUL", "Pan");
        recipient.setText("JMENO", "Jan");
        recipient.setText("PRIJMENI", "Novák");
        recipient.setText("ULICE", "c.p. 7100");
        recipient.setText("OBEC", "Nové Hobzí");
        recipient.setText("PSC", "378 81");
        recipient.setNumber("CASTKA", 123456);
        recipient.setText("VAR_SYMB", "7100");
        recipient.setText("SPEC_SYMB", "0");
        recipient.setText("VYRAZENO", "0");
    }

    SlipContext makeContext()
    {
        SlipContext c;
        c.settings = &settings;
        c.recipients = &recipient;
        c.programDir = dir.path();
        c.formReady = true;
        c.onLoadPictures = [this] { ++loads; };
        return c;
    }

    QString path(const char *name) const { return dir.file(QString::fromLatin1(name)); }

    TempDir dir;
    MapSettings settings;
    MapRecipientSource recipient;
    int loads = 0;
    SlipRenderer renderer;
};

TEST_F(Pictures, formOrCleanBackgroundByTheCheckBox)
{
    renderer.LoadSlipPictures();
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(renderer.previewImage(), QImage(path("IMAGE.bmp")).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(renderer.previewImage().size(), QSize(795, 387));
    EXPECT_FALSE(renderer.calibrationImage().isNull());

    settings.setFlag("CheckBoxLayoutPictureOn", false);
    renderer.LoadSlipPictures();
    EXPECT_EQ(renderer.previewImage(), QImage(path("IMAGEclean.bmp")).convertToFormat(QImage::Format_RGB32));
}

TEST_F(Pictures, everyCompositionStartsFromAFreshBackground)
{
    renderer.ComposeSlip();
    const QImage background = QImage(path("IMAGE.bmp")).convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(renderer.previewImage(), background);
    recipient.setOpen(false);
    settings.setText("EditLayoutOwnerAddress1Dist", "0");
    renderer.ComposeSlip();
    const QImage second = renderer.previewImage();
    // Nothing of the recipient is left from the first slip.
    EXPECT_EQ(second.copy(480, 170, 300, 130), background.copy(480, 170, 300, 130));
    // The cached picture itself was never drawn on.
    renderer.LoadSlipPictures();
    EXPECT_EQ(renderer.previewImage(), background);
}

TEST_F(Pictures, decodedOnceWhileTheFilesStayTheSame)
{
    for (int i = 0; i < 200; ++i)
        renderer.ComposeSlip();
    EXPECT_EQ(renderer.pictureCache().decodeCount(), 2);   // the slip and the calibration picture

    // A replaced file is read again, even one of the same size and modification time.
    const QFileInfo before(path("IMAGE.bmp"));
    QImage red(795, 387, QImage::Format_RGB888);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(path("IMAGE.bmp"), "BMP"));
    QFile f(path("IMAGE.bmp"));
    ASSERT_EQ(f.size(), before.size());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(before.lastModified(), QFileDevice::FileModificationTime));
    f.close();
    renderer.ComposeSlip();
    EXPECT_EQ(renderer.pictureCache().decodeCount(), 3);
    EXPECT_EQ(renderer.previewImage().pixel(790, 380), qRgb(255, 0, 0));
}

TEST_F(Pictures, otherSizeIsScaledToTheLayout)
{
    QImage small(400, 200, QImage::Format_RGB888);
    small.fill(Qt::blue);
    ASSERT_TRUE(small.save(path("IMAGE.bmp"), "BMP"));
    renderer.ComposeSlip();
    EXPECT_EQ(renderer.previewImage().size(), QSize(795, 387));
    EXPECT_EQ(renderer.previewImage().pixel(794, 386), qRgb(0, 0, 255));
}

struct BrokenCase {
    const char *name;
    const char *file;
    enum { Missing, Garbage, Empty, Folder } kind;
    bool pictureOn;
};

class BrokenPicture : public Pictures, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenPicture, stopsWithAMessageNamingTheFile)
{
    const BrokenCase &c = GetParam();
    const QString file = path(c.file);
    QFile::remove(file);
    if (c.kind == BrokenCase::Garbage)
        testsupport::writeFile(file, QByteArray("BM this is no bitmap at all"));
    else if (c.kind == BrokenCase::Empty)
        testsupport::writeFile(file, QByteArray());
    else if (c.kind == BrokenCase::Folder) {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(c.file)));
    }
    settings.setFlag("CheckBoxLayoutPictureOn", c.pictureOn);
    RecordingSurface drawn;
    renderer.context().previewMirror = &drawn;
    try {
        renderer.ComposeSlip();
        FAIL() << "no error";
    } catch (const SlipPictureError &e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_TRUE(message.startsWith(QStringLiteral("Nelze nacíst obrázek '"))) << e.what();
        EXPECT_NE(message.indexOf(file), -1) << e.what();
    }
    EXPECT_TRUE(drawn.calls().isEmpty());   // stopped before drawing anything
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenPicture,
    ::testing::Values(BrokenCase{"formMissing", "IMAGE.bmp", BrokenCase::Missing, true},
                      BrokenCase{"cleanMissing", "IMAGEclean.bmp", BrokenCase::Missing, false},
                      BrokenCase{"calibrationMissing", "CALIBRAT5x5.bmp", BrokenCase::Missing, true},
                      BrokenCase{"formGarbage", "IMAGE.bmp", BrokenCase::Garbage, true},
                      BrokenCase{"formEmpty", "IMAGE.bmp", BrokenCase::Empty, true},
                      BrokenCase{"calibrationGarbage", "CALIBRAT5x5.bmp", BrokenCase::Garbage, true},
                      BrokenCase{"formIsAFolder", "IMAGE.bmp", BrokenCase::Folder, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Pictures, unusedPictureMayBeMissing)
{
    QFile::remove(path("IMAGEclean.bmp"));
    EXPECT_NO_THROW(renderer.ComposeSlip());
}

// The preview of the first sample recipient against a stored picture. Text is
// antialiased, so a few edge pixels may differ between font engines; a moved,
// missing or resized item changes far more.
TEST_F(Pictures, previewOfTheFirstSampleRecipient)
{
    if (!QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
        GTEST_SKIP() << "fonts-liberation missing";
    renderer.ComposeSlip();
    const QImage actual = renderer.previewImage().convertToFormat(QImage::Format_RGB32);
    const QString reference = testsupport::sourceDir() + QStringLiteral("/tests/data/render/preview_sample1.png");
    if (qEnvironmentVariableIsSet("KVITANKY_UPDATE_REFERENCES")) {
        ASSERT_TRUE(actual.save(reference, "PNG"));
        GTEST_SKIP() << "reference written";
    }
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << qPrintable(reference);
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const QRgb *a = reinterpret_cast<const QRgb *>(actual.constScanLine(y));
        const QRgb *b = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int d = std::max({qAbs(qRed(a[x]) - qRed(b[x])), qAbs(qGreen(a[x]) - qGreen(b[x])),
                                    qAbs(qBlue(a[x]) - qBlue(b[x]))});
            if (d > 48)
                ++differing;
        }
    }
    const int allowed = actual.width() * actual.height() / 400;   // 0.25 %
    if (differing > allowed) {
        const QString keep = QDir::temp().filePath(QStringLiteral("preview_sample1.actual.png"));
        actual.save(keep, "PNG");
        FAIL() << differing << " pixels differ (at most " << allowed << " allowed); actual picture in "
               << keep.toStdString();
    }
}

} // namespace
