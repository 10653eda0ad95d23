// SPDX-License-Identifier: GPL-3.0-or-later
// The table engine's cursor: browsing the live rows, the pending record of an edit
// or a new row, posting it. The file itself (format, durability, cache, compaction)
// is DbfFile; the columns' bytes are DbfFieldCodec.
#include "data/DbfTable.h"

#include "data/DbfFieldCodec.h"
#include "data/DbfFile.h"
#include "data/DbfNumber.h"

#include <QFileInfo>
#include <QLocale>

#include <exception>
#include <vector>

namespace kvitanky {

struct DbfTable::Impl {
    enum class State { Browse, Edit, Insert };

    DbfFile file;
    DbfFieldCodec values{file};
    TableType tableType = TableType::FoxPro;
    QList<FieldDef> defs;

    int pos = -1;
    bool bof = true;
    bool eof = true;

    State state = State::Browse;
    QByteArray buffer;             // the pending record
    QByteArray original;           // the edited record as stored
    bool modified = false;
    int savedPos = -1;             // cursor before Append/Insert, back after Cancel
    bool savedBof = true;
    bool savedEof = true;

    const std::vector<qint32> &live() const { return file.live(); }

    // The record the fields read: the pending one, else the current row, else none.
    const char *currentRecord()
    {
        if (state != State::Browse)
            return buffer.constData();
        if (pos < 0)
            return nullptr;
        return file.record(quint32(live()[size_t(pos)]));
    }

    QByteArray *pendingRecord() { return state == State::Browse ? nullptr : &buffer; }

    void setText(const DbfColumn &c, const QString &value)
    {
        values.setText(c, value, pendingRecord());
        modified = true;
    }

    void setNumber(const DbfColumn &c, double v)
    {
        values.setNumber(c, v, pendingRecord());
        modified = true;
    }

    void closeCursor()
    {
        pos = -1;
        bof = eof = true;
        state = State::Browse;
        buffer.clear();
        modified = false;
    }

    // Before a move, Append or Insert: a changed pending record is posted, an
    // unchanged new one dropped.
    void settle()
    {
        if (state == State::Browse)
            return;
        if (modified)
            post();
        else
            cancel();
    }

    void startNew(bool atEnd)
    {
        file.requireOpen();
        file.requireWritable();
        settle();
        savedPos = pos;
        savedBof = bof;
        savedEof = eof;
        state = State::Insert;
        buffer = values.blankRecord();
        modified = false;
        bof = false;
        eof = atEnd;
    }

    void post()
    {
        file.requireOpen();
        if (state == State::Browse)
            return;
        file.requireWritable();
        if (state == State::Insert && file.isBatching()) {
            file.addToBatch(buffer);
            pos = int(live().size()) - 1;
            bof = eof = false;
            state = State::Browse;
            buffer.clear();
            original.clear();
            modified = false;
            if (file.batchFull())
                flushTail();
            return;
        }
        flushTail();
        if (state == State::Insert) {
            file.append(buffer);
            pos = int(live().size()) - 1;
            bof = eof = false;
        } else if (modified) {
            const quint32 recno = quint32(live()[size_t(pos)]);
            buffer[0] = ' ';   // a row flagged 0x00 by another program becomes live for every reader
            file.writeChanges(recno, buffer, original);
        }
        state = State::Browse;
        buffer.clear();
        original.clear();
        modified = false;
    }

    // Writes the batch of new rows; rows that could not be written leave the
    // cursor too.
    void flushTail()
    {
        const int firstBatched = int(live().size() - file.batchedRecords());
        try {
            file.flushBatch();
            // Rows another program appended came in before the batch's rows.
            if (pos >= firstBatched)
                pos += file.rowsTakenIn();
        } catch (...) {
            const int rows = int(live().size());
            pos = rows == 0 ? -1 : qMin(pos, rows - 1);
            if (rows == 0)
                bof = eof = true;
            throw;
        }
    }

    void cancel()
    {
        if (state == State::Insert) {
            pos = live().empty() ? -1 : qBound(0, savedPos < 0 ? 0 : savedPos, int(live().size()) - 1);
            bof = live().empty() || savedBof;
            eof = live().empty() || savedEof;
        }
        state = State::Browse;
        buffer.clear();
        original.clear();
        modified = false;
    }

    // A new file of the given records (of the current one), the cursor kept on its
    // row number.
    void rewrite(const std::vector<qint32> &keep)
    {
        const int keepPos = pos;
        file.rewrite(keep);
        pos = live().empty() ? -1 : qBound(0, keepPos, int(live().size()) - 1);
        bof = eof = live().empty();
    }
};


// ---------------------------------------------------------------- DbfField

QString DbfField::asString() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->file.column(m_index);
    return d->values.text(c, d->currentRecord());
}

double DbfField::asFloat() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->file.column(m_index);
    return d->values.number(c, d->currentRecord());
}

