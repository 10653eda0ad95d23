// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of a long job (printing all slips, imports, exports): it
// appears when the job takes more than a moment, keeps the window painted and
// offers "Zrušit". Updates are cheap; the window is refreshed a few times a second.
#pragma once

#include "exchange/ExchangeProgress.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace kvitanky {

class JobProgress
{
public:
    // `label` may hold %1 and %2 for the amount done and the total.
    JobProgress(QWidget *parent, const QString &label, qint64 total);
    ~JobProgress();
    JobProgress(const JobProgress &) = delete;
    JobProgress &operator=(const JobProgress &) = delete;

    // Tells how far the job has come; false once the user has cancelled.
    bool update(qint64 done);
    // The same for the core's import and export functions.
    ExchangeProgress callback();

    void cancel();
    bool cancelled() const { return m_cancelled; }

    // Tests watch every update (and may cancel) instead of pressing the button.
    using Observer = std::function<void(JobProgress &, qint64 done, qint64 total)>;
    static void setObserver(Observer observer);

private:
    void refresh(qint64 done);

    std::unique_ptr<QProgressDialog> m_dialog;
    QString m_label;
    qint64 m_total;
    QElapsedTimer m_sinceRefresh;
    bool m_cancelled = false;
};

} // namespace kvitanky
