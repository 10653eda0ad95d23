// SPDX-License-Identifier: GPL-3.0-or-later
// "Usporádání": the slip preview or the position boxes of every slip field.
#pragma once

#include <QImage>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kvitanky {

class TForm1;

class LayoutPage : public QWidget
{
    Q_OBJECT
public:
    explicit LayoutPage(TForm1 &form);

    QLabel *ImageCheque = nullptr;
    QGroupBox *GroupBoxLayoutValues = nullptr;
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

private:
    TForm1 &m_form;
};

} // namespace kvitanky
