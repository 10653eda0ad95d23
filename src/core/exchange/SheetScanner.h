// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the two big parts of an .xlsx workbook, the sheet and its shared strings,
// straight from their UTF-8 bytes as they are unpacked. Only what it knows for
// sure is read so: anything else leaves the scanner unsure, and the part is then
// read again by QXmlStreamReader (see WorkbookReader.cpp), which gives the same
// rows more slowly.
#pragma once

#include "exchange/WorkbookReader.h"
#include "exchange/WorkbookZip.h"
#include "exchange/XmlByteScanner.h"

#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvitanky::workbook {

inline constexpr int MaxColumns = 16384;     // column XFD
inline constexpr int MaxRows = 1048576;

// A sheet row as UTF-8: cells[i] is the text of column i, empty when none.
struct Utf8Row {
    int number = 0;
    std::vector<std::string_view> cells;
};

// Where the rows of a sheet go, in the sheet's order.
class RowSink
{
public:
    virtual ~RowSink() = default;
    // False when the row cannot be kept; errorString() then says why.
    virtual bool add(const WorkbookRow &row) = 0;
    virtual bool add(const Utf8Row &row) = 0;
    // Forgets the rows so far: the sheet is read again from its start.
    virtual void restart() = 0;
    virtual QString errorString() const { return {}; }
};

// The shared strings of a workbook as UTF-8, one after the other.
struct SharedStrings {
    std::string bytes;
    std::vector<std::uint32_t> starts;

    qsizetype size() const { return qsizetype(starts.size()); }
    std::string_view at(qsizetype i) const
    {
        const std::uint32_t end = i + 1 < size() ? starts[size_t(i + 1)] : std::uint32_t(bytes.size());
        return std::string_view(bytes).substr(starts[size_t(i)], end - starts[size_t(i)]);
    }
    void startNext() { starts.push_back(std::uint32_t(bytes.size())); }
    void clear()
    {
        bytes.clear();
        starts.clear();
    }
};

// sharedStrings.xml: each <si> one string, the text of its <t> elements (also in
// rich-text runs), without the phonetic runs <rPh>.
class SharedStringsScanner final : public XmlByteScanner
{
public:
    explicit SharedStringsScanner(SharedStrings &strings) : m_strings(strings) {}

protected:
    bool startElement(std::string_view name, const std::vector<Attribute> &attributes, bool declares) override;
    bool endElement(std::string_view name) override;
    std::string *textTarget() override { return m_inText ? &m_strings.bytes : nullptr; }

private:
    SharedStrings &m_strings;
    int m_nested = 0;   // depth inside a <t> or an <rPh>
    bool m_inText = false;
};

// A sheet's rows (<row>, <c> with r/t/s, <v>, <is>) shown as the spreadsheet
// shows them and handed to the sink; the limits of cells and columns kept.
class SheetScanner final : public XmlByteScanner
{
public:
    SheetScanner(const SharedStrings &strings, const QList<bool> &dateStyles, bool date1904, qint64 &cellsLeft,
                 RowSink &sink)
        : m_strings(strings), m_dateStyles(dateStyles), m_date1904(date1904), m_cellsLeft(cellsLeft), m_sink(sink)
    {
    }
    // Why the scanner stopped.
    Fault fault() const { return m_fault; }

protected:
    bool startElement(std::string_view name, const std::vector<Attribute> &attributes, bool declares) override;
    bool endElement(std::string_view name) override;
    std::string *textTarget() override;

private:
    enum class Mode { Sheet, Cell, Value, Inline, Skip };
    enum class Type { Number, Shared, Boolean, Date, Other };
    bool startRow(const std::vector<Attribute> &attributes);
    bool startCell(const std::vector<Attribute> &attributes);
    bool endCell();
    bool endRow();
    bool addCell(std::string_view text);
    bool fail(Fault fault);

    const SharedStrings &m_strings;
    const QList<bool> &m_dateStyles;
    const bool m_date1904;
    qint64 &m_cellsLeft;
    RowSink &m_sink;
    Fault m_fault = Fault::None;

    Mode m_mode = Mode::Sheet;
    int m_nested = 0;       // depth inside an <is> or a skipped child of <c>
    bool m_inRow = false;
    int m_lastRow = 0;
    int m_column = -1;
    Type m_type = Type::Number;
    int m_style = 0;
    std::string m_value;
    std::string m_scratch;

    struct Span {
        std::uint32_t at = 0, size = 0;
    };
    Utf8Row m_row;
    std::vector<Span> m_cells;
    std::string m_rowBytes;
};

} // namespace kvitanky::workbook
