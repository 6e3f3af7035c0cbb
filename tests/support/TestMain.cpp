#include "platform/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>

// Test programs run on the offscreen platform unless told otherwise: test
// discovery runs them at build time, where there may be no display.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    CommApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
