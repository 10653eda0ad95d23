// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiTestSupport.h"

#include "exchange/ImpExpPage.h"
#include "text/Codepage.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QMouseEvent>
#include <QWheelEvent>

namespace testsupport {

using namespace kvitanky;

void typeText(QWidget *w, const QString &text)
{
    for (const QChar ch : text) {
        const int key = ch.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

void pressKey(QWidget *w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void clearBox(QLineEdit *box)
{
    box->selectAll();
    pressKey(box, Qt::Key_Delete);
}

namespace {

QPoint rowPoint(QTableView *grid, int row)
{
    grid->scrollTo(grid->model()->index(row, 1));
    return grid->visualRect(grid->model()->index(row, 1)).center();
}

void sendMouse(QTableView *grid, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QWidget *vp = grid->viewport();
    QMouseEvent e(type, QPointF(at), QPointF(vp->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
}

} // namespace

void clickRow(QTableView *grid, int row, Qt::MouseButton button)
{
    const QPoint at = rowPoint(grid, row);
    sendMouse(grid, QEvent::MouseButtonPress, at, button, button);
    sendMouse(grid, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void dragRows(QTableView *grid, int from, int to)
{
    const QPoint start = rowPoint(grid, from);
    sendMouse(grid, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    const QPoint end = rowPoint(grid, to);
    sendMouse(grid, QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    sendMouse(grid, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

void wheelGrid(QTableView *grid, int steps)
{
    QWidget *vp = grid->viewport();
    const QPointF at(vp->width() / 2.0, vp->height() / 2.0);
    QWheelEvent e(at, vp->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &e);
}

void holdKey(QWidget *w, int key, int repeats)
{
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(w, &press);
        if (i + 1 < repeats) {
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w, &release);
        }
    }
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void typeIntoFocus(const QString &text)
{
    for (const QChar ch : text) {
        QWidget *w = QApplication::focusWidget();
        if (w)
            typeText(w, QString(ch));
    }
}

QStringList messageTexts(const QList<ui::MessageRequest> &messages)
{
    QStringList texts;
    for (const ui::MessageRequest &m : messages)
        texts << m.text;
    return texts;
}

void FormTest::TearDown()
{
    form.reset();
}

void FormTest::startForm(const QByteArray &ini, std::shared_ptr<PrinterProvider> printers)
{
    form.reset();   // a restart: the program before lets go of the folder first
    if (!ini.isNull())
        writeFile(dir.file("Kvitanky.ini"), toCp1250(QString::fromUtf8(ini)));
    StartupOptions o;
    o.programDir = dir.path();
    o.pictureDir = binDir();
    desktop->printerList = printers ? std::move(printers) : std::make_shared<SystemPrinters>();
    o.desktop = desktop;
    form = std::make_unique<TForm1>(o);
    answerSpreadsheetProbe(*form, desktop);
    startupMessages = messages;
    messages.clear();
}

void answerSpreadsheetProbe(TForm1 &form, std::shared_ptr<FakeDesktop> desktop)
{
    form.TabSheetImpExp->setSpreadsheetProbe([desktop] { return desktop->spreadsheetApp; });
}

void FormTest::showPage(QWidget *page)
{
    form->show();
    form->PageControlMain->setCurrentWidget(page);
    messages.clear();
}

QLineEdit *FormTest::edit(const QString &name) const
{
    return form->findChild<QLineEdit *>(name);
}

QCheckBox *FormTest::check(const QString &name) const
{
    return form->findChild<QCheckBox *>(name);
}

QPushButton *FormTest::button(const QString &name) const
{
    return form->findChild<QPushButton *>(name);
}

} // namespace testsupport
