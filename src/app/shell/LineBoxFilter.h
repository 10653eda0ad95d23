// SPDX-License-Identifier: GPL-3.0-or-later
// What a one-line edit box lets in. Every box of the program holds one line of a
// Windows-1250 file (a table column or a settings value), so:
//   - a line break (pasted or put in by the program) becomes one blank;
//   - typing or pasting past the box's limit cuts the new text at the limit, as a
//     standard line edit does; a longer text the program put there stays whole and
//     cannot grow;
//   - a character the file cannot hold is refused at once with a short note beside
//     the box, so what the box shows is what gets stored (a box of a foreign table
//     checks against that table's code page).
#pragma once

#include "text/Codepage.h"

#include <QValidator>

#include <functional>
#include <optional>

class QLineEdit;

namespace kvitanky {

class LineBoxFilter : public QValidator
{
    Q_OBJECT
public:
    // `limit` 0: no limit on typing.
    LineBoxFilter(QLineEdit *box, int limit);

    int limit() const { return m_limit; }
    void setLimit(int limit) { m_limit = limit; }
    // The code page of the file the box's text goes to (Windows-1250 unless set).
    void setCodepage(Codepage codepage) { m_codepage = codepage; }

    // A further rule for what the user types or pastes into this box: given the
    // box's text before and after an edit, no value lets the edit in (`after` as
    // the rule may have rewritten it); a text refuses it (the box keeps what it
    // held), with that note beside the box unless the text is empty.
    using EditRule = std::function<std::optional<QString>(const QString &before, QString &after)>;
    void setEditRule(EditRule rule) { m_rule = std::move(rule); }

    State validate(QString &input, int &pos) const override;

    // The note shown when characters were refused ("Znak „Ω“ nelze uložit ...").
    static QString refusedNote(const QString &refused, Codepage codepage = Codepage::Cp1250);
    // The text with every line break (CR LF, CR or LF) as one blank.
    static QString oneLine(QString text);
    // Whether a file in the code page (the program's own: Windows-1250) can hold the character.
    static bool storable(QChar c, Codepage codepage = Codepage::Cp1250);

Q_SIGNALS:
    // Characters were refused from what the user typed or pasted.
    void refused(const QString &characters);
    // The box's edit rule refused an edit, saying why.
    void refusedEdit(const QString &note);

private:
    // The note stands beside the box once it has taken its new text.
    void showNote(const QString &note);

    QLineEdit *m_box;
    int m_limit;
    Codepage m_codepage = Codepage::Cp1250;
    QString m_previous;   // the text before the edit being validated
    EditRule m_rule;
};

// The filter installed on a box, if any.
LineBoxFilter *lineBoxFilter(const QLineEdit *box);

} // namespace kvitanky
