// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintQuestions.h"

#include "print/PrintSession.h"
#include "print/SlipPreflight.h"
#include "text/CzechPlural.h"
#include "shell/Desktop.h"
#include "shell/MessageBox.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kvitanky {

namespace {

QString preflightSummary(const SlipPreflight &p, const PrinterChoice &printer)
{
    QString text = QStringLiteral("Tisk %1 na tiskárnu %2.").arg(slipCount(p.slips()), printer.pdf ? QStringLiteral("PDF soubor") : printer.name);
    if (printer.pdf)
        text += QStringLiteral("\nSoubor: ") + QDir::toNativeSeparators(printer.pdfPath);
    if (p.clean() && p.duplicates().empty())
        return text;
    if (!p.clean())
        text += QStringLiteral("\n\nKontrola před tiskem našla chyby:");
    if (!p.accountOk()) {
        text += QStringLiteral("\n• účet příjemce %1 (na všech kvitancích):\n   ").arg(p.accountText())
            + p.account().message().replace(QLatin1Char('\n'), QStringLiteral("\n   "))
            + QStringLiteral("\n   Má-li tiskopis účet předtištěný, nechte předčíslí, číslo účtu a kód banky "
                             "na stránce „Nastavení“ prázdné (nebo vypněte jejich pole v rozvržení): "
                             "účet se pak netiskne ani nekontroluje.");
    }
    for (int k = 0; k < SlipPreflight::FaultKinds; ++k) {
        const auto kind = SlipFault(k);
        const int n = p.count(kind);
        if (n == 0)
            continue;
        QStringList rows;
        for (const PreflightRow &r : p.firstRows(kind))
            rows << QStringLiteral("řádek %1%2").arg(r.row + 1).arg(r.name.isEmpty() ? QString() : QStringLiteral(" ") + r.name);
        if (n > rows.size())
            rows << QStringLiteral("…");
        text += QStringLiteral("\n• %1: %2 (%3)").arg(SlipPreflight::faultName(kind)).arg(n).arg(rows.join(QStringLiteral(", ")));
    }
    if (!p.duplicates().empty()) {
        // Perhaps meant so (siblings, two payments): "Tisknout" prints them all.
        text += QStringLiteral("\n\nMožná zdvojené kvitance (tlačítko „Tisknout“ je vytiskne):");
        const auto &groups = p.duplicates();
        for (size_t i = 0; i < groups.size() && i < size_t(SlipPreflight::ListedRows); ++i)
            text += QStringLiteral("\n• ") + SlipPreflight::describe(groups[i]);
        if (groups.size() > size_t(SlipPreflight::ListedRows))
            text += QStringLiteral("\n• … (skupin celkem %1)").arg(groups.size());
    }
    if (p.faultySlips() > 0)
        text += QStringLiteral("\n\nChybných kvitancí: %1 z %2.").arg(p.faultySlips()).arg(p.slips());
    return text;
}

} // namespace

QString slipCount(int n)
{
    return czechPlural(n, QStringLiteral("%1 kvitance"), QStringLiteral("%1 kvitance"), QStringLiteral("%1 kvitancí"))
        .arg(n);
}

QString printedSlips(int n)
{
    return czechPlural(n, QStringLiteral("Vytištěna %1 kvitance"), QStringLiteral("Vytištěny %1 kvitance"),
                       QStringLiteral("Vytištěno %1 kvitancí"))
        .arg(n);
}

