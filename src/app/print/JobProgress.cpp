// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobProgress.h"

#include <QProgressDialog>

#include <algorithm>

namespace kvitanky {

namespace {

constexpr int Steps = 1000;          // the bar's resolution
constexpr int ShowAfterMs = 400;     // a shorter job shows no window
constexpr int RefreshEveryMs = 100;

JobProgress::Observer &observer()
{
    static JobProgress::Observer o;
    return o;
}

} // namespace

JobProgress::JobProgress(QWidget *parent, const QString &label, qint64 total)
    : m_label(label), m_total(std::max<qint64>(total, 0))
{
    m_dialog = std::make_unique<QProgressDialog>(parent);
    m_dialog->setWindowTitle(QStringLiteral("Kvitanky"));
    m_dialog->setCancelButtonText(QStringLiteral("Zrušit"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(ShowAfterMs);
    m_dialog->setRange(0, Steps);
    m_dialog->setValue(0);
    refresh(0);
    m_sinceRefresh.start();
}

JobProgress::~JobProgress()
{
    m_dialog->hide();
}

void JobProgress::setObserver(Observer o)
{
    observer() = std::move(o);
}

void JobProgress::cancel()
{
    m_cancelled = true;
}

void JobProgress::refresh(qint64 done)
{
    QString text = m_label;
    if (text.contains(QLatin1String("%1")))
        text = text.arg(done);
    if (text.contains(QLatin1String("%2")))
        text = text.arg(m_total);
    m_dialog->setLabelText(text);
    const qint64 d = std::clamp<qint64>(done, 0, m_total);
    const int value = m_total > 0 ? int(d * Steps / m_total) : 0;
    // setValue also lets the window repaint and the button react (the dialog is modal).
    m_dialog->setValue(std::min(value, Steps - 1));
}

bool JobProgress::update(qint64 done)
{
    if (observer())
        observer()(*this, done, m_total);
    if (!m_cancelled && m_sinceRefresh.elapsed() >= RefreshEveryMs) {
        refresh(done);
        m_sinceRefresh.restart();
    }
    if (m_dialog->wasCanceled())
        m_cancelled = true;
    return !m_cancelled;
}

ExchangeProgress JobProgress::callback()
{
    return [this](qint64 done, qint64 total) {
        if (total > m_total)
            m_total = total;
        return update(done);
    };
}

} // namespace kvitanky
