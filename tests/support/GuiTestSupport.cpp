// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiTestSupport.h"

#include "text/Codepage.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

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

QStringList messageTexts(const QList<ui::MessageRequest> &messages)
{
    QStringList texts;
    for (const ui::MessageRequest &m : messages)
        texts << m.text;
    return texts;
}

void FormTest::SetUp()
{
    ui::setMessageHook([this](const ui::MessageRequest &r) {
        messages.append(r);
        return answer;
    });
}

void FormTest::TearDown()
{
    form.reset();
    ui::setMessageHook({});
}

void FormTest::startForm(const QByteArray &ini, std::shared_ptr<PrinterProvider> printers)
{
    form.reset();   // a restart: the program before lets go of the folder first
    if (!ini.isNull())
        writeFile(dir.file("Kvitanky.ini"), toCp1250(QString::fromUtf8(ini)));
    StartupOptions o;
    o.programDir = dir.path();
    o.pictureDir = binDir();
    o.printers = std::move(printers);
    form = std::make_unique<TForm1>(o);
    startupMessages = messages;
    messages.clear();
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
