// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalibrationDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace kvitanky {

namespace {

const char *const ValueCaptions[4] = {"Šířka tiskové plochy [pixelů tiskárny]", "Výška tiskové plochy [pixelů tiskárny]",
                                      "Posun v ose X", "Posun v ose Y"};

int valueAt(const CalibrationValues &v, int i)
{
    const int values[4] = {v.printWidth, v.printHeight, v.shiftX, v.shiftY};
    return values[i];
}

void arrow(QPainter &p, QPointF from, QPointF to)
{
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
    const QPointF n(-d.y(), d.x());
    for (const QPointF end : {from, to}) {
        const QPointF inward = end == from ? d : -d;
        QPainterPath head;
        head.moveTo(end);
        head.lineTo(end + inward * 7 + n * 3.5);
        head.lineTo(end + inward * 7 - n * 3.5);
        head.closeSubpath();
        p.fillPath(head, p.pen().color());
    }
}

} // namespace

QPixmap CalibrationDialog::measuringPicture()
{
    QPixmap pm(230, 150);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // The paper's top-left corner, the rest of the sheet cut off.
    const QRectF paper(10, 10, 260, 180);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::white);
    p.drawRect(paper);
    // Cross 1 and its number.
    const QPointF c(120, 95);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(c - QPointF(14, 0), c + QPointF(14, 0));
    p.drawLine(c - QPointF(0, 14), c + QPointF(0, 14));
    QFont f = p.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(c + QPointF(5, -5), QStringLiteral("1"));
    // The two distances, from the edges to the cross's centre.
    p.setPen(QPen(QColor(0, 90, 200), 1.2, Qt::SolidLine));
    arrow(p, QPointF(paper.left(), c.y() + 25), QPointF(c.x(), c.y() + 25));
    arrow(p, QPointF(c.x() + 40, paper.top()), QPointF(c.x() + 40, c.y()));
    p.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
    p.drawLine(c, QPointF(c.x(), c.y() + 30));
    p.drawLine(c, QPointF(c.x() + 45, c.y()));
    f.setBold(false);
    p.setFont(f);
    p.drawText(QPointF(50, c.y() + 40), QStringLiteral("X mm"));
    p.drawText(QPointF(c.x() + 46, 55), QStringLiteral("Y mm"));
    p.setPen(Qt::darkGray);
    p.drawText(QPointF(16, 26), QStringLiteral("okraj papíru"));
    return pm;
}

