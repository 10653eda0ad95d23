// SPDX-License-Identifier: GPL-3.0-or-later
// "O programu": version, links to the home page and the maker, contact.
#pragma once

#include <QWidget>

class QLabel;

namespace kvitanky {

class Desktop;

class AboutPage : public QWidget
{
    Q_OBJECT
public:
    // The links open through `desktop`.
    explicit AboutPage(Desktop &desktop, QWidget *parent = nullptr);

    static QString mailtoAddress();

    QLabel *LabelAboutWebHomePage = nullptr;
    QLabel *LabelAboutWebTSURL = nullptr;
    QLabel *LabelAboutEmail = nullptr;

    void LabelAboutWebHomePageClick();
    void LabelAboutWebTSURLClick();
    void LabelAboutEmailClick();

    // Which folder holds the program's data (and whether it can be written).
    void showDataFolder(const QString &text);
    QLabel *LabelAboutDataFolder = nullptr;

private:
    Desktop &m_desktop;
};

} // namespace kvitanky
