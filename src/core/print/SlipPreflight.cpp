// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipPreflight.h"

#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "settings/SettingKeyNames.h"
#include "settings/SettingsAccess.h"
#include "settings/SlipFields.h"

#include <QScopeGuard>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace kvitanky {

namespace {

bool allDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// A symbol the slip prints must be digits that fit its boxes; one it leaves out
// (blank or 0) is fine.
bool symbolWrong(const QString &symbol)
{
    const QString printed = slipSymbolText(symbol);
    return !printed.isEmpty() && !allDigits(printed);
}

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

bool placeOn(const SettingsAccess &s, const SlipPlaceKeys &place)
{
    const int set = s.integer(place.set);
    return set >= 1 && set <= 3;
}

// The account reaches paper through any of these places.
bool accountPlacesOn(const SettingsAccess &s)
{
    return placeOn(s, slipFieldKeys(SlipField::AccountNum1).main) || placeOn(s, slipFieldKeys(SlipField::AccountNum1).second)
        || placeOn(s, slipFieldKeys(SlipField::AccountNum2).main) || placeOn(s, slipFieldKeys(SlipField::AccountIDB).main);
}

constexpr unsigned bit(SlipFault f)
{
    return 1u << unsigned(f);
}

// Texts that differ only in case and blanks are the same on a slip for a reader:
// writes the words of `text` case-folded at `out`, each after one blank unless it
// is the first of the part that begins at `part`.
void putWords(QChar *&out, const QChar *part, const QString &text)
{
    bool gap = true;
    for (const QChar c : text) {
        if (c.isSpace()) {
            gap = true;
            continue;
        }
        if (gap && out != part)
            *out++ = QLatin1Char(' ');
        gap = false;
        const char16_t u = c.unicode();
        *out++ = u < 0x80 ? QChar(u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u) : c.toCaseFolded();
    }
}

// Name and address as one key, empty when either is blank.
QString addresseeKey(const SlipRecord &r)
{
    QString key(r.firstName.size() + r.surname.size() + r.street.size() + r.city.size() + 3, Qt::Uninitialized);
    QChar *const begin = key.data();
    QChar *out = begin;
    putWords(out, begin, r.firstName);
    putWords(out, begin, r.surname);
    if (out == begin)
        return QString();
    *out++ = QLatin1Char('\n');
    const QChar *const address = out;
    putWords(out, address, r.street);
    putWords(out, address, r.city);
    if (out == address)
        return QString();
    key.truncate(out - begin);
    return key;
}

} // namespace

void forEachJobRow(DbfTable &table, int from, int to, const std::function<void(int row)> &visit)
{
    if (!table.active() || table.recordCount() == 0)
        return;
    to = std::min(to, table.recordCount() - 1);
    from = std::max(from, 0);
    if (from > to)
        return;
    const DbfField excluded = fieldOf(table, RecipientColumn::Excluded);
    table.moveTo(from);
    for (int row = from; row <= to && !table.eof(); ++row, table.next()) {
        if (excluded.asIntegerOr(0) == 0)
            visit(row);
    }
}

SlipPreflight::SlipPreflight(const SettingsAccess &s)
{
    m_printPrice = !s.flag(key::CheckBoxSetOtherNotPrintPrice);
    m_ownerSymbolAsVs = s.flag(key::CheckBoxSetOwnersKS_VS);
    m_checkWords = !s.flag(key::CheckBoxSetOtherOffOverflowSecondRowPrice);
    m_firstRowLength = priceWordFirstRowLength(s);
    m_spelling = s.wordSpelling();
    printCalibration(s);
    const QString prefix = s.text(key::EditSetOwnerAccountNum1);
    const QString number = s.text(key::EditSetOwnerAccountNum2);
    const QString bank = s.text(key::EditSetOwnerAccountIDB);
    m_accountPrinted = accountPlacesOn(s) && !accountLeftBlank(prefix, number, bank);
    m_account = checkAccount(prefix, number, bank);
    m_accountText = kvitanky::accountText(prefix, number, bank);
}

unsigned SlipPreflight::wordsFaults(double amount) const
{
    unsigned faults = 0;
    // The words a job puts on the slip, split as composition splits them.
    const PriceWordRows split = splitPriceWordRows(PriceToWords(amount, m_spelling), m_firstRowLength);
    if (priceWordRow1Overflows(split, m_firstRowLength))
        faults |= bit(SlipFault::WordsRow1);
    if (priceWordRow2Overflows(split))
        faults |= bit(SlipFault::WordsRow2);
    return faults;
}

unsigned SlipPreflight::check(const SlipRecord &r) const
{
    unsigned faults = 0;
    if (m_printPrice) {
        if (r.amount == 0.0) {
            faults |= bit(SlipFault::ZeroAmount);
        } else if (!std::isfinite(r.amount)) {
            faults |= bit(SlipFault::UnreadableAmount);
        } else if (!amountFitsForm(r.amount)) {
            faults |= bit(SlipFault::VoidAmount);
        } else if (m_checkWords) {
            // The words spell whole koruny only; many rows share an amount.
            const qint64 koruny = qint64(r.amount);
            auto known = m_wordsFaults.constFind(koruny);
            if (known == m_wordsFaults.constEnd())
                known = m_wordsFaults.insert(koruny, wordsFaults(r.amount));
            faults |= *known;
        }
    }
    if ((!m_ownerSymbolAsVs && symbolWrong(r.variableSymbol)) || symbolWrong(r.specificSymbol))
        faults |= bit(SlipFault::Symbol);
    if (blank(r.firstName) && blank(r.surname))
        faults |= bit(SlipFault::NoName);
    if (blank(r.street) && blank(r.city))
        faults |= bit(SlipFault::NoAddress);
    return faults;
}

