#pragma once

#include <QChar>
#include <QCollatorSortKey>
#include <QString>
#include <QStringView>

#include <variant>

// Ordering of texts under the user's locale, case-sensitive: -1, 0 or 1. Only for sorting; equality of values is
// always exact, because a collator calls texts equal that differ (composed and decomposed accents, control
// characters).
int CompareLocaleText(QStringView Left, QStringView Right);

// A text's place under the user's locale, for sorting many texts: made once per text, keys compare as
// CompareLocaleText compares their texts, and cheaply. Under the C locale, whose collation compares UTF-16 code
// units, the key is the text itself, shared; otherwise it is the collator's key.
class TNELocaleSortKey
{
public:
    explicit TNELocaleSortKey(const QString& Text);

    int Compare(const TNELocaleSortKey& Other) const;

private:
    std::variant<QString, QCollatorSortKey> Key_;
};

// The separator between the columns of a row's display text: "," unless the locale writes numbers with a decimal
// comma, then ";".
QChar ListSeparator();
