#pragma once

#include <QByteArrayView>
#include <QStringView>

// The one reading of integers in texts (file headers, sizes, IDs, ranks, versions): an optional "+" or "-"
// followed by one or more ASCII digits whose value fits a signed 32-bit integer. Anything else (blanks, other
// characters, overflow, an empty text) is not a number and gives Default.
int ParseInteger(QStringView Text, int Default);
int ParseInteger(QByteArrayView Text, int Default);
