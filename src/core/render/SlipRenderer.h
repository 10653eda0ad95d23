// SPDX-License-Identifier: GPL-3.0-or-later
// Composition of one payment slip and the drawing of its fields on the preview
// picture and, while a print job runs, on the printer page.
//
// Positions are layout units: pixels of the 795 x 387 preview, (0, 0) the slip's
// top-left corner. Every position, set number, font size and spacing is read from
// the live settings by the composition that draws with it; one that is not an
// integer stops the composition with a SettingError naming the setting, and what
// was drawn before stays drawn. The calibration shift and a character set are read
// at their first use in a composition and serve its later fields too (nothing but
// the overflow warning can change them meanwhile, and after it they are read again).
//
// Values that do not fit the form's boxes (they come only from imported or
// hand-edited tables) are never shortened or wrapped into something that looks
// valid: the boxes are filled with "X" instead, so the slip is visibly void on the
// preview and on paper and nobody pays a wrong amount or symbol:
//   - an amount that is negative, not a number, or whose koruny need more than the
//     8 boxes: "XXXXXXXX" + "XX" in the figures, "XXXXXXXXXX" in place of the words;
//   - a symbol longer than its 10 boxes: "XXXXXXXXXX".
// amountFitsForm() lets a print job find such slips beforehand.
//
// Other rules that keep a bad value from turning into a wrong slip:
//   - a font size outside 1..500 points, or a first-row length of the words outside
//     0..999, stops the composition with a SettingError naming the setting, as a
//     non-integer does;
//   - the haléře are always two digits ("00" below one haléř, at most "99"), the
//     amount's decimal hundredths, not those of its binary approximation;
//   - a symbol or account prefix that is not a number is printed as it stands (it
//     counts as "not 0"); blanks around a symbol are dropped;
//   - positions so far away that they cannot be on any page are clamped before
//     they reach a surface, so no arithmetic overflows.
#pragma once

#include "render/SlipPictures.h"
#include "settings/PrinterCalibrations.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

namespace kvitanky {

class ImageSurface;
class RecipientSource;
class SettingsAccess;
class SlipSurface;
struct SlipPlaceKeys;
enum class SlipField : int;

// What composition needs of the main window. The window fills it once and keeps
// the two flags up to date.
struct SlipContext {
    const SettingsAccess *settings = nullptr;   // live settings
    RecipientSource *recipients = nullptr;       // the recipient table at its cursor; null: closed
    QString programDir;                          // where the slip pictures lie
    bool formReady = false;                      // start-up complete
    bool previewOnly = true;                     // false only while a slip print job runs
    // While a print job runs: the slip goes to the printer page alone and the preview
    // is left as it is (a job of thousands of slips would otherwise draw each one on a
    // picture nobody looks at). Every setting is read and checked as always. The job
    // brings the preview up to date with ComposePreview() at its end.
    bool printerOnly = false;
    // A job of many slips: its preflight summary names every slip whose words run
    // past their box, so composition does not stop each one with the warning.
    bool overflowWarningOff = false;
    std::function<void(bool)> setDiscardVisible; // LabelLayoutDiscard
    std::function<void(const QString &)> warn;   // modal warning, returns after OK
    std::function<void()> onLoadPictures;        // the window sets SaveOnClose
    std::function<void(const QImage &)> showPreview; // after every composition, also one cut short
    SlipSurface *printer = nullptr;              // page of the running print job
    SlipSurface *previewMirror = nullptr;        // receives every preview call too (tests)
};

class SlipRenderer
{
public:
    static constexpr int PreviewWidth = 795;
    static constexpr int PreviewHeight = 387;

    explicit SlipRenderer(SlipContext context);
    ~SlipRenderer();
    SlipRenderer(const SlipRenderer &) = delete;
    SlipRenderer &operator=(const SlipRenderer &) = delete;

    SlipContext &context() { return m_ctx; }

    // A fresh preview: the form picture (CheckBoxLayoutPictureOn) or the plain one,
    // and the calibration picture. Throws SlipPictureError naming the file.
    void LoadSlipPictures();

    // Keeps the print size of the calibration and computes the printer pixels per
    // layout unit. Called when a print job begins.
    void UpdatePrintScale();

    // Draws one field at (x, y) in layout units with character set `set` (1 to 3;
    // any other number draws nothing).
    void DrawSlipText(int x, int y, const QString &text, int set);

    // Composes the current slip on a fresh preview (and on the printer page while a
    // print job runs). With SlipContext::printerOnly during a job only the printer page
    // is drawn; if the composition fails, the preview shows what was drawn before the
    // error, as it always does.
    void ComposeSlip();

    // Composes the current slip on a fresh preview alone, never on paper and without
    // the overflow warning (it was shown when the slip went to the printer): the
    // preview catching up with the last slip a printer-only job printed.
    void ComposePreview();

