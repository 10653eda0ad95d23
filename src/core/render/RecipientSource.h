// SPDX-License-Identifier: GPL-3.0-or-later
// The current recipient record as slip composition reads it.
#pragma once

#include <QHash>
#include <QString>

namespace kvitanky {

class DbfField;
class DbfTable;

// An amount of the table as a slip reads it: a value the file holds in place of a
// number reads as NaN, which voids the slip (and the words for it).
double slipAmount(const DbfField &amount);

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

// A record held in memory: a sample slip, or a stand-in for the table in tests.
// Missing columns read as empty texts and zeros.
class MapRecipientSource : public RecipientSource
{
public:
    bool isOpen() const override { return m_open; }
    QString text(const QString &column) const override { return m_values.value(column); }
    double number(const QString &column) const override;
    int integer(const QString &column) const override;

    void setOpen(bool open) { m_open = open; }
    void setText(const QString &column, const QString &value) { m_values[column] = value; }
    void setNumber(const QString &column, double value);
    void clear() { m_values.clear(); }

private:
    bool m_open = true;
    QHash<QString, QString> m_values;
};

} // namespace kvitanky
