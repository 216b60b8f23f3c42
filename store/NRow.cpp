#include "store/NRow.h"

#include "foundation/NSecureBuffer.h"
#include "store/NLocaleText.h"
#include "store/NRowsetBase.h"
#include "store/NStore.h"
#include "store/NStoreErrors.h"

#include <QScopeGuard>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Logins hold passwords: zero the texts of a cell that only this row still holds before they are freed. A text
// shared with a copy somebody else keeps is left to that copy.
void BurnOwnTexts(TNEValuePair& Pair)
{
    // The edit buffer usually shares the current text, so it lets go first and leaves the text to the current value.
    TNESecureText(std::move(Pair.Edit.Text)).Burn();
    TNESecureText(std::move(Pair.Current.Text)).Burn();
}

std::int32_t KeyOfRow(TNERow* Row)
{
    return Row->ID();
}

// The rows whose display text or comparison is under way: references that lead back to one of them are not
// followed again, so rows that reference each other in a cycle end.
class TVisit
{
public:
    explicit TVisit(const TNERow* Row) { Rows().push_back(Row); }
    ~TVisit() { Rows().pop_back(); }
    TVisit(const TVisit&) = delete;
    TVisit& operator=(const TVisit&) = delete;

    static bool IsUnderWay(const TNERow* Row) { return Row && std::ranges::count(Rows(), Row) > 0; }

private:
    static std::vector<const TNERow*>& Rows()
    {
        thread_local std::vector<const TNERow*> rows;
        return rows;
    }
};

int Sign(std::int64_t Value)
{
    return (Value > 0) - (Value < 0);
}

int ColumnCountOf(const TNERow* Row)
{
    return Row ? Row->Rowset().ColumnCount() : 0;
}

} // namespace

TNERow::TNERow(TNERowset& Owner)
    : Values_(std::make_unique<TNEValuePair[]>(std::size_t(Owner.ColumnCount()))), Rowset_(Owner)
{}

TNERow::~TNERow()
{
    for (int column = 0; column < Rowset_.ColumnCount(); ++column) {
        TNEValuePair& pair = Values_[std::size_t(column)];
        if (Rowset_.Columns(column).Kind() == ckReference)
            ReleaseTarget(column, pair.Current.Reference);
        else
            BurnOwnTexts(pair);
    }
}

TNEValuePair& TNERow::Pair(int Column, TNEColumnKind Kind)
{
    CheckKind(Column, Kind);
    return Values_[std::size_t(Column)];
}

const TNEValuePair& TNERow::Pair(int Column, TNEColumnKind Kind) const
{
    CheckKind(Column, Kind);
    return Values_[std::size_t(Column)];
}

void TNERow::CheckKind(int Column, TNEColumnKind Kind) const
{
    if (Rowset_.Columns(Column).Kind() != Kind)
        throw ENETypeMismatchErr();
}

QString TNERow::GetString(int Column) const
{
    return Pair(Column, ckString).Current.Text;
}

QString TNERow::GetStringByName(QStringView Name) const
{
    return GetString(Rowset_.IndexOfColumn(Name));
}

void TNERow::SetString(int Column, QStringView Text)
{
    CheckKind(Column, ckString);
    SetFittedString(Column, Rowset_.Columns(Column).FitText(Text));
}

void TNERow::SetString(int Column, QString&& Text)
{
    CheckKind(Column, ckString);
    SetFittedString(Column, Rowset_.Columns(Column).FitText(std::move(Text)));
}

void TNERow::SetFittedString(int Column, QString Fitted)
{
    TNEValuePair& pair = Values_[std::size_t(Column)];
    // The fitted text when it is not taken, and the edit it replaces, are zeroed when nothing else holds them.
    TNESecureText fitted(std::move(Fitted));
    // Exact comparison: texts a collator calls equal may still differ, and the edit must not be lost.
    if (fitted.Text() != pair.Edit.Text)
        TNESecureText(std::exchange(pair.Edit.Text, fitted.Take())).Burn();
}

void TNERow::TakeString(int Column, TNERow& Source, int SourceColumn)
{
    TNEValuePair& from = Source.Pair(SourceColumn, ckString);
    TNEValuePair& pair = Pair(Column, ckString);
    // The edit buffer shares the committed text; both let go of it, so the text moves with no holder left behind.
    from.Edit.Text = QString();
    pair.Edit.Text = std::move(from.Current.Text);
    from.Current.Text = QString();
}

TNERow* TNERow::GetReference(int Column) const
{
    return TargetOf(Column, Pair(Column, ckReference).Current.Reference);
}

std::int32_t TNERow::GetReferenceID(int Column) const
{
    return Pair(Column, ckReference).Current.Reference;
}

void TNERow::SetReference(int Column, const TNERow* Row)
{
    TNEValuePair& pair = Pair(Column, ckReference);
    const TNEColumn& column = Rowset_.Columns(Column);
    if (Row && Row->Rowset().ID() != column.Size())
        throw ENEInvalidValueErr();
    if (!Row && pair.Current.Reference >= 0 && !column.Flag())
        throw ENEInvalidValueErr();
    pair.Edit.Reference = Row ? Row->ID() : -1;
}

