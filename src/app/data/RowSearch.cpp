// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RowSearch.h"

#include "data/DbfTable.h"
#include "shell/PageControls.h"

#include <QLineEdit>
#include <QTableView>

#include <array>

namespace kvitanky {
namespace {

constexpr int BarHeight = 28;
constexpr char16_t FoldedRange = 0x250;   // Latin-1 and Latin Extended-A and -B

bool isCombiningMark(char16_t u)
{
    return u >= 0x300 && u < 0x370;
}

// Latin letters with their diacritics taken off, in lower case; built once.
const std::array<char16_t, FoldedRange> &latinFolds()
{
    static const std::array<char16_t, FoldedRange> table = [] {
        std::array<char16_t, FoldedRange> t{};
        for (char16_t u = 0; u < FoldedRange; ++u) {
            const QString base = QString(QChar(u)).normalized(QString::NormalizationForm_D);
            t[u] = (base.isEmpty() ? QChar(u) : base.at(0)).toLower().unicode();
        }
        return t;
    }();
    return table;
}

} // namespace

RowSearch::RowSearch(QWidget *parent, const QString &editName, DbfTable &table, std::function<void(int)> found)
    : QWidget(parent)
    , m_table(table)
    , m_found(std::move(found))
{
    setObjectName(editName + QLatin1String("Bar"));
    QLabel *caption = ui::label(this, QStringLiteral("Hledat:"), 0, 5);
    m_box = ui::lineEdit(this, editName, caption->sizeHint().width() + 6, 1, 330, 0, caption);
    m_box->setPlaceholderText(QStringLiteral("jméno, ulice, obec, symbol…  (Enter: další)"));
    m_box->setToolTip(QStringLiteral("Enter přesune kurzor na další řádek, který obsahuje zadaný text "
                                     "(velikost písmen a diakritika nerozhodují)."));
    m_result = ui::label(this, QString(), m_box->x() + m_box->width() + 10, 5, editName + QLatin1String("Result"));
    m_result->setMinimumWidth(200);

    connect(m_box, &QLineEdit::returnPressed, this, &RowSearch::searchNext);
    connect(m_box, &QLineEdit::textEdited, m_result, &QLabel::clear);
}

void RowSearch::placeAbove(QTableView *grid)
{
    const QRect g = grid->geometry();
    setGeometry(g.x(), g.y(), g.width(), BarHeight);
    grid->setGeometry(g.x(), g.y() + BarHeight, g.width(), g.height() - BarHeight);
}

QString RowSearch::fold(const QString &text)
{
    const auto &folds = latinFolds();
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < FoldedRange)
            out.append(QChar(folds[u]));
        else if (!isCombiningMark(u))
            out.append(c.toLower());
    }
    return out;
}

int RowSearch::findRow(const DbfTable &table, const QString &foldedText, int from)
{
    if (foldedText.isEmpty() || !table.active())
        return -1;
    QList<int> textColumns;
    const QList<FieldDef> fields = table.fields();
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].type == FieldType::String && (fields[i].dbfType == 'C' || fields[i].dbfType == 0))
            textColumns << i;
    }
    const int rows = table.recordCount();
    if (rows <= 0)
        return -1;
    if (from < 0 || from >= rows)
        from = 0;
    for (int step = 0; step < rows; ++step) {
        const int row = (from + step) % rows;
        for (const int column : textColumns) {
            if (fold(table.displayText(row, column)).contains(foldedText))
                return row;
        }
    }
    return -1;
}

void RowSearch::searchNext()
{
    const QString text = fold(m_box->text().trimmed());
    if (text.isEmpty()) {
        m_result->clear();
        return;
    }
    // From the row after the cursor, so that each Enter finds the next match.
    const int row = findRow(m_table, text, m_table.active() ? m_table.recNo() + 1 : 0);
    if (row < 0) {
        m_result->setText(QStringLiteral("Nenalezeno."));
        return;
    }
    m_result->clear();
    m_found(row);
}

} // namespace kvitanky
