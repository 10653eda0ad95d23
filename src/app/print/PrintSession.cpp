// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintSession.h"

#include "render/CalibrationSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace kvitanky {

namespace {

// The PDF writer draws at the resolution of the printer pixels the slip is laid
// out in, so positions land on whole device units.
constexpr int PdfResolution = 600;
constexpr int PrinterResolution = 1200;

std::string message(const QString &text)
{
    return text.toStdString();
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString PrinterChoice::displayName() const
{
    if (pdf)
        return QStringLiteral("PDF soubor (") + nativePath(pdfPath) + QLatin1Char(')');
    return name;
}

QString NoPrinterMessage()
{
    return QStringLiteral("Chybí zarízení k tisku.");
}

PrintSession::PrintSession(const PrinterChoice &choice, QPrinter &printer, const QString &title)
    : m_choice(choice), m_printer(printer), m_title(title)
{
}

QPageLayout PrintSession::pdfPageLayout(const QPageLayout &printerLayout)
{
    QPageLayout layout = printerLayout;
    layout.setUnits(QPageLayout::Point);
    layout.setMinimumMargins(QMarginsF());
    const double origin = CalibrationSheet::FormOriginMm * 72 / 25.4;
    layout.setMargins(QMarginsF(origin, origin, 0, 0));
    return layout;
}

PrintSession::~PrintSession()
{
    abandon();
}

void PrintSession::begin()
{
    if (m_choice.pdf) {
        const QString path = m_choice.pdfPath;
        if (path.isEmpty())
            throw PrintError(message(NoPrinterMessage()));
        if (QFileInfo(path).isDir())
            throw PrintError(message(QStringLiteral("Nelze vytvorit soubor ") + nativePath(path)
                                     + QStringLiteral(" (je to složka).")));
        m_file = std::make_unique<QSaveFile>(path);
        if (!m_file->open(QIODevice::WriteOnly)) {
            const QString reason = m_file->errorString();
            m_file.reset();
            throw PrintError(message(QStringLiteral("Nelze vytvorit soubor ") + nativePath(path)
                                     + QStringLiteral(" (") + reason + QStringLiteral(").")));
        }
        m_writer = std::make_unique<QPdfWriter>(m_file.get());
        m_writer->setResolution(PdfResolution);
        m_writer->setPageLayout(pdfPageLayout(m_printer.pageLayout()));
        m_writer->setTitle(m_title);
        m_writer->setCreator(QStringLiteral("Kvitanky"));
        if (!m_painter.begin(m_writer.get())) {
            m_writer.reset();
            m_file.reset();
            throw PrintError(message(QStringLiteral("Nelze vytvorit soubor ") + nativePath(path) + QLatin1Char('.')));
        }
    } else {
        if (m_choice.name.isEmpty())
            throw PrintError(message(NoPrinterMessage()));
        m_printer.setDocName(m_title);
        // Positions and font sizes in a fine grid whatever the driver's resolution:
        // at the 300 dpi of some drivers characters would land up to 1/300 inch off.
        if (m_printer.resolution() < PrinterResolution)
            m_printer.setResolution(PrinterResolution);
        if (!m_painter.begin(&m_printer))
            throw PrintError(message(QStringLiteral("Tisk na tiskárne '") + m_choice.name
                                     + QStringLiteral("' nelze zahájit.")));
    }
    m_running = true;
}

void PrintSession::newPage()
{
    const bool ok = m_choice.pdf ? m_writer->newPage() : m_printer.newPage();
    if (!ok) {
        abandon();
        throw PrintError(message(QStringLiteral("Tiskárna '") + m_choice.displayName()
                                 + QStringLiteral("' neprijala další stránku.")));
    }
}

void PrintSession::finish()
{
    if (!m_running)
        return;
    m_running = false;
    const bool ended = m_painter.end();
    if (!m_choice.pdf) {
        if (!ended)
            throw PrintError(message(QStringLiteral("Tisk na tiskárne '") + m_choice.name
                                     + QStringLiteral("' se nezdaril.")));
        return;
    }
    m_writer.reset();
    const bool committed = ended && m_file->flush() && m_file->commit();
    const QString reason = m_file->errorString();
    m_file.reset();
    if (!committed)
        throw PrintError(message(QStringLiteral("Nelze zapsat soubor ") + nativePath(m_choice.pdfPath)
                                 + QStringLiteral(" (") + reason + QStringLiteral(").")));
}

void PrintSession::abandon()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_choice.pdf) {
        // The painter writes its last bytes into the temporary file, which is then
        // dropped; the target keeps whatever it held before.
        m_file->cancelWriting();
        m_painter.end();
        m_writer.reset();
        m_file.reset();
    } else {
        m_printer.abort();
        if (m_painter.isActive())
            m_painter.end();
    }
}

} // namespace kvitanky