int DbfField::asInteger() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->file.column(m_index);
    return d->values.integer(c, d->currentRecord());
}

double DbfField::asFloatOr(double fallback) const
{
    try {
        return asFloat();
    } catch (const DbfError &) {
        return fallback;
    }
}

int DbfField::asIntegerOr(int fallback) const
{
    try {
        return asInteger();
    } catch (const DbfError &) {
        return fallback;
    }
}

void DbfField::setAsString(const QString &value)
{
    auto *d = m_table->d.get();
    d->setText(d->file.column(m_index), value);
}

void DbfField::setAsEncodedString(QByteArrayView bytes, Codepage cp)
{
    auto *d = m_table->d.get();
    d->values.setEncodedText(d->file.column(m_index), bytes, cp, d->pendingRecord());
    d->modified = true;
}

void DbfField::setAsFloat(double value)
{
    auto *d = m_table->d.get();
    d->setNumber(d->file.column(m_index), value);
}

void DbfField::setAsInteger(int value)
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->file.column(m_index);
    if (c.type == 'C')
        d->setText(c, QString::number(value));
    else
        d->setNumber(c, value);
}

QString DbfField::name() const
{
    return m_table->d->file.column(m_index).name;
}

// ---------------------------------------------------------------- DbfTable

DbfTable::DbfTable() : d(std::make_unique<Impl>()) {}

DbfTable::~DbfTable()
{
    try {
        setActive(false);
    } catch (...) {
        // A pending record that cannot be written is lost with the table object;
        // the file itself stays consistent.
    }
}

void DbfTable::setTableType(TableType type)
{
    if (d->file.isOpen())
        d->file.fail(QStringLiteral("typ tabulky nelze měnit, když je otevřená"));
    d->tableType = type;
}

void DbfTable::setTableName(const QString &path)
{
    if (d->file.isOpen())
        d->file.fail(QStringLiteral("název souboru nelze měnit, když je tabulka otevřená"));
    d->file.setPath(path);
}

QString DbfTable::tableName() const { return d->file.path(); }

bool DbfTable::isOwnFile(const QString &path) const
{
    const QString own = QFileInfo(d->file.path()).canonicalFilePath();
    return !own.isEmpty() && QFileInfo(path).canonicalFilePath() == own;
}

void DbfTable::setActive(bool active)
{
    if (active == d->file.isOpen())
        return;
    if (active) {
        if (d->file.path().isEmpty())
            throw DbfError("Tabulka '': není zadán soubor tabulky");
        d->file.open();
        d->pos = d->live().empty() ? -1 : 0;
        d->bof = true;
        d->eof = d->live().empty();
        return;
    }
    std::exception_ptr failure;
    try {
        // Closing keeps a changed pending record rather than losing it.
        d->settle();
        d->flushTail();
    } catch (...) {
        failure = std::current_exception();
        d->cancel();
    }
    if (!failure && d->file.wantsCompaction()) {
        try {
            d->rewrite(d->live());
        } catch (...) {
            // Compaction is housekeeping: the marked rows stay hidden either way.
        }
    }
    d->file.close();
    d->closeCursor();
    if (failure)
        std::rethrow_exception(failure);
}

bool DbfTable::active() const { return d->file.isOpen(); }

bool DbfTable::exists() const
{
    return d->file.isOpen() || (!d->file.path().isEmpty() && QFileInfo(d->file.path()).isFile());
}

void DbfTable::clearFieldDefs() { d->defs.clear(); }

void DbfTable::addFieldDef(const QString &name, FieldType type, int size)
{
    d->defs.append(FieldDef{name, type, size});
}

void DbfTable::clearIndexDefs()
{
    // The tables have no index: rows stay in the order they were added.
}

void DbfTable::createTable()
{
    if (d->file.path().isEmpty())
        throw DbfError("Tabulka '': není zadán soubor tabulky");
    if (d->file.isOpen())
        d->file.fail(QStringLiteral("tabulku nelze vytvořit, když je otevřená"));
    d->file.create(d->defs);
}

void DbfTable::first()
{
    d->file.requireOpen();
    d->settle();
    d->pos = d->live().empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->live().empty();
}

void DbfTable::last()
{
    d->file.requireOpen();
    d->settle();
    d->pos = int(d->live().size()) - 1;
    d->eof = true;
    d->bof = d->live().empty();
}

void DbfTable::prior()
{
    d->file.requireOpen();
    d->settle();
    if (d->bof)
        return;
    d->eof = false;
    if (d->pos > 0)
        --d->pos;
    else
        d->bof = true;
}

void DbfTable::next()
{
    d->file.requireOpen();
    d->settle();
    if (d->eof)
        return;
    d->bof = false;
    if (d->pos + 1 < int(d->live().size()))
        ++d->pos;
    else
        d->eof = true;
}

bool DbfTable::bof() const { return !d->file.isOpen() || d->bof; }
bool DbfTable::eof() const { return !d->file.isOpen() || d->eof; }
int DbfTable::recordCount() const { return int(d->live().size()); }

