// SPDX-License-Identifier: GPL-3.0-or-later
// "Usporádání": the slip preview or the position boxes of every slip field, and
// stepping through the recipients (and owners) to see each one's slip.
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvitanky {

class TForm1;
struct CursorSteps;

class LayoutPage : public QWidget
{
    Q_OBJECT
public:
    explicit LayoutPage(TForm1 &form);

    static constexpr int PreviousWidth = 99;
    static constexpr int NextWidth = 97;
    static constexpr int OwnerButtonsTop = 424;

    QLabel *ImageCheque = nullptr;
    QGroupBox *GroupBoxLayoutValues = nullptr;
    QGroupBox *GroupBoxLayoutValuesRecipient = nullptr;
    QGroupBox *GroupBoxLayoutValuesOwner = nullptr;
    QCheckBox *CheckBoxLayoutShow = nullptr;
    QCheckBox *CheckBoxLayoutPictureOn = nullptr;
    QLabel *LabelLayoutDiscard = nullptr;
    QLabel *LabelLayoutVarS_KS = nullptr;
    QPushButton *ButtonLayoutValuesPrevious = nullptr;
    QPushButton *ButtonLayoutValuesNext = nullptr;
    QPushButton *ButtonLayoutValuesPreviousOwner = nullptr;
    QPushButton *ButtonLayoutValuesNextOwner = nullptr;

    void showPreview(const QImage &image);   // puts the composed slip on screen
    void applyShowMode();                     // preview or value boxes, by CheckBoxLayoutShow

    void CheckBoxLayoutShowClick();
    void CheckBoxLayoutPictureOnClick();
    void ButtonLayoutValuesNextClick();
    void ButtonLayoutValuesPreviousClick();
    void ButtonLayoutValuesNextOwnerClick();
    void ButtonLayoutValuesPreviousOwnerClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The owner buttons enabled as the owner cursor allows.
    void syncOwnerButtons();
    void stepOwner(bool forward);
    bool settingsHoldCurrentOwner();
    bool soleOwnerToCopy(const CursorSteps &steps);

    void buildValues();
    static void fitRowLabels(QGroupBox *group, const QList<QLabel *> &labels, const QList<QWidget *> &columns,
                             int firstColumn, int lastColumnEnd);
    void putPriceWords();

    TForm1 &m_form;
};

} // namespace kvitanky