void TNERow::Post()
{
    struct TChange
    {
        int Column;
        TNEFieldValue Previous;
    };
    std::vector<TChange> changes;
    // The values replaced go when the change is done; the row may have held their only copy.
    const auto burnPrevious = qScopeGuard([&] {
        for (TChange& change : changes)
            TNESecureText(std::move(change.Previous.Text)).Burn();
    });
    const int columns = Rowset_.ColumnCount();
    for (int column = 0; column < columns; ++column) {
        TNEValuePair& pair = Values_[std::size_t(column)];
        if (pair.Edit != pair.Current) {
            changes.push_back({column, pair.Current});
            pair.Current = pair.Edit;
        }
    }
    if (changes.empty())
        return;
    try {
        Rowset_.AnnounceRowEvent(TNERowsetEvent::RowChanged, *this);
    } catch (...) {
        for (TChange& change : changes)
            Values_[std::size_t(change.Column)].Current = std::move(change.Previous);
        throw;
    }
    Touch();
    for (const TChange& change : changes) {
        if (Rowset_.Columns(change.Column).Kind() != ckReference)
            continue;
        EngageTarget(change.Column, Values_[std::size_t(change.Column)].Current.Reference);
        ReleaseTarget(change.Column, change.Previous.Reference);
    }
}

TNERow* TNERow::TargetOf(int Column, std::int32_t RowID) const
{
    return RowID < 0 ? nullptr : Rowset_.Store().FindRow(Rowset_.Columns(Column).Size(), RowID);
}

void TNERow::EngageTarget(int Column, std::int32_t RowID)
{
    if (TNERow* target = TargetOf(Column, RowID))
        ++target->EngagedCount_;
}

void TNERow::ReleaseTarget(int Column, std::int32_t RowID)
{
    if (TNERow* target = TargetOf(Column, RowID))
        --target->EngagedCount_;
}

void TNERow::Touch()
{
    Modified_ = CurrentTimeStamp();
    Rowset_.RowModified(Modified_);
}

QString TNERow::GetText(int Column) const
{
    const int columns = Rowset_.ColumnCount();
    if (Column >= columns)
        return {};
    if (Column < 0) {
        const QString separator = QString(ListSeparator()) + u' ';
        QString text;
        for (int index = 0; index < columns; ++index) {
            if (index > 0)
                text += separator;
            text += GetText(index);
        }
        return text;
    }
    if (Rowset_.Columns(Column).Kind() == ckString)
        return ToSingleLine(Values_[std::size_t(Column)].Current.Text);
    const TNERow* target = TVisit::IsUnderWay(this) ? nullptr : GetReference(Column);
    if (!target)
        return QStringLiteral("()");
    TVisit visit(this);
    return QStringLiteral("(") + target->GetText(-1) + u')';
}

QString TNERow::GetValues() const
{
    QString values;
    for (int column = 0; column < Rowset_.ColumnCount(); ++column) {
        const TNEFieldValue& value = Values_[std::size_t(column)].Current;
        if (Rowset_.Columns(column).Kind() == ckString)
            AppendItem(values, value.Text);
        else
            AppendItem(values, value.Reference < 0 ? QString() : QString::number(value.Reference));
    }
    return values;
}

void TNERow::SetRank(std::int32_t) {}

std::int32_t TNERow_Link::Rank() const
{
    return Rowset().EffectiveOrder() == loRanked ? Rank_ : 0;
}

void TNERow_Link::SetRank(std::int32_t Value)
{
    if (Rowset().EffectiveOrder() != loRanked || Value == Rank_)
        return;
    const std::int32_t previous = Rank_;
    Rank_ = Value;
    try {
        Rowset().AnnounceRowEvent(TNERowsetEvent::RowChanged, *this);
    } catch (...) {
        Rank_ = previous;
        throw;
    }
    Touch();
}

TNERowContainer::TNERowContainer(bool OwnsRows) : Rows_(TNESplayContainer<TNERow>::TNEKeyOfMethod(&KeyOfRow), OwnsRows)
{}

TNERow* TNERowContainer::FindRow(std::int32_t ID)
{
    return Rows_.IsValidKey(ID) ? Rows_.GetItem(ID) : nullptr;
}

int CompareField(const TNERow* Left, const TNERow* Right, int Column)
{
    if (Column < 0 || Column >= ColumnCountOf(Left) || Column >= ColumnCountOf(Right))
        return 0;
    const TNEColumnKind kind = Left->Rowset().Columns(Column).Kind();
    if (kind != Right->Rowset().Columns(Column).Kind())
        return CompareLocaleText(Left->GetText(Column), Right->GetText(Column));
    if (kind == ckString)
        return CompareLocaleText(Left->GetString(Column), Right->GetString(Column));
    const TNERow* leftTarget = Left->GetReference(Column);
    const TNERow* rightTarget = Right->GetReference(Column);
    // A reference back to a row under comparison is compared by ID instead of being followed again.
    if (TVisit::IsUnderWay(leftTarget) || TVisit::IsUnderWay(rightTarget))
        return Sign(std::int64_t(Left->GetReferenceID(Column)) - Right->GetReferenceID(Column));
    return CompareRows(leftTarget, rightTarget);
}

int CompareRows(const TNERow* Left, const TNERow* Right)
{
    if (!Left || !Right)
        return int(Left != nullptr) - int(Right != nullptr);
    const TVisit visitLeft(Left);
    const TVisit visitRight(Right);
    const int columns = std::min(ColumnCountOf(Left), ColumnCountOf(Right));
    for (int column = 0; column < columns; ++column) {
        if (const int result = CompareField(Left, Right, column))
            return result;
    }
    if (const int result = Sign(ColumnCountOf(Left) - ColumnCountOf(Right)))
        return result;
    if (const int result = CompareTimeStamps(Left->Modified(), Right->Modified()))
        return Sign(result);
    return Sign(std::int64_t(Left->ID()) - Right->ID());
}
