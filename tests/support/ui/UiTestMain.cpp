#include "ui/platform/NApplication.h"

#include <QtGlobal>

#include <gtest/gtest.h>

// Entry point of the window tests: an offscreen application titled like the program, free of the desktop's theme.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    TNEApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Fenk"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