void SlipPreflight::noteDuplicate(SlipNote kind, const QString &key, int row)
{
    QHash<QString, int> &seen = m_firstWith[size_t(kind)];
    const auto at = seen.constFind(key);
    if (at == seen.constEnd()) {
        seen.insert(key, row);
        return;
    }
    const int first = *at;
    const qint64 group = (qint64(kind) << 32) | qint64(first);
    auto known = m_groupOf.constFind(group);
    if (known == m_groupOf.constEnd()) {
        known = m_groupOf.insert(group, m_duplicates.size());
        m_duplicates.push_back(DuplicateSlips{kind, {first}});
    }
    m_duplicates[*known].rows.push_back(row);
}

void SlipPreflight::add(int row, const SlipRecord &record, unsigned faults)
{
    ++m_slips;
    if (!m_ownerSymbolAsVs) {
        const QString symbol = slipSymbolText(record.variableSymbol);
        if (!symbol.isEmpty() && allDigits(symbol))
            noteDuplicate(SlipNote::SameSymbol, symbol, row);
    }
    if (const QString key = addresseeKey(record); !key.isEmpty())
        noteDuplicate(SlipNote::SameAddressee, key, row);
    if (!faults)
        return;
    m_faultyRows.push_back(row);
    for (int kind = 0; kind < FaultKinds; ++kind) {
        if (!(faults & (1u << unsigned(kind))))
            continue;
        ++m_counts[size_t(kind)];
        QList<PreflightRow> &rows = m_firstRows[size_t(kind)];
        if (rows.size() < ListedRows)
            rows.append(PreflightRow{row, (record.firstName.trimmed() + QLatin1Char(' ') + record.surname.trimmed()).trimmed()});
    }
}

void SlipPreflight::run(DbfTable &table, int from, int to)
{
    if (!table.active() || table.recordCount() == 0)
        return;
    const int at = table.recNo();
    const bool atEnd = table.eof();
    const auto back = qScopeGuard([&] { table.moveTo(atEnd ? table.recordCount() : at); });
    for (auto &seen : m_firstWith)
        seen.reserve(std::min(to, table.recordCount() - 1) - std::max(from, 0) + 1);

    // The columns once; each follows the cursor.
    const DbfField amount = fieldOf(table, RecipientColumn::Amount);
    const DbfField vs = fieldOf(table, RecipientColumn::VarSymbol);
    const DbfField ss = fieldOf(table, RecipientColumn::SpecSymbol);
    const DbfField firstName = fieldOf(table, RecipientColumn::FirstName);
    const DbfField surname = fieldOf(table, RecipientColumn::Surname);
    const DbfField street = fieldOf(table, RecipientColumn::Street);
    const DbfField city = fieldOf(table, RecipientColumn::City);
    forEachJobRow(table, from, to, [&](int row) {
        SlipRecord r;
        r.amount = slipAmount(amount);
        r.variableSymbol = vs.asString();
        r.specificSymbol = ss.asString();
        r.firstName = firstName.asString();
        r.surname = surname.asString();
        r.street = street.asString();
        r.city = city.asString();
        add(row, r, check(r));
    });
    std::stable_sort(m_duplicates.begin(), m_duplicates.end(),
              [](const DuplicateSlips &a, const DuplicateSlips &b) { return a.rows.front() < b.rows.front(); });
}

bool SlipPreflight::isFaulty(int row) const
{
    return std::binary_search(m_faultyRows.begin(), m_faultyRows.end(), row);
}

QString SlipPreflight::faultName(SlipFault kind)
{
    switch (kind) {
    case SlipFault::VoidAmount: return QStringLiteral("částka záporná nebo přes 99 999 999 Kč (kvitance přeškrtnutá X)");
    case SlipFault::UnreadableAmount: return QStringLiteral("částka v souboru není číslo (kvitance přeškrtnutá X)");
    case SlipFault::ZeroAmount: return QStringLiteral("bez částky (částka prázdná nebo 0)");
    case SlipFault::Symbol: return QStringLiteral("variabilní nebo specifický symbol není číslo do 10 číslic");
    case SlipFault::WordsRow1: return QStringLiteral("částka slovy přesahuje 1. řádek");
    case SlipFault::WordsRow2: return QStringLiteral("částka slovy přesahuje 2. řádek");
    case SlipFault::NoName: return QStringLiteral("chybí jméno");
    case SlipFault::NoAddress: return QStringLiteral("chybí adresa");
    case SlipFault::Count: break;
    }
    return QString();
}

QString SlipPreflight::describe(const DuplicateSlips &group)
{
    const QString what = group.kind == SlipNote::SameSymbol ? QStringLiteral("stejný variabilní symbol")
                                                            : QStringLiteral("stejné jméno a adresa");
    QStringList rows;
    for (size_t i = 0; i < group.rows.size() && i < size_t(ListedRows); ++i)
        rows << QString::number(group.rows[i] + 1);
    QString list;
    if (rows.size() < 2) {
        list = rows.join(QString());
    } else if (group.rows.size() <= size_t(ListedRows)) {
        const QString last = rows.takeLast();
        list = rows.join(QStringLiteral(", ")) + QStringLiteral(" a ") + last;
    } else {
        list = rows.join(QStringLiteral(", ")) + QStringLiteral(", … (celkem %1)").arg(group.rows.size());
    }
    return what + QStringLiteral(": řádky ") + list;
}

} // namespace kvitanky
