#include "store/NColumn.h"

#include "foundation/NInteger.h"
#include "foundation/NSecureBuffer.h"
#include "foundation/NStruct.h"
#include "store/NRowsetBase.h"
#include "store/NStore.h"
#include "store/NStoreErrors.h"

namespace {

const QString ReferenceKeyword = QStringLiteral("REF");
const QString StringKeyword = QStringLiteral("STR");
const QString NullableKeyword = QStringLiteral("NULLABLE");

} // namespace

TNEColumn::TNEColumn(TNERowset& Owner, QString Caption, QString Name, TNEColumnKind Kind, std::int32_t Size, bool Flag)
    : Caption_(std::move(Caption)), Name_(std::move(Name)), Size_(Size), Flag_(Flag), Rowset_(Owner), Kind_(Kind)
{}

std::unique_ptr<TNEColumn> TNEColumn::FromDescriptor(TNERowset& Owner, QStringView Descriptor)
{
    // Names and keywords are upper case whatever the text says; the caption is capitalised anyway.
    const QString items = Trim(Descriptor);
    qsizetype position = 0;
    QString caption = Capitalize(NextItem(position, items));
    QString name = Trim(NextItem(position, items)).toUpper();
    const QString kind = NextItem(position, items).toUpper();
    const QString size = NextItem(position, items);
    const QString flag = NextItem(position, items);
    if (name.isEmpty())
        throw ENERowsetStructureErr();

    if (kind == ReferenceKeyword) {
        const std::int32_t target = Owner.Store().FindRowsetID(size);
        if (target < 0)
            throw ENERowsetStructureErr();
        const bool nullable = flag.compare(NullableKeyword, Qt::CaseInsensitive) == 0;
        return std::make_unique<TNEColumn>(Owner, std::move(caption), std::move(name), ckReference, target, nullable);
    }
    if (kind == StringKeyword) {
        const std::int32_t length = ParseInteger(size, 0);
        if (length < 0)
            throw ENERowsetStructureErr();
        const bool multiLine = ParseInteger(flag, 0) == 1;
        return std::make_unique<TNEColumn>(Owner, std::move(caption), std::move(name), ckString, length, multiLine);
    }
    throw ENERowsetStructureErr(QStringLiteral("Rowset structure error (unknown field: %1)").arg(kind));
}

QString TNEColumn::Descriptor() const
{
    QString items;
    AppendItem(items, Caption_);
    AppendItem(items, Name_);
    if (Kind_ == ckReference) {
        AppendItem(items, ReferenceKeyword);
        const TNERowset* target = Size_ >= 0 ? Rowset_.Store().FindRowset(Size_) : nullptr;
        if (target)
            AppendItem(items, target->Name());
        if (Flag_) {
            if (!target)
                AppendItem(items, {});
            AppendItem(items, NullableKeyword);
        }
    } else {
        AppendItem(items, StringKeyword);
        if (Size_ > 0)
            AppendItem(items, QString::number(Size_));
        if (Flag_) {
            if (Size_ <= 0)
                AppendItem(items, {});
            AppendItem(items, QStringLiteral("1"));
        }
    }
    return items;
}

QStringView TNEColumn::FittedView(QStringView Text) const
{
    const int limit = Size_ < 1 || Size_ > MaxTextLength ? MaxTextLength : Size_;
    return TrimmedView(TrimmedView(Text).left(limit));
}

QString TNEColumn::FitText(QStringView Text) const
{
    return FittedView(Text).toString();
}

QString TNEColumn::FitText(QString&& Text) const
{
    const QStringView fitted = FittedView(Text);
    if (fitted.size() == Text.size())
        return std::move(Text);
    // The text given up may be a password: it is zeroed when nothing else holds it.
    const TNESecureText given(std::move(Text));
    return FittedView(given.Text()).toString();
}
