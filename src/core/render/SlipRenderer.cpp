// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipRenderer.h"

#include "data/RecipientColumns.h"
#include "print/AccountNumber.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipSurface.h"
#include "settings/SettingKeyNames.h"
#include "settings/SettingsAccess.h"
#include "settings/SlipFields.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kvitanky {

namespace {

constexpr int KorunyBoxes = 8;
constexpr int SymbolBoxes = 10;
constexpr double MaxKorunyInBoxes = 99999999.0;
constexpr int MaxFontSize = 500;
constexpr int MaxFirstRowLength = 999;
// The print area and the shift, in printer pixels of 1/600 inch: far beyond any
// office page, yet every position they scale stays well inside an int.
constexpr int MaxPrintSize = 20000;
constexpr int MaxPrintShift = 10000;
// Coordinates handed to a surface stay well inside int; anything this far away
// is off every page anyway.
constexpr std::int64_t CoordinateLimit = std::int64_t(1) << 30;

const QString VoidSymbol = QStringLiteral("XXXXXXXXXX");
const QString VoidWords = QStringLiteral("XXXXXXXXXX");

int clampCoordinate(std::int64_t v)
{
    return int(std::clamp(v, -CoordinateLimit, CoordinateLimit));
}

int clampCoordinate(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(std::trunc(v), double(-CoordinateLimit), double(CoordinateLimit)));
}

// A setting read as an integer that must lie in [min, max].
int boundedInteger(const SettingsAccess &settings, const QString &key, int min, int max)
{
    const int v = settings.integer(key);
    if (v < min || v > max) {
        throw SettingError(QStringLiteral("'%1' není celé císlo od %2 do %3 (nastavení %4)")
                               .arg(settings.text(key))
                               .arg(min)
                               .arg(max)
                               .arg(key)
                               .toStdString());
    }
    return v;
}

// "Read as a number, is it 0?" A blank text counts as 0. A text that is not a
// number at all counts as not 0, so whatever the user put there is printed and
// nothing is lost silently; either decimal separator is accepted.
bool readsAsZero(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    QString normal = t;
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = QLocale::c().toDouble(normal, &ok);
    return ok && v == 0.0;
}

const SlipPlaceKeys &mainPlace(SlipField field)
{
    return slipFieldKeys(field).main;
}

// The left strip, or for the amount in words its second row.
const SlipPlaceKeys &secondPlace(SlipField field)
{
    return slipFieldKeys(field).second;
}

} // namespace

QString FormatPriceFigures(const QString &digits)
{
    if (digits.size() > KorunyBoxes)
        return QString(KorunyBoxes, QLatin1Char('X'));
    return QString(KorunyBoxes - digits.size(), QLatin1Char('=')) + digits;
}

QString FormatSymbol(const QString &symbol)
{
    if (symbol.size() > SymbolBoxes)
        return VoidSymbol;
    return QString(SymbolBoxes - symbol.size(), QLatin1Char('0')) + symbol;
}

QString voidAmountReason(double amount)
{
    if (amount == 0.0)
        return {};
    if (!std::isfinite(amount))
        return QStringLiteral("není to číslo");
    if (amount < 0.0)
        return QStringLiteral("je záporná");
    if (std::trunc(amount) > MaxKorunyInBoxes)
        return QStringLiteral("koruny mají více než %1 číslic").arg(KorunyBoxes);
    return {};
}

bool amountFitsForm(double amount)
{
    return voidAmountReason(amount).isEmpty();
}

QString HalereText(double amount)
{
    if (!std::isfinite(amount) || amount < 0.0)
        return QStringLiteral("XX");
    // The shortest decimal text that reads back as this very double is the amount
    // as it was typed or stored ("33554432.01", "12.29"); its first two decimals are
    // the haléře, whatever the binary error of the fraction. Below one haléř gives
    // "00"; a fraction just short of a whole koruna stays "99".
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, amount, std::chars_format::fixed);
    if (ec != std::errc())
        return QStringLiteral("XX");
    const std::string_view text(buffer, size_t(end - buffer));
    const size_t point = text.find('.');
    char digits[3] = {'0', '0', 0};
    if (point != std::string_view::npos) {
        for (size_t i = 0; i < 2 && point + 1 + i < text.size(); ++i)
            digits[i] = text[point + 1 + i];
    }
    return QString::fromLatin1(digits, 2);
}

