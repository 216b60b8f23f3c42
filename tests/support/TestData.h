#pragma once

#include <QByteArray>
#include <QString>

// Path of a file below tests/data (the known-answer vectors among them).
QString TestDataPath(const QString& RelativePath);

// The whole content of a file below tests/data; the test fails when it cannot be read.
QByteArray ReadTestData(const QString& RelativePath);
