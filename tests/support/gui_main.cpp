// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry for the widgets: a headless application object.
#include "exchange/ImportPreviewDialog.h"

#include <QApplication>
#include <QCheckBox>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Imports go ahead as before unless a test answers the preview itself.
    kvitanky::ImportPreviewDialog::setAnswerHook([](kvitanky::ImportPreviewDialog &d) {
        d.CheckBoxSkipDuplicates->setChecked(false);
        d.CheckBoxRemoveSamples->setChecked(false);
        return true;
    });
    return RUN_ALL_TESTS();
}
