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

private:
    QLineEdit *m_box;
    int m_limit;
    Codepage m_codepage = Codepage::Cp1250;
    QString m_previous;   // the text before the edit being validated
};

// The filter installed on a box, if any.
LineBoxFilter *lineBoxFilter(const QLineEdit *box);

} // namespace kvitanky