int DbfTable::recNo() const
{
    return d->state == Impl::State::Insert ? -1 : d->pos;
}

void DbfTable::moveTo(int row)
{
    d->file.requireOpen();
    d->settle();
    const int n = int(d->live().size());
    if (n == 0) {
        d->pos = -1;
        d->bof = d->eof = true;
        return;
    }
    d->pos = qBound(0, row, n - 1);
    d->bof = row < 0;
    d->eof = row >= n;
}

void DbfTable::append() { d->startNew(true); }
void DbfTable::insert() { d->startNew(false); }

void DbfTable::edit()
{
    d->file.requireOpen();
    if (d->state != Impl::State::Browse)
        return;
    if (d->live().empty()) {
        d->startNew(false);
        return;
    }
    d->file.requireWritable();
    const char *rec = d->file.record(quint32(d->live()[size_t(d->pos)]));
    d->buffer = QByteArray(rec, d->file.layout().recordLength);
    d->original = d->buffer;
    d->state = Impl::State::Edit;
    d->modified = false;
}

void DbfTable::post() { d->post(); }

void DbfTable::cancel()
{
    if (d->file.isOpen())
        d->cancel();
}

void DbfTable::deleteRecord()
{
    d->file.requireOpen();
    if (d->state == Impl::State::Insert) {
        d->cancel();
        return;
    }
    if (d->live().empty())
        d->file.fail(QStringLiteral("tabulka je prázdná, není co smazat"));
    d->file.requireWritable();
    d->cancel();
    d->flushTail();
    // The cursor stays on a row that exists also when the header's date cannot be
    // written after the row is gone.
    const auto settle = [this] {
        const int n = int(d->live().size());
        if (n == 0) {
            d->pos = -1;
            d->bof = d->eof = true;
        } else {
            d->pos = qMin(d->pos, n - 1);
            d->bof = d->eof = false;
        }
    };
    try {
        d->file.deleteRow(d->pos);
    } catch (...) {
        settle();
        throw;
    }
    settle();
}

void DbfTable::deleteAll()
{
    d->file.requireOpen();
    d->file.requireWritable();
    d->cancel();
    d->rewrite({});
}

bool DbfTable::isEditing() const { return d->state != Impl::State::Browse; }

DbfField DbfTable::fieldByName(const QString &name)
{
    d->file.requireOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        d->file.fail(QStringLiteral("sloupec '%1' neexistuje").arg(name));
    return DbfField(this, index);
}

int DbfTable::fieldCount() const { return int(d->file.layout().columns.size()); }

QList<FieldDef> DbfTable::fields() const
{
    QList<FieldDef> out;
    out.reserve(d->file.layout().columns.size());
    for (const DbfColumn &c : d->file.layout().columns) {
        FieldDef f{c.name, c.apiType, c.length};
        f.dbfType = c.type;
        f.decimals = c.decimals;
        out.append(f);
    }
    return out;
}

int DbfTable::fieldIndex(const QString &name) const
{
    const QList<DbfColumn> &cols = d->file.layout().columns;
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString DbfTable::displayText(int row, int field) const
{
    if (!d->file.isOpen() || row < 0 || row >= int(d->live().size()) || field < 0
        || field >= d->file.layout().columns.size())
        return {};
    try {
        const char *rec = d->state == Impl::State::Edit && row == d->pos
            ? d->buffer.constData()
            : d->file.record(quint32(d->live()[size_t(row)]));
        return d->values.text(d->file.layout().columns[field], rec);
    } catch (const DbfError &) {
        return {};   // a file cut short under us: the grid shows a blank cell
    }
}

void DbfTable::pack()
{
    d->file.requireOpen();
    d->file.requireWritable();
    d->settle();
    if (d->file.deletedRecords() == 0)
        return;
    d->rewrite(d->live());
}

QString DbfTable::formatGeneral(double value, QChar decimalSeparator)
{
    return dbfnumber::general(value, decimalSeparator);
}

QChar DbfTable::systemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

bool DbfTable::isReadOnly() const { return d->file.isOpen() && !d->file.isWritable(); }
QString DbfTable::readOnlyReason() const { return d->file.readOnlyReason(); }
QString DbfTable::openNotice() const { return d->file.openNotice(); }
Codepage DbfTable::codepage() const { return d->file.isOpen() ? d->file.layout().codepage : Codepage::Cp1250; }
int DbfTable::storedRecordCount() const { return int(d->file.storedRecords() + d->file.batchedRecords()); }

void DbfTable::setAppendBatch(int rows)
{
    if (rows <= 0 && d->file.isOpen())
        d->flushTail();
    d->file.setBatchRows(quint32(qMax(0, rows)));
}

void DbfTable::flushAppends()
{
    if (d->file.isOpen())
        d->flushTail();
}

} // namespace kvitanky
