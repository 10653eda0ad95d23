// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipPreflight.h"

#include "data/DbfTable.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "settings/SettingKeyNames.h"
#include "settings/SettingsAccess.h"

#include <QScopeGuard>

#include <algorithm>

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

constexpr unsigned bit(SlipFault f)
{
    return 1u << unsigned(f);
}

} // namespace

SlipPreflight::SlipPreflight(const SettingsAccess &s)
{
    m_printPrice = !s.flag(key::CheckBoxSetOtherNotPrintPrice);
    m_ownerSymbolAsVs = s.flag(key::CheckBoxSetOwnersKS_VS);
    m_checkWords = !s.flag(key::CheckBoxSetOtherOffOverflowSecondRowPrice);
    m_firstRowLength = priceWordFirstRowLength(s);
    printCalibration(s);
    const QString prefix = s.text(key::EditSetOwnerAccountNum1);
    const QString number = s.text(key::EditSetOwnerAccountNum2);
    const QString bank = s.text(key::EditSetOwnerAccountIDB);
    m_account = checkAccount(prefix, number, bank);
    m_accountText = kvitanky::accountText(prefix, number, bank);
}

unsigned SlipPreflight::wordsFaults(double amount) const
{
    unsigned faults = 0;
    // The words a job puts on the slip, split as composition splits them.
    const PriceWordRows split = splitPriceWordRows(PriceToWords(amount), m_firstRowLength);
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

void SlipPreflight::add(int row, const SlipRecord &record, unsigned faults)
{
    ++m_slips;
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
    to = std::min(to, table.recordCount() - 1);
    from = std::max(from, 0);
    if (from > to)
        return;
    const int at = table.recNo();
    const bool atEnd = table.eof();
    const auto back = qScopeGuard([&] { table.moveTo(atEnd ? table.recordCount() : at); });

    // The columns once; each follows the cursor.
    const DbfField excluded = table.fieldByName(QStringLiteral("VYRAZENO"));
    const DbfField amount = table.fieldByName(QStringLiteral("CASTKA"));
    const DbfField vs = table.fieldByName(QStringLiteral("VAR_SYMB"));
    const DbfField ss = table.fieldByName(QStringLiteral("SPEC_SYMB"));
    const DbfField firstName = table.fieldByName(QStringLiteral("JMENO"));
    const DbfField surname = table.fieldByName(QStringLiteral("PRIJMENI"));
    const DbfField street = table.fieldByName(QStringLiteral("ULICE"));
    const DbfField city = table.fieldByName(QStringLiteral("OBEC"));
    table.moveTo(from);
    for (int row = from; row <= to && !table.eof(); ++row, table.next()) {
        if (excluded.asIntegerOr(0) != 0)
            continue;
        SlipRecord r;
        r.amount = slipAmount(amount);
        r.variableSymbol = vs.asString();
        r.specificSymbol = ss.asString();
        r.firstName = firstName.asString();
        r.surname = surname.asString();
        r.street = street.asString();
        r.city = city.asString();
        add(row, r, check(r));
    }
}

bool SlipPreflight::isFaulty(int row) const
{
    return std::binary_search(m_faultyRows.begin(), m_faultyRows.end(), row);
}

QString SlipPreflight::faultName(SlipFault kind)
{
    switch (kind) {
    case SlipFault::VoidAmount: return QStringLiteral("částka záporná, neplatná nebo přes 99 999 999 Kč (kvitance přeškrtnutá X)");
    case SlipFault::ZeroAmount: return QStringLiteral("částka 0 (kvitance bez částky)");
    case SlipFault::Symbol: return QStringLiteral("variabilní nebo specifický symbol není číslo do 10 číslic");
    case SlipFault::WordsRow1: return QStringLiteral("částka slovy přesahuje 1. řádek");
    case SlipFault::WordsRow2: return QStringLiteral("částka slovy přesahuje 2. řádek");
    case SlipFault::NoName: return QStringLiteral("chybí jméno");
    case SlipFault::NoAddress: return QStringLiteral("chybí adresa");
    case SlipFault::Count: break;
    }
    return QString();
}

} // namespace kvitanky
