#include "tests/support/TestData.h"

#include <QFile>

#include <gtest/gtest.h>

QString TestDataPath(const QString& RelativePath)
{
    const QByteArray root = qgetenv("FENK_TEST_DATA");
    return QString::fromLocal8Bit(root.isEmpty() ? QByteArray(FENK_TEST_DATA_DIR) : root) + u'/' + RelativePath;
}

QByteArray ReadTestData(const QString& RelativePath)
{
    QFile file(TestDataPath(RelativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read test data " << file.fileName().toStdString();
        return {};
    }
    return file.readAll();
}
