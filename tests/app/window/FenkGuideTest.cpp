#include "app/FenkGuide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The source tree's README, found from the test data the tests are given.
QString SourceReadme()
{
    return QDir::cleanPath(qEnvironmentVariable("FENK_TEST_DATA") + QStringLiteral("/../../README.md"));
}

// This test runs from build/tests/app/window.
QString BuildTree()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../../.."));
}

} // namespace

TEST(FenkGuide, OpensTheSourceReadmeFromTheBuildTreeAndTheInstalledGuideElsewhere)
{
    const struct
    {
        QString ProgramFolder;
        QString Guide;
    } cases[] = {
        {BuildTree(), SourceReadme()},
        {BuildTree() + QStringLiteral("/app/"), SourceReadme()},
        {QStringLiteral("/usr/bin"), QStringLiteral("/usr/share/doc/fenk/README.md")},
        {QStringLiteral("/usr/local/bin/"), QStringLiteral("/usr/local/share/doc/fenk/README.md")},
        {QStringLiteral("/opt/fenk/bin"), QStringLiteral("/opt/fenk/share/doc/fenk/README.md")},
        // A folder whose name merely begins like the build tree's is no part of it.
        {BuildTree() + QStringLiteral("-other/bin"), BuildTree() + QStringLiteral("-other/share/doc/fenk/README.md")},
    };
    for (const auto& example : cases)
        EXPECT_EQ(UserGuidePathFor(example.ProgramFolder), example.Guide) << example.ProgramFolder.toStdString();
}

TEST(FenkGuide, GivesTheRunningProgramAnExistingLocalGuide)
{
    const QUrl guide = UserGuideUrl();
    EXPECT_TRUE(guide.isLocalFile());
    EXPECT_EQ(guide.toLocalFile(), SourceReadme());
    EXPECT_TRUE(QFileInfo(guide.toLocalFile()).isFile());
}
