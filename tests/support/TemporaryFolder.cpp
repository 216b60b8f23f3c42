#include "tests/support/TemporaryFolder.h"

#include <QFile>

#include <gtest/gtest.h>

TTemporaryFolder::TTemporaryFolder()
{
    if (!Folder_.isValid())
        ADD_FAILURE() << "cannot create a temporary folder: " << Folder_.errorString().toStdString();
}

QString TTemporaryFolder::WriteFile(const QString& Name, const QByteArray& Content) const
{
    const QString path = FilePath(Name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Content) != Content.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}
