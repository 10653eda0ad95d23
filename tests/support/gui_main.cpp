// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry for the widgets: a headless application object.
#include <QApplication>

#include "TestUnit.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    if (!testsupport::selectTestUnit(argc, argv))
        return 1;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