CalibrationDialog::CalibrationDialog(const CalibrationValues &printed, const QString &printerName, QWidget *parent)
    : QDialog(parent), m_printed(printed)
{
    setObjectName(QStringLiteral("DialogCalibrationMeasure"));
    setWindowTitle(QStringLiteral("Kalibrace měřením"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("ImageCalibrationMeasure"));
    picture->setPixmap(measuringPicture());
    picture->setAlignment(Qt::AlignTop);
    auto *howTo = new QLabel(
        QStringLiteral("Tiskárna: %1\n\n"
                       "1. Vytiskněte tlačítkem „Kalibrační list“ list se dvěma křížky (s hodnotami nastavenými nyní).\n"
                       "2. Pravítkem změřte, jak daleko leží střed každého křížku od levého okraje papíru (X) "
                       "a od horního okraje (Y), v milimetrech.\n"
                       "3. Zapište naměřené délky. Program z nich spočítá nové hodnoty; tlačítkem „Použít“ je nastavíte.")
            .arg(printerName),
        this);
    howTo->setObjectName(QStringLiteral("LabelCalibrationMeasureHowTo"));
    howTo->setWordWrap(true);
    howTo->setMinimumWidth(330);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(howTo, 1);

    auto *measured = new QGridLayout;
    measured->addWidget(new QLabel(QStringLiteral("Naměřeno [mm]"), this), 0, 0);
    measured->addWidget(new QLabel(QStringLiteral("X zleva"), this), 0, 1);
    measured->addWidget(new QLabel(QStringLiteral("Y shora"), this), 0, 2);
    measured->addWidget(new QLabel(QStringLiteral("Kde má ležet"), this), 0, 3);
    for (int i = 0; i < CalibrationSheet::CrossCount; ++i) {
        auto *caption = new QLabel(QStringLiteral("Křížek %1").arg(i + 1), this);
        measured->addWidget(caption, i + 1, 0);
        for (int axis = 0; axis < 2; ++axis) {
            auto *e = new QLineEdit(this);
            e->setObjectName(QStringLiteral("EditCalibrationCross%1%2").arg(i + 1).arg(axis == 0 ? 'X' : 'Y'));
            e->setMaxLength(10);
            e->setFixedWidth(70);
            e->setAccessibleName(QStringLiteral("Křížek %1, %2 [mm]").arg(i + 1).arg(axis == 0 ? "X zleva" : "Y shora"));
            connect(e, &QLineEdit::textChanged, this, &CalibrationDialog::recompute);
            measured->addWidget(e, i + 1, axis + 1);
            m_measured[i][axis] = e;
        }
        if (i == 0)
            caption->setBuddy(m_measured[0][0]);
        const QPointF place = CalibrationSheet::crossPlaceMm(i);
        measured->addWidget(new QLabel(QStringLiteral("X %1, Y %2")
                                           .arg(millimetresText(place.x()), millimetresText(place.y())),
                                       this),
                            i + 1, 3);
    }

    auto *values = new QGridLayout;
    values->addWidget(new QLabel(QStringLiteral("Nyní"), this), 0, 1);
    values->addWidget(new QLabel(QStringLiteral("Nově"), this), 0, 2);
    for (int i = 0; i < 4; ++i) {
        values->addWidget(new QLabel(QString::fromUtf8(ValueCaptions[i]), this), i + 1, 0);
        auto *old = new QLabel(QString::number(valueAt(printed, i)), this);
        old->setObjectName(QStringLiteral("LabelCalibrationOld%1").arg(i));
        values->addWidget(old, i + 1, 1);
        m_new[i] = new QLabel(QStringLiteral("–"), this);
        m_new[i]->setObjectName(QStringLiteral("LabelCalibrationNew%1").arg(i));
        values->addWidget(m_new[i], i + 1, 2);
    }
    values->setColumnMinimumWidth(1, 60);
    values->setColumnMinimumWidth(2, 60);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("LabelCalibrationMeasureError"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #a00000"));

    m_apply = new QPushButton(QStringLiteral("Použít"), this);
    m_apply->setObjectName(QStringLiteral("ButtonCalibrationApply"));
    auto *cancel = new QPushButton(QStringLiteral("Zrušit"), this);
    cancel->setObjectName(QStringLiteral("ButtonCalibrationCancel"));
    connect(m_apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(measured);
    layout->addSpacing(8);
    layout->addLayout(values);
    layout->addWidget(m_error);
    layout->addLayout(buttons);
    recompute();
}

void CalibrationDialog::recompute()
{
    QPointF measured[CalibrationSheet::CrossCount];
    m_complete = true;
    QString bad;
    for (int i = 0; i < CalibrationSheet::CrossCount; ++i) {
        double v[2] = {0, 0};
        for (int axis = 0; axis < 2; ++axis) {
            const QString text = m_measured[i][axis]->text();
            const std::optional<double> mm = parseMillimetres(text);
            if (mm)
                v[axis] = *mm;
            else
                m_complete = false;
            if (!mm && !text.trimmed().isEmpty() && bad.isEmpty())
                bad = QStringLiteral("'%1' není délka v milimetrech (například 12,5).").arg(text);
        }
        measured[i] = QPointF(v[0], v[1]);
    }
    m_fit = CalibrationFit{};
    if (m_complete)
        m_fit = fitCalibration(m_printed, measured);
    for (int i = 0; i < 4; ++i)
        m_new[i]->setText(m_fit.ok ? QString::number(valueAt(m_fit.values, i)) : QStringLiteral("–"));
    m_error->setText(!bad.isEmpty() ? bad : (m_complete && !m_fit.ok ? m_fit.error : QString()));
    m_apply->setEnabled(m_fit.ok);
}

} // namespace kvitanky
