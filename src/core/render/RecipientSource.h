// SPDX-License-Identifier: GPL-3.0-or-later
// The current recipient record as slip composition reads it.
#pragma once

#include <QString>

namespace kvitanky {

class DbfTable;

class RecipientSource
{
public:
    virtual ~RecipientSource() = default;
    virtual bool isOpen() const = 0;
    // Column values of the current record; an empty table (no current record)
    // reads as empty texts and zeros.
    virtual QString text(const QString &column) const = 0;
    virtual double number(const QString &column) const = 0;
    virtual int integer(const QString &column) const = 0;
};

// The recipient table at its cursor. Engine errors (a column the file lacks) pass
// through as DbfError.
class DbfRecipientSource : public RecipientSource
{
public:
    explicit DbfRecipientSource(DbfTable *table) : m_table(table) {}

    bool isOpen() const override;
    QString text(const QString &column) const override;
    double number(const QString &column) const override;
    int integer(const QString &column) const override;

private:
    bool hasRecord() const;
    DbfTable *m_table;
};

} // namespace kvitanky