    // Splits the amount in words into PriceWordRow1 / PriceWordRow2; returns the
    // number of rows to draw (1 or 2). May show the overflow warning.
    int SplitPriceWords(const QString &words);

    const QString &PriceWordRow1() const { return m_priceWordRow1; }
    const QString &PriceWordRow2() const { return m_priceWordRow2; }
    double PrintScaleX() const { return m_printScaleX; }
    double PrintScaleY() const { return m_printScaleY; }
    int PrintWidth() const { return m_printWidth; }
    int PrintHeight() const { return m_printHeight; }

    // The preview as last drawn (painting on it is finished first).
    const QImage &previewImage();
    const QImage &calibrationImage() const { return m_calibration; }

    SlipPictureCache &pictureCache() { return m_pictures; }

private:
    // What one composition draws on, and whether it may warn.
    struct Targets {
        bool preview = true;
        bool printer = true;
        bool warn = true;
    };
    // Settings DrawSlipText needs for every field, read at their first use within one
    // composition (nothing else runs in between) and then reused for its other fields.
    struct CharacterSet {
        bool read = false;
        QString family;
        int pointSize = 0;
        int spacing = 0;
    };
    struct SlipReads {
        bool active = false;
        bool shiftRead = false;
        int shiftX = 0;
        int shiftY = 0;
        CharacterSet sets[3];
    };
    void compose(Targets targets);
    bool printingNow() const;
    void loadPictures();
    void finishPreview();
    void drawAt(const SlipPlaceKeys &keys, const QString &text);
    void drawSymbol(SlipField field, const QString &symbol);
    QString wholeAccountNumber() const;
    const CharacterSet &characterSet(int set);

    // The picture files of SlipContext::programDir.
    struct PicturePaths {
        QString dir;
        QString slip;
        QString clean;
        QString calibration;
    };

    SlipContext m_ctx;
    SlipPictureCache m_pictures;
    PicturePaths m_picturePaths;
    QImage m_preview;
    QImage m_calibration;
    std::unique_ptr<ImageSurface> m_previewSurface;
    Targets m_targets;
    SlipReads m_reads;
    QString m_priceWordRow1;
    QString m_priceWordRow2;
    double m_printScaleX = 0;
    double m_printScaleY = 0;
    int m_printWidth = 0;
    int m_printHeight = 0;
};

// The koruny in the 8 boxes of the amount, filled with "=" on the left:
// "125" -> "=====125". A text longer than 8 characters gives "XXXXXXXX".
QString FormatPriceFigures(const QString &digits);

// A symbol in its 10 boxes, filled with "0" on the left: "1234" -> "0000001234".
// A text longer than 10 characters gives "XXXXXXXXXX".
QString FormatSymbol(const QString &symbol);

// The amount in words split for the form: one row right-aligned to
// `firstRowLength` + 2 characters, or two rows, each framed by "=".
struct PriceWordRows {
    QString row1;
    QString row2;   // empty with one row
    int rows = 1;
};
PriceWordRows splitPriceWordRows(const QString &words, int firstRowLength);

// The characters the second row of the words may hold ("=" marks included) before
// it runs past its box, which ends where the haléře after the words begin. The
// first row has no haléře after it and holds two more.
inline constexpr int PriceWordRowLimit = 28;

// Whether a row of the split runs past its box (always false with one row).
bool priceWordRow1Overflows(const PriceWordRows &split, int firstRowLength);
bool priceWordRow2Overflows(const PriceWordRows &split);

// EditSetOtherLengthFirstPriceRow, checked as composition checks it (SettingError).
int priceWordFirstRowLength(const SettingsAccess &settings);

// The four calibration values, each checked for its range (SettingError): every
// composition checks them all, so a print size no page can hold is named at start
// as a bad shift is, and a job stops before its first page.
CalibrationValues printCalibration(const SettingsAccess &settings);

// A symbol as the slip prints it in its 10 boxes; empty when it is not printed
// (blank or 0).
QString slipSymbolText(const QString &symbol);

// Whether the amount can be written into the form's boxes: 0, or a positive
// number whose koruny fit the 8 boxes.
bool amountFitsForm(double amount);
// Why an amount cannot be written into the form's boxes, in Czech words that
// follow "částku nelze vytisknout: " ("je záporná"); empty when it can.
QString voidAmountReason(double amount);

// The two haléř digits of an amount ("05", "50", "00"): the first two decimals of
// the shortest decimal text that reads back as the amount, so they are the true
// hundredths of every amount the boxes hold (12.29 gives "29", 33554432.01 gives
// "01"). "XX" for an amount that voids the slip.
QString HalereText(double amount);

} // namespace kvitanky
