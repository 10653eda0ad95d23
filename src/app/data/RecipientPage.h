// SPDX-License-Identifier: GPL-3.0-or-later
// "Adresár": the recipients in a grid, the current one in edit boxes.
#pragma once

#include <QWidget>

namespace kvitanky {

class TForm1;

class RecipientPage : public QWidget
{
    Q_OBJECT
public:
    explicit RecipientPage(TForm1 &form);

    void ShowRecipient();
    void DeleteAllRecipients();
    void refreshGrid();   // the table changed behind the grid's back

private:
    TForm1 &m_form;
};

} // namespace kvitanky
