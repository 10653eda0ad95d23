// SPDX-License-Identifier: GPL-3.0-or-later
// The printers the program may print on. Besides these the program offers its own
// PDF writer when the provider says so; tests hand the window a fixed list.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace kvitanky {

class PrinterProvider
{
public:
    virtual ~PrinterProvider() = default;

    // Names of the installed printers, as the print dialog lists them.
    virtual QStringList printerNames() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString defaultPrinterName() const = 0;
    // Whether the PDF writer is offered next to the printers.
    virtual bool hasPdfWriter() const = 0;
};

// The printers of the print system (CUPS) and the PDF writer.
class SystemPrinters : public PrinterProvider
{
public:
    QStringList printerNames() const override;
    QString defaultPrinterName() const override;
    bool hasPdfWriter() const override { return true; }
};

// A fixed list: the machine without printers, or a known set for tests.
class FixedPrinters : public PrinterProvider
{
public:
    FixedPrinters(QStringList names, QString defaultName, bool pdfWriter)
        : m_names(std::move(names)), m_default(std::move(defaultName)), m_pdf(pdfWriter)
    {
    }

    // No printer and no PDF writer: the machine that cannot print.
    static std::shared_ptr<PrinterProvider> none()
    {
        return std::make_shared<FixedPrinters>(QStringList(), QString(), false);
    }
    static std::shared_ptr<PrinterProvider> pdfOnly()
    {
        return std::make_shared<FixedPrinters>(QStringList(), QString(), true);
    }

    QStringList printerNames() const override { return m_names; }
    QString defaultPrinterName() const override { return m_default; }
    bool hasPdfWriter() const override { return m_pdf; }

private:
    QStringList m_names;
    QString m_default;
    bool m_pdf;
};

} // namespace kvitanky