PreflightDialog::PreflightDialog(QWidget *parent, const SlipPreflight &preflight, const PrinterChoice &printer)
    : QDialog(parent), m_preflight(preflight)
{
    setObjectName(QStringLiteral("PreflightDialog"));
    setWindowTitle(QStringLiteral("Tisk všech kvitancí"));
    m_summary = preflightSummary(preflight, printer);
    m_canPrintCorrect = preflight.accountOk() && preflight.faultySlips() > 0
        && preflight.faultySlips() < preflight.slips();

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(m_summary, this);
    label->setObjectName(QStringLiteral("LabelPreflightSummary"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);

    auto *buttons = new QDialogButtonBox(this);
    const auto add = [&](const char *name, const QString &text, QDialogButtonBox::ButtonRole role, Answer answer) {
        QPushButton *b = buttons->addButton(text, role);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            done(answer == Answer::Cancel ? QDialog::Rejected : QDialog::Accepted);
        });
        return b;
    };
    QPushButton *print = add("ButtonPreflightPrint", QStringLiteral("Tisknout"), QDialogButtonBox::AcceptRole,
                             Answer::PrintAll);
    if (!preflight.clean()) {
        QPushButton *correct = add("ButtonPreflightPrintCorrect", QStringLiteral("Tisknout jen správné"),
                                   QDialogButtonBox::AcceptRole, Answer::PrintCorrect);
        correct->setEnabled(m_canPrintCorrect);
        if (preflight.firstFaultyRow() >= 0) {
            add("ButtonPreflightShowFirst", QStringLiteral("Přejít na první chybný řádek"),
                QDialogButtonBox::ActionRole, Answer::ShowFirstFault);
        }
    }
    QPushButton *cancel = add("ButtonPreflightCancel", QStringLiteral("Zrušit"), QDialogButtonBox::RejectRole,
                              Answer::Cancel);
    // With faults the safe answer is the default: Enter does not print them.
    (preflight.clean() ? print : cancel)->setDefault(true);
    layout->addWidget(buttons);
}

PreflightDialog::Answer PreflightDialog::ask(Desktop &desktop, QWidget *parent, const SlipPreflight &preflight,
                                             const PrinterChoice &printer)
{
    PreflightDialog dialog(parent, preflight, printer);
    desktop.runDialog(dialog);
    return dialog.m_answer;
}

QString numberedPdfName(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("pdf") : info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = info.dir().filePath(QStringLiteral("%1 (%2).%3").arg(base).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

PdfTargetAnswer askPdfTarget(Desktop &desktop, QWidget *parent, const QString &path, const QString &numbered)
{
    const QString text = QStringLiteral("Soubor %1 již existuje.\nMá se přepsat, nebo uložit kvitance do nového souboru %2?")
                             .arg(QDir::toNativeSeparators(path), QFileInfo(numbered).fileName());
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kvitanky"), text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("PdfTargetQuestion"));
    QPushButton *replace = box.addButton(QStringLiteral("Přepsat"), QMessageBox::DestructiveRole);
    replace->setObjectName(QStringLiteral("ButtonPdfReplace"));
    QPushButton *newName = box.addButton(QStringLiteral("Nový soubor"), QMessageBox::AcceptRole);
    newName->setObjectName(QStringLiteral("ButtonPdfNewName"));
    box.addButton(QStringLiteral("Zrušit"), QMessageBox::RejectRole)->setObjectName(QStringLiteral("ButtonPdfCancel"));
    box.setDefaultButton(newName);
    desktop.runDialog(box);
    if (box.clickedButton() == replace)
        return PdfTargetAnswer::Replace;
    if (box.clickedButton() == newName)
        return PdfTargetAnswer::NewName;
    return PdfTargetAnswer::Cancel;
}

void reportJob(Desktop &desktop, QWidget *parent, const QString &text, const QString &pdfPath)
{
    if (pdfPath.isEmpty()) {
        ui::information(desktop, parent, text);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kvitanky"), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("JobReport"));
    QPushButton *openButton = box.addButton(QStringLiteral("Otevřít"), QMessageBox::ActionRole);
    openButton->setObjectName(QStringLiteral("ButtonOpenPdf"));
    box.setDefaultButton(QMessageBox::Ok);
    desktop.runDialog(box);
    if (box.clickedButton() == openButton && !desktop.openUrl(QUrl::fromLocalFile(pdfPath)))
        ui::information(desktop, parent,
                        QStringLiteral("Soubor %1 nelze otevřít.").arg(QDir::toNativeSeparators(pdfPath)));
}

} // namespace kvitanky
