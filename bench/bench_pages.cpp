// SPDX-License-Identifier: GPL-3.0-or-later
// The recipient page over a large address book: start-up with the page shown,
// jumping to the last row, one keystroke written through, grid scrolling, the
// search box and the backup save. Prints the figures; asserts nothing.
//
//   QT_QPA_PLATFORM=offscreen bench_pages [rows]
#include "BenchDesktop.h"
#include "BenchTable.h"

#include <string>

#include "data/DbfTable.h"
#include "data/RecipientPage.h"
#include "data/RecipientTable.h"
#include "data/TableNavigator.h"
#include "print/PrinterProvider.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>
#include <memory>

using namespace kvitanky;

namespace {

double ms(QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

int g_rows = 0;

void report(const char *what, double millis)
{
    std::printf("%-52s %10.1f ms\n", what, millis);
    const std::string op = std::string("pages: ") + what;
    bench::tableLine(op.c_str(), g_rows, millis / 1000);
    std::fflush(stdout);
}

void makeTable(const QString &dir, int rows)
{
    DbfTable t;
    CreateRecipientTable(t, dir);
    for (int i = 0; i < rows; ++i) {
        t.append();
        t.fieldByName("TITUL").setAsString("Ing.");
        t.fieldByName("JMENO").setAsString(QStringLiteral("Jméno %1").arg(i));
        t.fieldByName("PRIJMENI").setAsString(QStringLiteral("Príjmení %1").arg(i));
        t.fieldByName("ULICE").setAsString(QStringLiteral("Ulice %1").arg(i % 500));
        t.fieldByName("OBEC").setAsString("Nové Hobzí");
        t.fieldByName("PSC").setAsString("378 81");
        t.fieldByName("CASTKA").setAsFloat(100.0 + i % 10000 + 0.5);
        t.fieldByName("VAR_SYMB").setAsString(QString::number(1000000 + i));
        t.fieldByName("SPEC_SYMB").setAsString("0");
        t.fieldByName("TELEFON").setAsString("+420 777 999 999");
        t.fieldByName("EMAIL").setAsString(QStringLiteral("clovek%1@example.cz").arg(i));
        t.fieldByName("VYRAZENO").setAsInteger(i % 7 == 0 ? 1 : 0);
    }
    t.post();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    makeTable(dir.path(), rows);
    std::printf("rows: %d\n", rows);
    g_rows = rows;
    report("writing the table (setup)", ms(t));

    StartupOptions o;
    o.programDir = dir.path();
    o.desktop = std::make_shared<bench::BenchDesktop>(
        [](const ui::MessageRequest &r) { std::printf("  (message: %s)\n", qPrintable(r.text)); },
        FixedPrinters::pdfOnly());
    o.pictureDir = QCoreApplication::applicationDirPath();   // the slip pictures beside the built program

    t.restart();
    auto form = std::make_unique<TForm1>(o);
    form->show();
    form->PageControlMain->setCurrentWidget(form->TabSheetData);
    auto *grid = form->findChild<QTableView *>("DBGridData");
    grid->grab();   // the first paint of the visible rows
    app.processEvents();
    report("start-up and opening the recipient page", ms(t));

    t.restart();
    form->findChild<QToolButton *>("DBNavigatorDataLast")->click();
    grid->grab();
    report("navigator: last row (shown, grid scrolled, painted)", ms(t));

    QLineEdit *name = form->findChild<QLineEdit *>("EditDataFirstName");
    t.restart();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(name, &press);
    report("one keystroke, written and posted", ms(t));
    std::printf("  (stored: %s)\n", qPrintable(form->TableData.fieldByName("JMENO").asString()));

    constexpr int Keys = 100;
    t.restart();
    for (int i = 0; i < Keys; ++i) {
        QKeyEvent key(QEvent::KeyPress, i % 2 ? Qt::Key_Backspace : 0, Qt::NoModifier,
                      i % 2 ? QString() : QStringLiteral("y"));
        QApplication::sendEvent(name, &key);
    }
    report("keystroke, average of 100", ms(t) / Keys);

    QTableView *view = grid;
    QScrollBar *bar = view->verticalScrollBar();
    constexpr int Scrolls = 50;
    t.restart();
    for (int i = 0; i < Scrolls; ++i) {
        bar->setValue(int((qint64(bar->maximum()) * i) / Scrolls));
        view->viewport()->grab();
    }
    report("grid: scroll to a far position and paint, average", ms(t) / Scrolls);

    t.restart();
    for (int i = 0; i < 10; ++i)
        form->ComposeSlip();
    report("slip composition alone, average (part of every show)", ms(t) / 10);

    t.restart();
    form->findChild<QToolButton *>("DBNavigatorDataFirst")->click();
    grid->grab();
    report("navigator: first row", ms(t));

    // The search box: a text found only in the last row, and one found nowhere;
    // each Enter reads every text column of every row once.
    QLineEdit *search = form->findChild<QLineEdit *>("EditDataSearch");
    const auto searchFor = [&](const QString &text) {
        search->setText(text);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(search, &enter);
    };
    t.restart();
    searchFor(QStringLiteral("CLOVEK%1@").arg(rows - 1));
    report("search box: Enter, match in the last row", ms(t));
    std::printf("  (cursor on row %d)\n", form->TableData.recNo());
    t.restart();
    searchFor(QStringLiteral("nikde nic"));
    report("search box: Enter, no match (a whole pass)", ms(t));

    t.restart();
    form->findChild<QPushButton *>("ButtonDataTableSave")->click();
    report("save with backups", ms(t));

    t.restart();
    form.reset();
    report("closing the window", ms(t));
    return 0;
}
