#include "store/NRowsetBase.h"

#include "foundation/NInteger.h"
#include "foundation/NSecureBuffer.h"
#include "store/NStore.h"
#include "store/NStoreErrors.h"

#include <algorithm>
#include <vector>

TNERowset::TNERowset(TNEStore& Owner, TNERowsetKind Kind, bool OwnsRows)
    : TNERowContainer(OwnsRows), Store_(Owner), Kind_(Kind)
{}

TNERowset::~TNERowset()
{
    Rows_.Clear();
    TEventScope scope(*this, TNERowsetEvent::Destroying, nullptr);
    ObservationPoint_.Notify();
}

void TNERowset::DefineColumns(QStringView Structure)
{
    if (!Columns_.empty() || RowCount() > 0)
        throw ENERowsetStructureErr();
    std::vector<std::unique_ptr<TNEColumn>> columns;
    qsizetype position = 0;
    while (position < Structure.size())
        columns.push_back(TNEColumn::FromDescriptor(*this, NextItem(position, Structure)));
    for (std::size_t first = 0; first < columns.size(); ++first) {
        for (std::size_t second = first + 1; second < columns.size(); ++second) {
            if (columns[first]->Name().compare(columns[second]->Name(), Qt::CaseInsensitive) == 0)
                throw ENERowsetStructureErr(QStringLiteral("Rowset structure error (duplicate column names)"));
        }
    }
    Columns_ = std::move(columns);
}

QString TNERowset::GetStructure() const
{
    QString structure;
    for (const auto& column : Columns_)
        AppendItem(structure, column->Descriptor());
    return structure;
}

void TNERowset::SetDefaults(QStringView Values)
{
    if (Mode_ == rmStatic)
        throw ENEIllegalWriteErr();
    // Only the columns that get an item change; the ones after the last item keep their defaults.
    std::vector<std::optional<TNEFieldValue>> defaults = Defaults_;
    defaults.resize(Columns_.size());
    qsizetype position = 0;
    for (std::size_t index = 0; index < Columns_.size() && position < Values.size(); ++index) {
        const TNEColumn& column = *Columns_[index];
        // The decoded value may be a password.
        const TNESecureText decoded(NextItem(position, Values));
        const QString& item = decoded.Text();
        defaults[index].reset();
        if (item.isEmpty())
            continue;
        if (column.Kind() == ckReference) {
            const std::int32_t id = ParseInteger(item, -1);
            if (id >= 0 && Store_.FindRow(column.Size(), id))
                defaults[index] = TNEFieldValue{{}, id};
        } else {
            defaults[index] = TNEFieldValue{column.FitText(item), -1};
        }
    }
    if (std::ranges::none_of(defaults, [](const auto& Default) { return Default.has_value(); }))
        defaults.clear();
    Defaults_ = std::move(defaults);
}

QString TNERowset::GetDefaults() const
{
    QString values;
    int written = 0;
    for (int index = 0; index < int(Defaults_.size()); ++index) {
        if (!Defaults_[std::size_t(index)])
            continue;
        for (; written < index; ++written)
            AppendItem(values, {});
        const TNEFieldValue& value = *Defaults_[std::size_t(index)];
        AppendItem(values,
                   Columns_[std::size_t(index)]->Kind() == ckReference ? QString::number(value.Reference) : value.Text);
        ++written;
    }
    return values;
}

const TNEColumn& TNERowset::Columns(int Index) const
{
    if (Index < 0 || Index >= ColumnCount())
        throw ENEInvalidIndexErr();
    return *Columns_[std::size_t(Index)];
}

