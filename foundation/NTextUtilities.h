#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstdint>

// Removes the characters up to U+0020 (blanks and control characters) from both ends.
QString Trim(QStringView Text);
// The part of Text that Trim copies, as a view of it.
QStringView TrimmedView(QStringView Text);

// SplitFirst returns the part before the first Separator and leaves the rest in Text; SplitLast returns the part
// after the last one and leaves the front in Text. Without a Separator both return all of Text and empty it.
QString SplitFirst(QChar Separator, QString& Text);
QString SplitLast(QChar Separator, QString& Text);

// Trimmed, lower case, first character upper case; never tailored to the user's language.
QString Capitalize(QStringView Text);
// Digits grouped by threes with the locale's group separator.
QString FormatThousands(std::int64_t Value);

// Line breaks. A row keeps them as CR LF; the memo and the command-line tool show them as LF; a list cell shows
// a text on one line. Each conversion reads LF, CR and CR LF alike as one line break.
//
// LF, CR and CR LF all become CR LF.
QString ToStoredLineBreaks(QStringView Text);
// CR LF and a lone CR become LF.
QString ToDisplayLineBreaks(QStringView Text);
// Every line break becomes one space.
QString ToSingleLine(QStringView Text);
// The same, sharing Text's storage when it holds no line break, as most texts do.
QString ToSingleLine(const QString& Text);
