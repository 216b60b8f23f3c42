#include "store/NStore.h"

#include "store/NLinkRowset.h"
#include "store/NStoreErrors.h"
#include "store/NViewRowset.h"
#include "store/NVirtualRowset.h"

#include <algorithm>

namespace {

// Process-wide: rowset IDs are unique across every store of the program.
std::int32_t NextRowsetID_ = 0;
int LiveStores_ = 0;

std::int32_t KeyOfRowset(TNERowset* Rowset)
{
    return Rowset->ID();
}

// One link column descriptor: caption from the rowset's name, name "<ROLE>_<rowset>_ID", a reference to it.
QString LinkColumnDescriptor(const QString& Role, const QString& RowsetName)
{
    return JoinItems({Capitalize(RowsetName) + QStringLiteral(" ID"), Role + u'_' + RowsetName + QStringLiteral("_ID"),
                      QStringLiteral("REF"), RowsetName});
}

} // namespace

TNERowsetContainer::TNERowsetContainer() : Rowsets_(TNESplayContainer<TNERowset>::TNEKeyOfMethod(&KeyOfRowset), true) {}

TNERowset* TNERowsetContainer::FindRowset(std::int32_t ID)
{
    return Rowsets_.IsValidKey(ID) ? Rowsets_.GetItem(ID) : nullptr;
}

TNEStore::TNEStore()
{
    ++LiveStores_;
}

TNEStore::~TNEStore()
{
    ClearStore();
    --LiveStores_;
}

std::int32_t TNEStore::NextRowsetID()
{
    return NextRowsetID_;
}

int TNEStore::LiveStoreCount()
{
    return LiveStores_;
}

std::int32_t TNEStore::CreateRowset(QStringView Caption, QStringView Name, QStringView Structure, TNERowsetMode Mode)
{
    return Register(std::make_unique<TNERowset_Master>(*this), Caption, Name, Structure, Mode);
}

std::int32_t TNEStore::CreateLinkRowset(QStringView Caption, QStringView TargetName, TNELinkOrder Order,
                                        TNELinkKind LinkKind, TNERowsetMode Mode, QStringView Suffix,
                                        QStringView SourceName)
{
    // Files can name anything: a missing rowset is a structure error, not a link to nothing.
    const TNERowset* target = FindRowset(FindRowsetID(TargetName));
    const TNERowset* source = FindRowset(FindRowsetID(SourceName));
    if (!target || !source)
        throw ENERowsetStructureErr();
    const QString name = target->Name() + source->Name() + u'_' + Trim(Suffix).toUpper();
    const QString structure = JoinItems({LinkColumnDescriptor(QStringLiteral("TARGET"), target->Name()),
                                         LinkColumnDescriptor(QStringLiteral("SOURCE"), source->Name())});
    return Register(std::make_unique<TNERowset_Link>(*this, Order, LinkKind), Caption, name, structure, Mode);
}

std::int32_t TNEStore::CreateViewRowset(QStringView Caption, QStringView Name, std::int32_t SourceID,
                                        std::vector<TNEViewCondition> Conditions)
{
    TNERowset* source = FindRowset(SourceID);
    if (!source)
        throw ENERowsetStructureErr();
    auto view = std::make_unique<TNERowset_View>(*this, *source, std::move(Conditions));
    view->CheckConditions();
    TNERowset_View& registered = *view;
    const std::int32_t id = Register(std::move(view), Caption, Name, source->GetStructure(), rmStatic);
    registered.Load();
    return id;
}

std::int32_t TNEStore::Register(std::unique_ptr<TNERowset> Rowset, QStringView Caption, QStringView Name,
                                QStringView Structure, TNERowsetMode Mode)
{
    Rowset->Caption_ = Capitalize(Caption);
    Rowset->Name_ = Trim(Name).toUpper();
    Rowset->Mode_ = Mode;
    if (Rowset->Name_.isEmpty() || Mode == 0)
        throw ENERowsetStructureErr();
    Rowset->DefineColumns(Structure);
    Rowset->ID_ = NextRowsetID_;
    Rowsets_.Add(Rowset.get());
    ++NextRowsetID_;
    return Rowset.release()->ID();
}

std::int32_t TNEStore::FindRowsetID(QStringView Name)
{
    const QString wanted = Trim(Name).toUpper();
    std::int32_t found = -1;
    Rowsets_.ForEach([&](std::int32_t ID, TNERowset* Rowset, bool& Stop) {
        if (Rowset->Name().compare(wanted, Qt::CaseInsensitive) == 0) {
            found = ID;
            Stop = true;
        }
    });
    return found;
}

TNERow* TNEStore::FindRow(std::int32_t RowsetID, std::int32_t RowID)
{
    TNERowset* rowset = FindRowset(RowsetID);
    return rowset ? rowset->FindRow(RowID) : nullptr;
}

void TNEStore::ClearStore()
{
    TNERowsetIterator rowsets(*this);
    for (rowsets.Last(); !rowsets.IsDone(); rowsets.Last())
        rowsets.RemoveCurrent();
    if (LiveStores_ == 1)
        NextRowsetID_ = 0;
}

void TNEStore::NoteModified(const TNETimeStamp& Stamp)
{
    if (CompareTimeStamps(Stamp, Modified_) > 0)
        Modified_ = Stamp;
}

void TNEStore::ReleaseReferences(TNERow& Row)
{
    // Rows to delete, as rowset and row ID; the first is Row itself, which the caller deletes.
    std::vector<std::pair<TNERowset*, std::int32_t>> owned{{&Row.Rowset(), Row.ID()}};
    const auto appendOnce = [&](TNERow& Owned) {
        const std::pair<TNERowset*, std::int32_t> entry{&Owned.Rowset(), Owned.ID()};
        if (std::ranges::find(owned, entry) == owned.end())
            owned.push_back(entry);
    };
    for (std::size_t visited = 0; visited < owned.size(); ++visited) {
        const auto [rowset, id] = owned[visited];
        TNERowsetIterator rowsets(*this);
        for (rowsets.First(); !rowsets.IsDone(); rowsets.Next()) {
            if (rowsets.Current()->Kind() != rkLink)
                continue;
            auto& links = static_cast<TNERowset_Link&>(*rowsets.Current());
            if (links.SourceRowsetID() != rowset->ID() && links.TargetRowsetID() == rowset->ID()) {
                TNEVirtualRowsetLinks linked(links, id);
                if (links.LinkKind() == lkUnique) {
                    TNERowIterator sources(linked);
                    for (sources.First(); !sources.IsDone(); sources.Next())
                        appendOnce(*sources.Current());
                }
                linked.Clear();
                linked.Apply();
            } else if (links.SourceRowsetID() == rowset->ID()) {
                std::vector<std::int32_t> linkIDs;
                TNERowIterator rows(links);
                for (rows.First(); !rows.IsDone(); rows.Next()) {
                    if (rows.Current()->GetReferenceID(TNERowset_Link::SourceColumn) == id)
                        linkIDs.push_back(rows.Current()->ID());
                }
                for (auto link = linkIDs.rbegin(); link != linkIDs.rend(); ++link)
                    links.DeleteRow(*link);
            }
        }
    }
    for (std::size_t index = owned.size() - 1; index > 0; --index)
        owned[index].first->DeleteRow(owned[index].second);
}
