// main() of the test programs that need a QApplication: the window, the pane.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/ApplicationSetup.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    PrepareApplication();
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
