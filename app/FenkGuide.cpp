#include "app/FenkGuide.h"

#include <QCoreApplication>
#include <QDir>

QString UserGuidePathFor(const QString& ProgramFolder)
{
    const QString folder = QDir::cleanPath(ProgramFolder);
    const QString buildTree = QDir::cleanPath(QStringLiteral(FENK_BUILD_TREE));
    if (folder == buildTree || folder.startsWith(buildTree + QLatin1Char('/')))
        return QStringLiteral(FENK_SOURCE_GUIDE);
    return QDir::cleanPath(folder + QLatin1Char('/') + QStringLiteral(FENK_GUIDE_FROM_PROGRAM));
}

QUrl UserGuideUrl()
{
    return QUrl::fromLocalFile(UserGuidePathFor(QCoreApplication::applicationDirPath()));
}