SlipRenderer::SlipRenderer(SlipContext context) : m_ctx(std::move(context)) {}

SlipRenderer::~SlipRenderer() = default;

void SlipRenderer::finishPreview()
{
    m_previewSurface.reset();
}

const QImage &SlipRenderer::previewImage()
{
    finishPreview();
    return m_preview;
}

void SlipRenderer::loadPictures()
{
    finishPreview();
    if (m_ctx.onLoadPictures)
        m_ctx.onLoadPictures();
    if (m_picturePaths.dir != m_ctx.programDir || m_picturePaths.slip.isEmpty()) {
        const QString dir = QDir(m_ctx.programDir).path() + QLatin1Char('/');
        m_picturePaths = PicturePaths{m_ctx.programDir, dir + SlipPictureFile, dir + CleanPictureFile,
                                      dir + CalibrationPictureFile};
    }
    const bool form = m_ctx.settings->flag(key::CheckBoxLayoutPictureOn);
    // A copy of the cached picture: drawing on it detaches, the cache stays clean.
    m_preview = m_pictures.load(form ? m_picturePaths.slip : m_picturePaths.clean, QSize(PreviewWidth, PreviewHeight));
    m_calibration = m_pictures.load(m_picturePaths.calibration);
}

void SlipRenderer::LoadSlipPictures()
{
    loadPictures();
    if (m_ctx.showPreview)
        m_ctx.showPreview(previewImage());
}

void SlipRenderer::UpdatePrintScale()
{
    const SettingsAccess &s = *m_ctx.settings;
    const int w = boundedInteger(s, key::EditCalibrationPrintSizePDFX, 1, MaxPrintSize);
    const int h = boundedInteger(s, key::EditCalibrationPrintSizePDFY, 1, MaxPrintSize);
    m_printWidth = w;
    m_printHeight = h;
    m_printScaleX = double(w) / PreviewWidth;
    m_printScaleY = double(h) / PreviewHeight;
}

bool SlipRenderer::printingNow() const
{
    return !m_ctx.previewOnly && m_ctx.formReady && m_ctx.printer;
}

const SlipRenderer::CharacterSet &SlipRenderer::characterSet(int set)
{
    CharacterSet &cs = m_reads.sets[set - 1];
    if (!m_reads.active || !cs.read) {
        const SettingsAccess &s = *m_ctx.settings;
        const key::CharacterSetKeys keys = key::characterSet(set);
        cs.family = s.text(keys.family);
        cs.pointSize = boundedInteger(s, keys.pointSize, 1, MaxFontSize);
        cs.spacing = s.integer(keys.spacing);
        cs.read = m_reads.active;
    }
    return cs;
}

void SlipRenderer::DrawSlipText(int x, int y, const QString &text, int set)
{
    if (!m_reads.active || !m_reads.shiftRead) {
        const CalibrationValues c = printCalibration(*m_ctx.settings);
        m_reads.shiftX = c.shiftX;
        m_reads.shiftY = c.shiftY;
        m_reads.shiftRead = m_reads.active;
    }
    const std::int64_t xs = std::int64_t(x) + m_reads.shiftX;
    const std::int64_t ys = std::int64_t(y) + m_reads.shiftY;
    if (set < 1 || set > 3)
        return;

    const CharacterSet &cs = characterSet(set);
    const QString &family = cs.family;
    const int pointSize = cs.pointSize;
    const int spacing = cs.spacing;

    // Characters one by one: a surrogate pair stays one character.
    QStringList characters;
    if (spacing >= 1) {
        characters.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            characters.append(text.mid(i, pair ? 2 : 1));
            if (pair)
                ++i;
        }
    }

    if (m_targets.preview) {
        if (!m_previewSurface)
            m_previewSurface = std::make_unique<ImageSurface>(&m_preview);
        SlipSurface *previews[] = {m_previewSurface.get(), m_ctx.previewMirror};
        for (SlipSurface *surface : previews) {
            if (!surface)
                continue;
            surface->setFont(family, pointSize);
            if (spacing <= 0) {
                surface->drawText(clampCoordinate(xs), clampCoordinate(ys), text);
            } else {
                for (int i = 0; i < characters.size(); ++i)
                    surface->drawText(clampCoordinate(xs + std::int64_t(spacing) * i), clampCoordinate(ys),
                                      characters[i]);
            }
        }
    }

    if (!m_targets.printer || !printingNow())
        return;
    SlipSurface *printer = m_ctx.printer;
    const int px = clampCoordinate(double(xs) * m_printScaleX);
    const int py = clampCoordinate(double(ys) * m_printScaleY);
    printer->setFont(family, pointSize);
    if (spacing <= 0) {
        printer->drawText(px, py, text);
    } else {
        // Each offset from the start of the text, so truncation does not add up.
        for (int i = 0; i < characters.size(); ++i) {
            const double dx = std::trunc(double(spacing) * i * m_printScaleX);
            printer->drawText(clampCoordinate(double(px) + dx), py, characters[i]);
        }
    }
}

