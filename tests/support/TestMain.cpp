#include <QCoreApplication>

#include <gtest/gtest.h>

// Entry point of the tests that need Qt Core only.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
