// SPDX-License-Identifier: GPL-3.0-or-later
// The print jobs, the printer choice and the printer label of the bottom row.
#pragma once

#include <QObject>

namespace kvitanky {

class TForm1;

class PrintJobs : public QObject
{
    Q_OBJECT
public:
    explicit PrintJobs(TForm1 &form);

    // Start-up: names the current printer in LabelPrinter, or disables the
    // print buttons and reports that there is no printer.
    void reportPrinter();

private:
    TForm1 &m_form;
};

} // namespace kvitanky
