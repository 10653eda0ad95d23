// SPDX-License-Identifier: GPL-3.0-or-later
// "Majitelé úctu": the owner directory.
#pragma once

#include <QWidget>

namespace kvitanky {

class TForm1;

class OwnersPage : public QWidget
{
    Q_OBJECT
public:
    explicit OwnersPage(TForm1 &form);

    void ShowOwner();
    // Variable-symbol mode: the symbol label, the box's typing limit, the grid's column title.
    void applyKsVsMode(bool vs);
    void refreshGrid();   // the table changed behind the grid's back

private:
    TForm1 &m_form;
};

} // namespace kvitanky
