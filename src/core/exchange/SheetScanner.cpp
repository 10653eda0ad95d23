// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/SheetScanner.h"

#include "exchange/WorkbookCellText.h"

namespace kvitanky::workbook {

// --- sharedStrings.xml

bool SharedStringsScanner::startElement(std::string_view name, const std::vector<Attribute> &, bool)
{
    if (m_nested > 0) {
        ++m_nested;   // all text inside a <t> is its text; nothing inside an <rPh> is
    } else if (name == "si") {
        m_strings.startNext();
    } else if (name == "rPh") {
        m_nested = 1;
    } else if (name == "t" && m_strings.size() > 0) {
        m_nested = 1;
        m_inText = true;
    }
    return true;
}

bool SharedStringsScanner::endElement(std::string_view)
{
    if (m_nested > 0 && --m_nested == 0)
        m_inText = false;
    return true;
}

// --- a sheet

namespace {

// Digits only, at most `most` of them: their value, else -1.
int digitsValue(std::string_view s, size_t most)
{
    if (s.empty() || s.size() > most)
        return -1;
    int v = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// Whether the general format shows a number just as it is written: a whole number
// of at most 15 digits, or a decimal of at most 13 digits that ends in no zero;
// neither with a leading zero, nor "-0".
bool showsAsWritten(std::string_view s)
{
    const bool negative = !s.empty() && s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    const auto digits = [](std::string_view d) {
        for (const char c : d) {
            if (c < '0' || c > '9')
                return false;
        }
        return !d.empty();
    };
    const size_t point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    if (!digits(whole) || (whole.size() > 1 && whole.front() == '0'))
        return false;
    if (point == std::string_view::npos)
        return whole.size() <= 15 && !(negative && whole == "0");
    const std::string_view fraction = s.substr(point + 1);
    return digits(fraction) && fraction.back() != '0' && whole.size() + fraction.size() <= 13;
}

// The values of the attributes r, t and s, looked up by their names without a
// prefix as the reader of the workbook's XML looks them up; `unsure` when a
// prefixed one has such a name or one holds an entity or a line end.
struct CellAttributes {
    std::string_view r, t, s;
    bool unsure = false;
    explicit CellAttributes(const std::vector<XmlByteScanner::Attribute> &attributes)
    {
        for (const XmlByteScanner::Attribute &a : attributes) {
            if (a.name.size() != 1)
                continue;
            std::string_view *v = a.name[0] == 'r' ? &r : a.name[0] == 't' ? &t : a.name[0] == 's' ? &s : nullptr;
            if (!v)
                continue;
            unsure = unsure || !a.prefix.empty() || !a.plain;
            *v = a.value;
        }
    }
};

} // namespace

bool SheetScanner::fail(Fault fault)
{
    m_fault = fault;
    return stop();
}

std::string *SheetScanner::textTarget()
{
    return m_mode == Mode::Value || m_mode == Mode::Inline ? &m_value : nullptr;
}

bool SheetScanner::startElement(std::string_view name, const std::vector<Attribute> &attributes, bool declares)
{
    switch (m_mode) {
    case Mode::Sheet:
        if (name == "row" || name == "c") {
            // Only the plain forms; a namespace declared here could be read as an attribute.
            if (declares)
                return unsure();
            return name == "row" ? startRow(attributes) : startCell(attributes);
        }
        return true;
    case Mode::Cell:
        m_nested = 0;
        if (name == "v" || name == "is") {
            m_value.clear();
            m_mode = name == "v" ? Mode::Value : Mode::Inline;
        } else {
            m_mode = Mode::Skip;   // the formula and the like: the cached value is in <v>
        }
        return true;
    case Mode::Value:
        return unsure();   // an element inside a value
    case Mode::Inline:
    case Mode::Skip:
        ++m_nested;
        return true;
    }
    return true;
}

bool SheetScanner::endElement(std::string_view name)
{
    switch (m_mode) {
    case Mode::Sheet:
        return name == "row" ? endRow() : true;
    case Mode::Cell:
        m_mode = Mode::Sheet;
        return endCell();
    case Mode::Value:
        m_mode = Mode::Cell;
        return true;
    case Mode::Inline:
    case Mode::Skip:
        if (m_nested-- == 0)
            m_mode = Mode::Cell;
        return true;
    }
    return true;
}

bool SheetScanner::startRow(const std::vector<Attribute> &attributes)
{
    const CellAttributes a(attributes);
    const std::string_view r = a.r;
    const bool odd = m_inRow || a.unsure;   // a row inside a row
    const int number = r.empty() ? m_lastRow + 1 : digitsValue(r, 7);
    if (odd || number < 0 || (r.size() > 1 && r.front() == '0'))
        return unsure();
    if (number <= m_lastRow)
        return fail(Fault::Damaged);
    m_row.number = m_lastRow = number;
    m_column = -1;
    m_cells.clear();
    m_rowBytes.clear();
    m_inRow = true;
    return true;
}

bool SheetScanner::endRow()
{
    m_inRow = false;
    if (m_row.number < 1 || m_row.number > MaxRows)
        return fail(Fault::Damaged);
    if (m_cells.empty())
        return true;
    m_row.cells.resize(m_cells.size());
    for (size_t i = 0; i < m_cells.size(); ++i)
        m_row.cells[i] = std::string_view(m_rowBytes).substr(m_cells[i].at, m_cells[i].size);
    return m_sink.add(m_row) || fail(Fault::Output);
}

bool SheetScanner::startCell(const std::vector<Attribute> &attributes)
{
    const CellAttributes a(attributes);
    if (!m_inRow || a.unsure)   // a cell outside a row
        return unsure();
    const std::string_view r = a.r, type = a.t, style = a.s;
    if (r.empty()) {
        ++m_column;
    } else {
        // The column's letters; what follows them is not looked at.
        int col = 0;
        size_t i = 0;
        for (; i < r.size() && i < 4; ++i) {
            const char c = r[i];
            if (c >= 'a' && c <= 'z')
                col = col * 26 + (c - 'a' + 1);
            else if (c >= 'A' && c <= 'Z')
                col = col * 26 + (c - 'A' + 1);
            else if (std::uint8_t(c) >= 0x80)
                return unsure();
            else
                break;
        }
        if (i == 4)
            return unsure();
        m_column = i == 0 || col > MaxColumns ? -1 : col - 1;
    }
    if (m_column < 0)
        return fail(Fault::Damaged);
    for (const char c : type) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return unsure();
    }
    m_type = type.empty() || type == "n" ? Type::Number
             : type == "s"               ? Type::Shared
             : type == "b"               ? Type::Boolean
             : type == "d"               ? Type::Date
                                         : Type::Other;
    m_style = style.empty() ? 0 : digitsValue(style, 9);
    if (m_style < 0)
        return unsure();
    m_value.clear();
    m_mode = Mode::Cell;
    return true;
}

bool SheetScanner::endCell()
{
    std::string_view text = m_value;
    switch (m_type) {
    case Type::Shared:
        if (!m_value.empty()) {
            const int i = digitsValue(m_value, 9);
            if (i < 0)
                return unsure();
            if (i >= m_strings.size())
                return fail(Fault::Damaged);
            text = m_strings.at(i);
        }
        break;
    case Type::Boolean:
        text = m_value.empty() ? std::string_view() : m_value == "1" ? std::string_view("PRAVDA") : std::string_view("NEPRAVDA");
        break;
    case Type::Date:
        m_scratch = isoDateText(QString::fromStdString(m_value)).toStdString();
        text = m_scratch;
        break;
    case Type::Number:
        if (!m_value.empty()) {
            const bool isDate = m_style < m_dateStyles.size() && m_dateStyles.at(m_style);
            const QString date = isDate ? serialDateText(QString::fromStdString(m_value), m_date1904) : QString();
            if (!date.isEmpty()) {
                m_scratch = date.toStdString();
                text = m_scratch;
            } else if (!showsAsWritten(m_value)) {
                bool ok = false;
                m_scratch = numberText(QString::fromStdString(m_value), &ok).toStdString();
                text = m_scratch;
            }
        }
        break;
    case Type::Other:
        break;
    }
    return addCell(text);
}

bool SheetScanner::addCell(std::string_view text)
{
    if (text.empty())
        return true;
    if (m_column >= MaxColumns)
        return fail(Fault::Damaged);
    if (--m_cellsLeft < 0)
        return fail(Fault::TooManyCells);
    if (m_cells.size() <= size_t(m_column))
        m_cells.resize(size_t(m_column) + 1);
    m_cells[size_t(m_column)] = {std::uint32_t(m_rowBytes.size()), std::uint32_t(text.size())};
    m_rowBytes.append(text);
    return true;
}

} // namespace kvitanky::workbook