void SlipRenderer::drawAt(const SlipPlaceKeys &keys, const QString &text)
{
    const SettingsAccess &s = *m_ctx.settings;
    const int x = s.integer(keys.x);
    const int y = s.integer(keys.y);
    const int set = s.integer(keys.set);
    DrawSlipText(x, y, text, set);
}

void SlipRenderer::drawSymbol(SlipField field, const QString &symbol)
{
    const QString formatted = slipSymbolText(symbol);
    if (formatted.isEmpty())
        return;
    drawAt(mainPlace(field), formatted);
    drawAt(secondPlace(field), formatted);
}

QString SlipRenderer::wholeAccountNumber() const
{
    const SettingsAccess &s = *m_ctx.settings;
    const QString prefix = s.text(key::EditSetOwnerAccountNum1);
    QString a;
    if (!prefix.isEmpty() && !readsAsZero(prefix))
        a = prefix + QLatin1Char('-');
    a += s.text(key::EditSetOwnerAccountNum2);
    a += QLatin1Char('/');
    a += s.text(key::EditSetOwnerAccountIDB);
    return a;
}

PriceWordRows splitPriceWordRows(const QString &words, int firstRowLength)
{
    const int n = firstRowLength;
    PriceWordRows r;
    QString compact = words;
    compact.remove(QLatin1Char(' '));
    const int l = int(compact.size());
    if (l <= n) {
        r.rows = 1;
        r.row1 = QString(n - l, QLatin1Char(' ')) + QLatin1Char('=') + compact + QLatin1Char('=');
        return r;
    }

    // Row 1 takes whole words while they fit in n characters; the first word
    // goes there whole even when it alone is longer.
    QString row1;
    QString row2;
    bool inRow2 = false;
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!inRow2 && !row1.isEmpty() && row1.size() + word.size() > n)
            inRow2 = true;
        (inRow2 ? row2 : row1).append(word);
    }
    r.rows = 2;
    r.row1 = QLatin1Char('=') + row1 + QLatin1Char('=');
    r.row2 = QLatin1Char('=') + row2 + QLatin1Char('=');
    return r;
}

bool priceWordRow1Overflows(const PriceWordRows &split, int firstRowLength)
{
    // One row always takes firstRowLength + 2 characters, so that much fits the
    // first row's box in any case; and no haléře follow the first row, so its
    // box holds two characters more than the second row's.
    return split.rows == 2 && split.row1.size() > std::max(firstRowLength + 2, PriceWordRowLimit + 2);
}

bool priceWordRow2Overflows(const PriceWordRows &split)
{
    return split.rows == 2 && split.row2.size() > PriceWordRowLimit;
}

CalibrationValues printCalibration(const SettingsAccess &s)
{
    return CalibrationValues{boundedInteger(s, key::EditCalibrationPrintSizePDFX, 1, MaxPrintSize),
                             boundedInteger(s, key::EditCalibrationPrintSizePDFY, 1, MaxPrintSize),
                             boundedInteger(s, key::EditCalibrationPrintNullAxesX, -MaxPrintShift, MaxPrintShift),
                             boundedInteger(s, key::EditCalibrationPrintNullAxesY, -MaxPrintShift, MaxPrintShift)};
}

int priceWordFirstRowLength(const SettingsAccess &settings)
{
    return boundedInteger(settings, key::EditSetOtherLengthFirstPriceRow, 0, MaxFirstRowLength);
}

QString slipSymbolText(const QString &symbol)
{
    // Blanks around a symbol (padded table columns) are not part of it.
    const QString t = symbol.trimmed();
    if (readsAsZero(t))
        return QString();
    return FormatSymbol(t);
}

