#include "store/NViewRowset.h"

#include "store/NStoreErrors.h"

TNERowset_View::TNERowset_View(TNEStore& Owner, TNERowset& Source, std::vector<TNEViewCondition> Conditions)
    : TNERowset(Owner, rkView, false), Source_(&Source), Conditions_(std::move(Conditions))
{}

TNERowset_View::~TNERowset_View()
{
    if (Source_)
        Source_->ObservationPoint().RemoveObserver({this, &TNERowset_View::SourceChanged});
}

void TNERowset_View::CheckConditions() const
{
    for (const TNEViewCondition& condition : Conditions_) {
        if (condition.Column < 0 || condition.Column >= Source_->ColumnCount())
            throw ENERowsetStructureErr();
    }
}

void TNERowset_View::Load()
{
    TNERowIterator rows(*Source_);
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        if (Matches(*rows.Current()))
            Rows_.Add(rows.Current());
    }
    Source_->ObservationPoint().AddObserver({this, &TNERowset_View::SourceChanged});
}

bool TNERowset_View::Matches(const TNERow& Row) const
{
    if (!Source_)
        return false;
    for (const TNEViewCondition& condition : Conditions_) {
        const bool isReference = Source_->Columns(condition.Column).Kind() == ckReference;
        const bool equal = isReference ? Row.GetReferenceID(condition.Column) == condition.Value.Reference
                                       : Row.GetString(condition.Column) == condition.Value.Text;
        if (!equal)
            return false;
    }
    return true;
}

std::unique_ptr<TNERow> TNERowset_View::CreateRow()
{
    throw ENEIllegalWriteErr();
}

void TNERowset_View::SourceChanged(TNERowset* Sender)
{
    TNERow* row = Sender->EventRow();
    switch (Sender->LastEvent()) {
    case TNERowsetEvent::RowInserted:
        if (Matches(*row))
            Follow(*row);
        break;
    case TNERowsetEvent::RowChanged:
        if (!Matches(*row))
            Drop(*row);
        else if (Rows_.Contains(row))
            AnnounceRowEvent(TNERowsetEvent::RowChanged, *row);
        else if (Sender->FindRow(row->ID()) == row)
            Follow(*row);
        break;
    case TNERowsetEvent::RowDeleting:
        Drop(*row);
        break;
    case TNERowsetEvent::Destroying:
        Detach();
        break;
    case TNERowsetEvent::None:
        break;
    }
}

void TNERowset_View::Follow(TNERow& Row)
{
    AnnounceRowEvent(TNERowsetEvent::RowInserted, Row);
    Rows_.Add(&Row);
}

void TNERowset_View::Drop(TNERow& Row)
{
    if (!Rows_.Contains(&Row))
        return;
    AnnounceRowEvent(TNERowsetEvent::RowDeleting, Row);
    Rows_.Remove(&Row);
}

void TNERowset_View::Detach()
{
    // The source's rows are destroyed already: they are only unlinked here, never read.
    Source_->ObservationPoint().RemoveObserver({this, &TNERowset_View::SourceChanged});
    Source_ = nullptr;
    Rows_.Clear();
}
