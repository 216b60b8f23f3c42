#pragma once

#include <QChar>
#include <QStringView>

// Ordering of texts under the user's locale, case-sensitive: -1, 0 or 1. Only for sorting; equality of values is
// always exact, because a collator calls texts equal that differ (composed and decomposed accents, control
// characters).
int CompareLocaleText(QStringView Left, QStringView Right);

// The separator between the columns of a row's display text: "," unless the locale writes numbers with a decimal
// comma, then ";".
QChar ListSeparator();