int SlipRenderer::SplitPriceWords(const QString &words)
{
    const SettingsAccess &s = *m_ctx.settings;
    const int n = priceWordFirstRowLength(s);
    const PriceWordRows split = splitPriceWordRows(words, n);
    m_priceWordRow1 = split.row1;
    if (split.rows == 1)
        return 1;
    m_priceWordRow2 = split.row2;

    const bool row1Over = priceWordRow1Overflows(split, n);
    if (m_targets.warn && !m_ctx.overflowWarningOff && !s.flag(key::CheckBoxSetOtherOffOverflowSecondRowPrice) && m_ctx.formReady
        && (row1Over || priceWordRow2Overflows(split)) && m_ctx.warn) {
        if (row1Over)
            m_ctx.warn(QStringLiteral("Nebezpečí přetečení prvního řádku 'Částka slovy'!\n"
                                      "Zkuste zmenšit v Nastavení Počet znaků v první řádce 'Částka slovy'."));
        else
            m_ctx.warn(QStringLiteral("Nebezpecí pretecení druhého rádku 'Cástka slovy'!\n"
                                      "Zkuste zmenšit v Nastavení velikost znakové sady\n"
                                      "a Pocet znaku v první rádce 'Cástka slovy'."));
        // The warning waits for the user; the settings are read afresh after it.
        const bool active = m_reads.active;
        m_reads = SlipReads{};
        m_reads.active = active;
    }
    return 2;
}

void SlipRenderer::ComposeSlip()
{
    if (!m_ctx.printerOnly || !printingNow()) {
        compose(Targets{});
        return;
    }
    try {
        compose(Targets{false, true, true});
    } catch (...) {
        // The preview shows the slip as far as it got, as after any failed
        // composition; the same settings stop it at the same place.
        try {
            compose(Targets{true, false, false});
        } catch (...) {
        }
        throw;
    }
}

void SlipRenderer::ComposePreview()
{
    compose(Targets{true, false, false});
}

