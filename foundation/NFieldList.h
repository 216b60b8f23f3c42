#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Field lists: items, each encoded and followed by ";". Only A-Z, a-z, 0-9, "+" and "/" stand for themselves;
// every other UTF-16 code unit is written as "=" and four upper-case hexadecimal digits.
QString EncodeItem(QStringView Text);
QString DecodeItem(QStringView Text);
void AppendItem(QString& List, QStringView Text);
QString JoinItems(const QStringList& Items);
// Reads the item after Position and leaves Position just past the terminator that ends it. Position 0 is before
// the first item; reading stops being useful once Position reaches the list's length.
QString NextItem(qsizetype& Position, QStringView List);
// The item with the zero-based Index, empty when the list is shorter.
QString ItemAt(int Index, QStringView List);
// The position before the first item equal to Text (0 for the first item); when none is, the position where
// reading stopped, which is the list's length for a list that ends with its terminator.
qsizetype IndexOfItem(QStringView Text, QStringView List);
