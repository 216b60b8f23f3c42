#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// The escapes shared by the field-list codec and the percent coding of file names: an escape character followed by
// hexadecimal digits of a UTF-16 code unit.

// Decodes the Digits hexadecimal digits that follow each Escape (either case; any other character counts as 0); an
// escape cut short by the end of the text is dropped with what follows it.
QString DecodeEscapes(QStringView Text, QChar Escape, int Digits);
// The escape and at least Digits upper-case hexadecimal digits, written straight into Result: the code may be a
// character of a password, so no temporary text holds it.
void AppendEscape(QString& Result, QChar Escape, char16_t Code, int Digits);
