// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle("Kvitanky");
    w.show();
    return app.exec();
}
