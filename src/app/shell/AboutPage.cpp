// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutPage.h"

#include "Desktop.h"
#include "PageControls.h"

#include <QGroupBox>

#include <algorithm>
#include <QLabel>
#include <QMouseEvent>

namespace kvitanky {
namespace {

// A blue label that reacts to a click, as the information page's links do.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &text, QWidget *parent, std::function<void()> onClick)
        : QLabel(text, parent), m_onClick(std::move(onClick))
    {
        QFont f = font();
        f.setPixelSize(16);
        f.setUnderline(true);
        setFont(f);
        setStyleSheet(QStringLiteral("color: blue;"));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            m_onClick();
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space)
            m_onClick();
        else
            QLabel::keyPressEvent(e);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

QString AboutPage::mailtoAddress()
{
    return QStringLiteral("mailto:info@kvitanky.cz");
}

AboutPage::AboutPage(Desktop &desktop, QWidget *parent)
    : QWidget(parent), m_desktop(desktop)
{
    setObjectName("TabSheetAbout");
    auto *group = ui::groupBox(this, "GroupBoxAbout", QString(), 12, 16, 797, 449);
    auto *version = ui::label(group, QStringLiteral("Verze: %1 (9. 12. 2026)").arg(KVITANKY_VERSION), 32, 45,
                              "LabelAboutVersion");
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    version->adjustSize();
    auto *homeSite = ui::label(group, "Domovská stránka programu Kvitanky:", 32, 115, "LabelAboutHomeSite");
    auto *webTs = ui::label(group, "Tvorba software:", 32, 141, "LabelAboutWebTS");
    ui::label(group, "Autor: Tým programu Kvitanky, 2026", 32, 208, "LabelAboutAuthor");
    ui::label(group, "Telefon: +420 800 000 000", 32, 235, "LabelAboutAuthorTel");
    auto *email = ui::label(group, "Email: ", 32, 254, "LabelAboutAuthorEmail");

    // Each link stands at its designed place, or right of its caption where the
    // caption is wider in the desktop's font.
    const auto link = [group](const QString &name, const QString &text, int x, int y, const QLabel *caption,
                              std::function<void()> click) {
        auto *l = new LinkLabel(text, group, std::move(click));
        l->setObjectName(name);
        l->move(std::max(x, caption->geometry().right() + 6), y);
        l->adjustSize();
        return l;
    };
    LabelAboutWebHomePage = link("LabelAboutWebHomePage", "https://www.kvitanky.cz/", 233, 110, homeSite,
                                 [this] { LabelAboutWebHomePageClick(); });
    LabelAboutWebTSURL = link("LabelAboutWebTSURL", "https://www.kvitanky.cz/tvorba/",
                              LabelAboutWebHomePage->x(), 136, webTs, [this] { LabelAboutWebTSURLClick(); });
    LabelAboutEmail = link("LabelAboutEmail", "info@kvitanky.cz", 69, 249, email, [this] { LabelAboutEmailClick(); });
    LabelAboutDataFolder = ui::label(group, QString(), 32, 300, "LabelAboutDataFolder");
    LabelAboutDataFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void AboutPage::LabelAboutWebHomePageClick()
{
    m_desktop.openUrl(QUrl(LabelAboutWebHomePage->text()));
}

void AboutPage::LabelAboutWebTSURLClick()
{
    m_desktop.openUrl(QUrl(LabelAboutWebTSURL->text()));
}

void AboutPage::showDataFolder(const QString &text)
{
    LabelAboutDataFolder->setText(text);
    LabelAboutDataFolder->adjustSize();
}

void AboutPage::LabelAboutEmailClick()
{
    m_desktop.openUrl(QUrl(mailtoAddress()));
}

} // namespace kvitanky
