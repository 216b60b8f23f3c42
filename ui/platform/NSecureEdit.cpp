#include "ui/platform/NSecureEdit.h"

#include "foundation/NSecureBuffer.h"

#include <QLineEdit>

void BurnEditText(QLineEdit& Edit)
{
    TNESecureText text(Edit.text());
    Edit.setText(QString());
    text.Burn();
    text.Reserve(Edit.maxLength());
    Edit.setText(text.Take());
}
