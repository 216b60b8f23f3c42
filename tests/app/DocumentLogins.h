#pragma once

#include "app/FenkDocument.h"
#include "store/NRowset.h"

#include <QStringList>

// The logins of the document in ascending ID, each as "ID: site|login|password|note".
inline QStringList DocumentLogins(TFenkDocument& Document)
{
    QStringList logins;
    TNERowIterator rows(*Document.LoginRowset());
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        QStringList fields;
        for (int column = lcSiteName; column <= lcNote; ++column)
            fields.append(rows.Current()->GetString(column));
        logins.append(QString::number(rows.Current()->ID()) + QStringLiteral(": ") + fields.join(u'|'));
    }
    return logins;
}