void SlipRenderer::compose(Targets targets)
{
    // Drawing targets and per-slip reads hold for this composition only; DrawSlipText
    // called on its own reads every setting at every call.
    struct Scope {
        SlipRenderer *r;
        ~Scope()
        {
            r->m_targets = Targets{};
            r->m_reads = SlipReads{};
        }
    } scope{this};
    m_targets = targets;
    m_reads = SlipReads{};
    m_reads.active = true;

    // The window shows the preview however the composition ends: what was drawn
    // before an error stays visible. A printer-only composition leaves the preview alone.
    struct ShowAtEnd {
        SlipRenderer *r;
        bool show;
        ~ShowAtEnd()
        {
            if (show && r->m_ctx.showPreview)
                r->m_ctx.showPreview(r->previewImage());
        }
    } showAtEnd{this, targets.preview};

    using enum SlipField;
    const SettingsAccess &s = *m_ctx.settings;
    RecipientSource *rec = m_ctx.recipients;
    const bool tableOpen = rec && rec->isOpen();

    // 1. A fresh background (also when only the printer is drawn on: a missing
    // picture stops a print job as it stops the preview).
    loadPictures();

    // 2. The discard mark; a discarded record is composed like any other.
    const int discarded = tableOpen ? rec->integer(columnName(RecipientColumn::Excluded)) : 0;
    if (m_ctx.setDiscardVisible)
        m_ctx.setDiscardVisible(discarded != 0);

    // 3. The owner.
    const QString address1 = s.text(key::EditSetOwnerAddress1);
    const QString address2 = s.text(key::EditSetOwnerAddress2);
    const QString address3 = s.text(key::EditSetOwnerAddress3);
    drawAt(mainPlace(OwnerAddress1), address1);
    drawAt(mainPlace(OwnerAddress2), address2);
    drawAt(mainPlace(OwnerAddress3), address3);
    drawAt(secondPlace(OwnerAddress1), address1);
    drawAt(secondPlace(OwnerAddress2), address2);
    drawAt(secondPlace(OwnerAddress3), address3);
    // An account left blank is pre-printed on the form: none of it is drawn, not even
    // the strip's "/".
    const QString accountPrefix = s.text(key::EditSetOwnerAccountNum1);
    const QString accountNumber = s.text(key::EditSetOwnerAccountNum2);
    const QString bankCode = s.text(key::EditSetOwnerAccountIDB);
    const bool accountShown = !accountLeftBlank(accountPrefix, accountNumber, bankCode);
    if (accountShown) {
        drawAt(mainPlace(AccountNum1), accountPrefix);
        drawAt(mainPlace(AccountNum2), accountNumber);
        drawAt(mainPlace(AccountIDB), bankCode);
    }
    const bool ownerSymbolAsVs = s.flag(key::CheckBoxSetOwnersKS_VS);
    if (!ownerSymbolAsVs)
        drawAt(mainPlace(ConstS), s.text(key::EditSetOwnerAccountConstS));
    else
        drawSymbol(VS, s.text(key::EditSetOwnerAccountConstS));
    if (accountShown)
        drawAt(secondPlace(AccountNum1), wholeAccountNumber());
    drawAt(mainPlace(OwnerSubject), s.text(key::EditSetOwnerAddressSubject));
    drawAt(mainPlace(OwnerMessage1), s.text(key::EditSetOwnerAddressMessage1));
    drawAt(mainPlace(OwnerMessage2), s.text(key::EditSetOwnerAddressMessage2));
    drawAt(mainPlace(OwnerTransCode), s.text(key::EditSetOwnerTransCode));

    // 4. The amount in words, spelled from the record itself (the words box on the
    // recipient page only shows them). A closed table reads as 0.
    const double amount = tableOpen ? rec->number(columnName(RecipientColumn::Amount)) : 0.0;
    const bool printPrice = !s.flag(key::CheckBoxSetOtherNotPrintPrice);
    const bool fits = amountFitsForm(amount);
    if (printPrice && amount != 0.0) {
        const QString words = fits ? PriceToWords(amount, s.wordSpelling()) : VoidWords;
        const int rows = SplitPriceWords(words);
        drawAt(mainPlace(PriceWord), m_priceWordRow1);
        if (rows == 2)
            drawAt(secondPlace(PriceWord), m_priceWordRow2);
    }

    // 5.
    if (!tableOpen)
        return;

    // 6. The amount in figures.
    if (printPrice && amount != 0.0) {
        QString koruny;
        QString halere;
        if (fits) {
            koruny = FormatPriceFigures(QString::number(std::int64_t(std::trunc(amount))));
            halere = HalereText(amount);
        } else {
            koruny = QString(KorunyBoxes, QLatin1Char('X'));
            halere = QStringLiteral("XX");
        }
        drawAt(mainPlace(Price), koruny + halere);
        drawAt(secondPlace(Price), koruny + QLatin1Char(',') + halere);
        drawAt(mainPlace(PriceSM), halere);
    }

    // 7. Symbols; in variable-symbol mode the owner's symbol took the VS places.
    if (!ownerSymbolAsVs)
        drawSymbol(VS, rec->text(columnName(RecipientColumn::VarSymbol)));
    drawSymbol(SS, rec->text(columnName(RecipientColumn::SpecSymbol)));

    // 8. Name and address in the main part.
    const bool showTitle = s.flag(key::CheckBoxDataShowTitle);
    const QString title = rec->text(columnName(RecipientColumn::Title));
    const QString firstName = rec->text(columnName(RecipientColumn::FirstName));
    const QString surname = rec->text(columnName(RecipientColumn::Surname));
    const QString street = rec->text(columnName(RecipientColumn::Street));
    const QString city = rec->text(columnName(RecipientColumn::City));
    const QString postCode = rec->text(columnName(RecipientColumn::PostCode));
    if (showTitle) {
        drawAt(mainPlace(RecipientTitle), title);
        drawAt(mainPlace(RecipientSurname), firstName + QLatin1Char(' ') + surname);
    } else {
        drawAt(mainPlace(RecipientFirstName), firstName);
        drawAt(mainPlace(RecipientSurname), surname);
    }
    drawAt(mainPlace(RecipientStreet), street);
    drawAt(mainPlace(RecipientCity), city);
    drawAt(mainPlace(RecipientPostCode), postCode);

    // 9. The left strip.
    const QString name = showTitle ? title + QLatin1Char(' ') + firstName + QLatin1Char(' ') + surname
                                   : firstName + QLatin1Char(' ') + surname;
    drawAt(secondPlace(RecipientFirstName), name);
    drawAt(secondPlace(RecipientStreet), street);
    drawAt(secondPlace(RecipientCity), postCode + QLatin1Char(' ') + city);
}

} // namespace kvitanky