int TNERowset::IndexOfColumn(QStringView Name) const
{
    for (int index = 0; index < ColumnCount(); ++index) {
        if (Columns_[std::size_t(index)]->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

std::int32_t TNERowset::InsertRow(QStringView Values, std::int32_t ID)
{
    if (Mode_ == rmStatic)
        throw ENEIllegalWriteErr();
    std::unique_ptr<TNERow> row = CreateRow();
    qsizetype position = 0;
    for (int index = 0; index < ColumnCount(); ++index) {
        const TNEColumn& column = *Columns_[std::size_t(index)];
        // The decoded value may be a password.
        TNESecureText decoded(NextItem(position, Values));
        const QString& item = decoded.Text();
        const TNEFieldValue* fallback = DefaultOf(index);
        if (column.Kind() == ckReference) {
            const std::int32_t id = ParseInteger(item, fallback ? fallback->Reference : -1);
            row->SetReference(index, id >= 0 ? Store_.FindRow(column.Size(), id) : nullptr);
        } else if (item.isEmpty() && fallback) {
            row->SetString(index, QStringView(fallback->Text));
        } else {
            // The decoded text goes into the row as it is, so no copy of it is left behind unzeroed.
            row->SetString(index, decoded.Take());
        }
    }
    {
        TSilence silence(*this);
        row->Post();
    }
    // The ID is checked before anyone hears of the row: a refused row is never announced.
    const std::int32_t id = ChooseID(ID);
    if (Rows_.IsValidKey(id))
        throw ENEDuplicateItemErr();
    row->ID_ = id;
    TNERow& inserted = *row;
    try {
        NotifyRowEvent(TNERowsetEvent::RowInserted, inserted);
        // An observer may have given the ID to a row of its own meanwhile: then the container refuses this one.
        Rows_.Add(&inserted);
    } catch (...) {
        // Observers called before the refusing one hold the row: they hear that it goes. It never was in the
        // rowset, so no change is counted; leaving this scope frees it and releases the rows it references.
        NotifyRowEvent(TNERowsetEvent::RowDeleting, inserted);
        throw;
    }
    row.release();
    inserted.Touch();
    CountChange();
    NextID_ = std::max(NextID_, id + 1);
    return id;
}

std::int32_t TNERowset::ChooseID(std::int32_t Requested) const
{
    if (Requested >= 0 && Requested <= MaxRowID)
        return Requested;
    if (NextID_ > MaxRowID)
        throw ENEInvalidIndexErr();
    return NextID_;
}

void TNERowset::DeleteRow(std::int32_t ID)
{
    if (Mode_ == rmStatic)
        throw ENEIllegalWriteErr();
    TNERow* row = FindRow(ID);
    if (!row)
        throw ENEInvalidIndexErr();
    if (row->EngagedCount() > 0)
        throw ENEIllegalDeleteErr();
    AnnounceRowEvent(TNERowsetEvent::RowDeleting, *row);
    row->Touch();
    Rows_.Remove(row);
}

void TNERowset::DeleteUnengagedRows()
{
    if (Kind_ != rkMaster || Mode_ == rmStatic)
        return;
    std::vector<std::int32_t> unengaged;
    TNERowIterator rows(*this);
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        if (rows.Current()->EngagedCount() == 0)
            unengaged.push_back(rows.Current()->ID());
    }
    for (const std::int32_t id : unengaged)
        DeleteRow(id);
}

std::unique_ptr<TNERow> TNERowset::CreateRow()
{
    return std::make_unique<TNERow>(*this);
}

void TNERowset::ValidateChange(TNERowsetEvent, TNERow&) {}

void TNERowset::AnnounceRowEvent(TNERowsetEvent Event, TNERow& Row)
{
    NotifyRowEvent(Event, Row);
    CountChange();
}

void TNERowset::NotifyRowEvent(TNERowsetEvent Event, TNERow& Row)
{
    if (Silent_)
        return;
    TEventScope scope(*this, Event, &Row);
    ValidateChange(Event, Row);
    ObservationPoint_.Notify();
}

void TNERowset::CountChange()
{
    // A view announces changes of rows its source announced already.
    if (!Silent_ && Kind_ != rkView)
        Store_.CountChange();
}

const TNEFieldValue* TNERowset::DefaultOf(int Column) const
{
    if (Defaults_.empty() || !Defaults_[std::size_t(Column)])
        return nullptr;
    return &*Defaults_[std::size_t(Column)];
}

void TNERowset::RowModified(const TNETimeStamp& Stamp)
{
    if (Silent_)
        return;
    if (CompareTimeStamps(Stamp, Modified_) > 0)
        Modified_ = Stamp;
    Store_.NoteModified(Stamp);
}
