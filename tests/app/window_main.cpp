// SPDX-License-Identifier: MIT
// Widgets need an application object on the suite's display.
#include "keeplibraries.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    keepLoadedLibrariesMapped();
    return result;
}
