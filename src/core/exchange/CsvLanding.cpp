// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvLanding.h"

#include "data/DbfTable.h"
#include "data/TableColumn.h"
#include "exchange/CsvImport.h"
#include "exchange/CsvTextKey.h"
#include "text/Codepage.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace kvitanky {

namespace {

// A row repeats an earlier one of the file with the same person (first name,
// surname, street and town) or the same variable symbol.
constexpr std::array<int, 4> PersonColumns{1, 2, 3, 4};
constexpr int SymbolColumn = 7;

} // namespace

CsvLander::CsvLander(const CsvPreview &p, DbfTable &table)
    : m_p(p)
{
    const QList<FieldDef> defs = table.active() ? table.fields() : QList<FieldDef>();
    for (int c = 0; c < CsvColumnCount; ++c) {
        m_size[size_t(c)] = 254;
        for (const FieldDef &d : defs)
            if (d.name.compare(QLatin1String(CsvColumnNames[size_t(c)]), Qt::CaseInsensitive) == 0)
                m_size[size_t(c)] = d.size > 0 ? d.size : 254;
    }
}

QByteArrayView CsvLander::kept(const CsvLanded &row, int column, QByteArray &scratch) const
{
    return CsvKeptBytes(row.field[size_t(column)], m_p.encoding, m_size[size_t(column)], scratch);
}

void CsvLander::land(const QList<QByteArrayView> &fields, CsvLanded &row, bool texts) const
{
    row.filled.fill(false);
    const size_t n = std::min(m_p.columnOf.size(), size_t(fields.size()));
    QByteArray scratch;
    for (size_t pos = 0; pos < m_p.columnOf.size(); ++pos) {
        const int c = m_p.columnOf[pos];
        if (c < 0)
            continue;
        const QByteArrayView f = pos < n ? fields.at(qsizetype(pos)) : QByteArrayView();
        row.filled[size_t(c)] = true;
        row.field[size_t(c)] = f;
        switch (CsvKindOf(c)) {
        case CsvColumnKind::Text:
            if (texts) {
                const QByteArrayView bytes = kept(row, c, scratch);
                row.text[size_t(c)] = decode(bytes.data(), bytes.size(), Codepage::Cp1250);
            } else {
                row.text[size_t(c)].clear();
            }
            break;
        case CsvColumnKind::Amount:
            row.amount = ReadCsvAmount(f, m_p.thousands);
            // A sheet leaves empty cells at a row's end out, and a header names
            // every column: there a missing amount is an empty one.
            row.amountPresent = pos < n || m_p.header || m_p.workbook;
            row.amountText = f;
            break;
        case CsvColumnKind::Flag:
            row.flag = ReadCsvFlag(f, &row.flagOk);
            row.flagText = f;
            break;
        }
    }
    for (int c = 0; c < CsvColumnCount; ++c) {
        if (row.filled[size_t(c)])
            continue;
        row.field[size_t(c)] = {};
        row.text[size_t(c)].clear();
        if (c == CsvAmountColumn) {
            row.amountPresent = false;
            row.amount = {};
            row.amountText = {};
        }
        if (c == CsvFlagColumn) {
            row.flag = 0;
            row.flagOk = true;
            row.flagText = {};
        }
    }
}

std::size_t CsvRowHash(const std::array<QByteArrayView, CsvColumnCount> &texts, double amount, int flag)
{
    // The values in one string: equal strings, equal rows.
    QVarLengthArray<char, 512> key;
    char number[24];
    for (int c = 0; c < CsvColumnCount; ++c) {
        if (c == CsvAmountColumn || c == CsvFlagColumn) {
            const auto end = c == CsvAmountColumn
                ? std::to_chars(number, number + sizeof number, qint64(std::llround(amount * 10000))).ptr
                : std::to_chars(number, number + sizeof number, flag).ptr;
            key.append(number, end - number);
        } else {
            key.append(texts[size_t(c)].data(), texts[size_t(c)].size());
        }
        key.append('\x1f');
    }
    return std::hash<std::string_view>{}(std::string_view(key.data(), size_t(key.size())));
}

std::vector<std::size_t> CsvTableRowHashes(DbfTable &table)
{
    std::vector<std::size_t> out;
    std::vector<std::optional<DbfField>> fields;   // a column the table lacks reads empty
    for (const TableColumnDef &c : recipientColumns())
        fields.push_back(columnIndexIn(table, c) < 0 ? std::nullopt : std::optional(table.fieldByName(c.name)));
    out.reserve(size_t(table.recordCount()));
    std::array<QByteArray, CsvColumnCount> text;
    std::array<QByteArrayView, CsvColumnCount> views;
    const auto &amount = fields[CsvAmountColumn], &flag = fields[CsvFlagColumn];
    for (table.first(); !table.eof(); table.next()) {
        for (int c = 0; c < CsvColumnCount; ++c)
            if (CsvKindOf(c) == CsvColumnKind::Text && fields[size_t(c)]) {
                text[size_t(c)] = toCp1250(fields[size_t(c)]->asString());
                views[size_t(c)] = text[size_t(c)];
            }
        out.push_back(CsvRowHash(views, amount ? amount->asFloat() : 0.0, flag ? flag->asInteger() : 0));
    }
    return out;
}

CsvRowKeys::CsvRowKeys(const CsvLander &lander, const CsvLanded &row)
    : m_row(row)
{
    for (int c = 0; c < CsvColumnCount; ++c)
        if (CsvKindOf(c) == CsvColumnKind::Text)
            m_bytes[size_t(c)] = lander.kept(row, c, m_scratch[size_t(c)]);
    // As qHashMulti combines the texts trimmed and case-folded.
    for (const int c : PersonColumns) {
        bool empty = true;
        const std::size_t h = CsvTextHash(bytes(c), CsvEncoding::Cp1250, true, &empty);
        m_person = m_person ^ (h + 0x9e3779b9 + (m_person << 6) + (m_person >> 2));
        m_named = m_named || ((c == 1 || c == 2) && !empty);
    }
    bool empty = true;
    m_symbol = CsvTextHash(bytes(SymbolColumn), CsvEncoding::Cp1250, false, &empty);
    m_hasSymbol = !empty;
}

QString CsvRowKeys::symbolText() const
{
    return DecodeCsvField(bytes(SymbolColumn), CsvEncoding::Cp1250).trimmed();
}

std::size_t CsvRowKeys::values() const
{
    return CsvRowHash(m_bytes, m_row.amount.value, m_row.flag);
}

const CsvFirstSeen::Place *CsvFirstSeen::seenOrTake(std::size_t key, Place here)
{
    if ((m_used + 1) * 2 > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = ((key * 0x9E3779B97F4A7C15ULL) >> 20) & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.place.row < 0) {
            slot.key = key;
            slot.place = here;
            ++m_used;
            return nullptr;
        }
        if (slot.key == key)
            return &slot.place;
    }
}

void CsvFirstSeen::grow()
{
    std::vector<Slot> old(std::max<std::size_t>(1024, m_slots.size() * 2));
    old.swap(m_slots);
    m_used = 0;
    for (const Slot &slot : old)
        if (slot.place.row >= 0)
            seenOrTake(slot.key, slot.place);
}

} // namespace kvitanky
