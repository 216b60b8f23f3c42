#pragma once

#include "foundation/NException.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// A text that is not well-formed CSV; the message names the line.
NE_DECLARE_ERROR(ECliCsvErr, ENEException, "Invalid CSV");

// One record of a CSV text and the line it starts on (1 for the first).
struct TCliCsvRecord
{
    int Line = 0;
    QStringList Fields;
};

// A record as one CSV line ending with CR LF. A field holding a comma, a quote, CR or LF is quoted, its quotes
// doubled; other fields are written as they are.
QString CsvRecord(const QStringList& Fields);

// Reads CSV: fields separated by commas, records ending with CR LF or LF, quoted fields may hold commas, doubled
// quotes and line ends. A leading byte order mark and empty lines are skipped. Raises ECliCsvErr for a quote
// inside an unquoted field, text after a closing quote, or a quoted field that is never closed.
std::vector<TCliCsvRecord> ParseCsv(QStringView Text);
