// SPDX-License-Identifier: GPL-3.0-or-later
// The check a job of many slips runs before its first page: every row it would
// print, judged by the rules composition prints it with, and what would make its
// slip wrong. Nothing is drawn; 100 000 rows take a fraction of a second.
#pragma once

#include "print/AccountNumber.h"
#include "render/PriceWords.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace kvitanky {

class DbfTable;
class SettingsAccess;

// The rows a job of many slips prints, in table order: those from `from` to `to`
// (0-based, inclusive, clamped to the table) whose exclusion mark reads as 0 (a
// mark that is no number counts as 0). The cursor stands on each while `visit`
// runs and is left where the walk ended.
void forEachJobRow(DbfTable &table, int from, int to, const std::function<void(int row)> &visit);

enum class SlipFault {
    VoidAmount,         // negative, or more koruny than the 8 boxes: printed as X
    UnreadableAmount,   // the file holds no number there: printed as X
    ZeroAmount,         // empty or 0: no amount on the slip
    Symbol,       // a variable or specific symbol too long for its boxes, or not digits
    WordsRow1,    // the amount in words runs past the box of its first row
    WordsRow2,    // ... of its second row
    NoName,       // neither first name nor surname
    NoAddress,    // neither street nor town
    Count
};

// The values of one recipient record that decide its slip.
struct SlipRecord {
    double amount = 0;
    QString variableSymbol;
    QString specificSymbol;
    QString firstName;
    QString surname;
    QString street;
    QString city;
};

struct PreflightRow {
    int row = 0;     // 0-based table row
    QString name;    // first name and surname as the grid shows them
};

// Slips that may be meant twice (siblings, two payments): told, never dropped.
enum class SlipNote {
    SameSymbol,      // the same variable symbol printed on both
    SameAddressee,   // the same name and address
    Count
};

struct DuplicateSlips {
    SlipNote kind = SlipNote::SameSymbol;
    std::vector<int> rows;   // 0-based, ascending, at least two
};

class SlipPreflight
{
public:
    static constexpr int FaultKinds = int(SlipFault::Count);
    static constexpr int ListedRows = 5;   // rows kept per kind for the summary

    // Reads the options and the owner's account as composition reads them; a
    // setting composition would stop at throws its SettingError here.
    explicit SlipPreflight(const SettingsAccess &settings);

    // The faults of one slip, one bit per SlipFault.
    unsigned check(const SlipRecord &record) const;

    // Checks the rows `from` to `to` (0-based, inclusive, clamped) that a job of
    // all slips prints: those not excluded. The cursor is put back afterwards.
    void run(DbfTable &table, int from, int to);

    int slips() const { return m_slips; }               // rows the job would print
    int faultySlips() const { return int(m_faultyRows.size()); }
    int count(SlipFault kind) const { return m_counts[size_t(kind)]; }
    const QList<PreflightRow> &firstRows(SlipFault kind) const { return m_firstRows[size_t(kind)]; }
    // Whether `row` has a fault of its own (the account is not counted here).
    bool isFaulty(int row) const;
    int firstFaultyRow() const { return m_faultyRows.empty() ? -1 : m_faultyRows.front(); }
    // The payee's account (the owner's account of the settings); wrong on every slip.
    // It is checked only where the slips print it: not when its boxes on the form
    // are switched off in the layout, nor when the settings leave prefix, number
    // and bank code empty or 0 (a form with the account pre-printed).
    const AccountCheck &account() const { return m_account; }
    QString accountText() const { return m_accountText; }
    bool accountPrinted() const { return m_accountPrinted; }
    bool accountOk() const { return !m_accountPrinted || m_account.ok(); }
    bool clean() const { return m_faultyRows.empty() && accountOk(); }

    // Groups of slips alike in one respect, ordered by their first rows. Notes,
    // not faults: no row of them counts as faulty.
    const std::vector<DuplicateSlips> &duplicates() const { return m_duplicates; }

    // What a fault is, in Czech, for the summary.
    static QString faultName(SlipFault kind);
    // "stejný variabilní symbol: řádky 12 a 57" (rows counted from 1).
    static QString describe(const DuplicateSlips &group);

private:
    void add(int row, const SlipRecord &record, unsigned faults);
    void noteDuplicate(SlipNote kind, const QString &key, int row);
    unsigned wordsFaults(double amount) const;

    bool m_printPrice = true;
    bool m_ownerSymbolAsVs = false;
    bool m_checkWords = true;
    int m_firstRowLength = 0;
    WordSpelling m_spelling = WordSpelling::AsDesigned;
    bool m_accountPrinted = true;
    AccountCheck m_account;
    QString m_accountText;
    mutable QHash<qint64, unsigned> m_wordsFaults;   // by whole koruny

    int m_slips = 0;
    std::array<int, FaultKinds> m_counts{};
    std::array<QList<PreflightRow>, FaultKinds> m_firstRows;
    std::vector<int> m_faultyRows;   // ascending
    std::array<QHash<QString, int>, size_t(SlipNote::Count)> m_firstWith;   // key -> first row
    QHash<qint64, size_t> m_groupOf;   // kind and first row -> index in m_duplicates
    std::vector<DuplicateSlips> m_duplicates;
};

} // namespace kvitanky
