// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/LineBoxFilter.h"

#include "text/Codepage.h"

#include <QLineEdit>
#include <QTimer>
#include <QToolTip>

namespace kvitanky {

LineBoxFilter::LineBoxFilter(QLineEdit *box, int limit)
    : QValidator(box), m_box(box), m_limit(limit), m_previous(box->text())
{
    // While validating, the box already reports the new text; the length it had
    // before comes from its change signal, which also follows program-set text.
    connect(box, &QLineEdit::textChanged, this, [this](const QString &t) { m_previous = t; });
    connect(box, &QLineEdit::textEdited, this, [this] { m_box->setToolTip(QString()); });
    // The note waits until the box has taken its new text, so that it stands beside it.
    connect(this, &LineBoxFilter::refused, this, [this](const QString &chars) { showNote(refusedNote(chars, m_codepage)); },
            Qt::QueuedConnection);
    connect(this, &LineBoxFilter::refusedEdit, this, &LineBoxFilter::showNote, Qt::QueuedConnection);
}

void LineBoxFilter::showNote(const QString &note)
{
    m_box->setToolTip(note);
    QTimer::singleShot(0, m_box, [box = m_box, note] {
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), note, box);
    });
}

QString LineBoxFilter::refusedNote(const QString &refused, Codepage codepage)
{
    const char *name = codepage == Codepage::Cp852    ? "CP852"
                       : codepage == Codepage::Cp1252 ? "Windows-1252"
                                                      : "Windows-1250";
    return QStringLiteral("Znak „%1“ nelze v kódování %2 uložit, nebyl vložen.").arg(refused, QLatin1String(name));
}

QString LineBoxFilter::oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

bool LineBoxFilter::storable(QChar c, Codepage codepage)
{
    return c == QLatin1Char('?') || encode(QString(c), codepage) != "?";
}

QValidator::State LineBoxFilter::validate(QString &input, int &pos) const
{
    // A line break never reaches a file; the program's own texts included.
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (input[i] != QLatin1Char('\r') && input[i] != QLatin1Char('\n'))
            continue;
        const bool crlf = input[i] == QLatin1Char('\r') && i + 1 < input.size() && input[i + 1] == QLatin1Char('\n');
        input.replace(i, crlf ? 2 : 1, QLatin1String(" "));
        if (crlf && pos > i)
            --pos;
    }
    // A text set by the program is left whole; only what the user typed or pasted
    // (the box then counts as modified) is bounded and checked.
    if (!m_box->isModified())
        return Acceptable;

    QString refusedChars;
    for (qsizetype i = 0; i < input.size();) {
        if (input[i].isSurrogate() || !storable(input[i], m_codepage)) {
            const qsizetype n = input[i].isHighSurrogate() && i + 1 < input.size() ? 2 : 1;
            if (!refusedChars.contains(input.mid(i, n)))
                refusedChars += input.mid(i, n);
            input.remove(i, n);
            if (pos > i)
                pos -= qMin<qsizetype>(n, pos - i);
            continue;
        }
        ++i;
    }
    if (!refusedChars.isEmpty())
        Q_EMIT const_cast<LineBoxFilter *>(this)->refused(refusedChars);

    // The box's own rule sees the edit whole, before any cut.
    if (m_rule && input != m_previous) {
        QString ruled = input;
        if (const std::optional<QString> note = m_rule(m_previous, ruled)) {
            if (!note->isEmpty())
                Q_EMIT const_cast<LineBoxFilter *>(this)->refusedEdit(*note);
            return Invalid;
        }
        if (ruled != input) {
            input = ruled;
            pos = int(input.size());
        }
    }
    // New text ends at the caret: cut the excess from its end.
    const qsizetype allowed = qMax<qsizetype>(m_limit, m_previous.size());
    const bool cut = m_limit > 0 && input.size() > allowed;
    if (cut) {
        const qsizetype excess = qMin<qsizetype>(input.size() - allowed, pos);
        input.remove(pos - excess, excess);
        pos -= int(excess);
        if (input.size() > allowed)
            return Invalid;
    }
    // Nothing left of an edit we cut down: refused as a whole, so that no change is
    // announced (a change on an empty table would start a new record). An unchanged
    // text is otherwise acceptable: Enter and leaving the box ask about it too.
    return (cut || !refusedChars.isEmpty()) && input == m_previous ? Invalid : Acceptable;
}

LineBoxFilter *lineBoxFilter(const QLineEdit *box)
{
    return qobject_cast<LineBoxFilter *>(const_cast<QValidator *>(box->validator()));
}

} // namespace kvitanky
