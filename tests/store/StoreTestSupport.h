#pragma once

// Schemas and an event recorder shared by the row store's tests.

#include "foundation/NStruct.h"
#include "store/NRowset.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>
#include <map>
#include <vector>

// One column descriptor from its items.
inline QString Descriptor(const QStringList& Items)
{
    return JoinItems(Items);
}

inline QString Structure(const QList<QStringList>& Columns)
{
    QStringList descriptors;
    for (const QStringList& column : Columns)
        descriptors.append(Descriptor(column));
    return JoinItems(descriptors);
}

// The vault's logins: site name, login name, password and a multi-line note.
inline QString LoginStructure()
{
    return Structure({{"Site name", "SITE_NAME", "STR", "260"},
                      {"Login name", "LOGIN_NAME", "STR", "64"},
                      {"Password", "PASSWORD", "STR", "64"},
                      {"Note", "NOTE", "STR", "2048", "1"}});
}

inline const QString TextStructure = Structure({{"Text", "TEXT", "STR"}});

// Groups (targets) and items (sources) joined by a link rowset, with five rows each.
struct TLinked
{
    TLinked(TNELinkOrder Order, TNELinkKind Kind)
        : Groups(*Store.FindRowset(Store.CreateRowset(u"Group", u"GROUP", TextStructure, rmActive))),
          Items(*Store.FindRowset(Store.CreateRowset(u"Item", u"ITEM", TextStructure, rmActive))),
          Links(static_cast<TNERowset_Link&>(
              *Store.FindRowset(Store.CreateLinkRowset(u"Links", u"group", Order, Kind, rmActive, u" l ", u"item"))))
    {
        for (int id = 0; id < 5; ++id) {
            Groups.InsertRow({});
            Items.InsertRow({});
        }
    }
    TNERow* Item(std::int32_t ID) { return Items.FindRow(ID); }
    TNERow& Link(int Group, int Item, std::int32_t Rank = 0)
    {
        TNERow& link = *Links.FindRow(Links.InsertRow(JoinItems({QString::number(Group), QString::number(Item)})));
        static_cast<TNERow_Link&>(link).LoadRank(Rank);
        return link;
    }
    // Source ID -> link rank of the group's link rows.
    std::map<std::int32_t, std::int32_t> LinksOf(std::int32_t Group)
    {
        std::map<std::int32_t, std::int32_t> links;
        TNERowIterator rows(Links);
        for (rows.First(); !rows.IsDone(); rows.Next()) {
            if (rows.Current()->GetReferenceID(0) == Group)
                links[rows.Current()->GetReferenceID(1)] = rows.Current()->Rank();
        }
        return links;
    }

    TNEStore Store;
    TNERowset& Groups;
    TNERowset& Items;
    TNERowset_Link& Links;
};

// Reads Source's document into Target with every rowset in the mode ModeItems names ("STATIC;", or "" for none):
// only the store gives a rowset its mode, so a static rowset with rows comes from a document.
inline void ReadWithMode(TNEStore& Source, TNEStore& Target, const QString& ModeItems)
{
    QByteArray document;
    QBuffer written(&document);
    written.open(QIODevice::WriteOnly);
    TNEStoreStreamer().WriteStore(Source, written);
    document.replace("mode=\"ACTIVE;\"", "mode=\"" + ModeItems.toLatin1() + '"');
    QBuffer read(&document);
    read.open(QIODevice::ReadOnly);
    TNEStoreStreamer().ReadStore(Target, read);
}

// Pins the locale before the first comparison builds the collator, so ordering and separators are the same on
// every machine.
class TEnglishLocale : public testing::Environment
{
public:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

// Records what a rowset announces: the event and the ID of the row, read during the notification.
struct TRowsetEvents
{
    struct TEvent
    {
        TNERowsetEvent Event;
        std::int32_t RowID;
        friend bool operator==(const TEvent&, const TEvent&) = default;
    };

    explicit TRowsetEvents(TNERowset& Watched) : Rowset(&Watched)
    {
        Rowset->ObservationPoint().AddObserver({this, &TRowsetEvents::Observe});
    }
    ~TRowsetEvents()
    {
        if (Rowset)
            Rowset->ObservationPoint().RemoveObserver({this, &TRowsetEvents::Observe});
    }
    TRowsetEvents(const TRowsetEvents&) = delete;
    TRowsetEvents& operator=(const TRowsetEvents&) = delete;

    void Observe(TNERowset* Sender)
    {
        Events.push_back({Sender->LastEvent(), Sender->EventRow() ? Sender->EventRow()->ID() : -1});
        if (Sender->LastEvent() == TNERowsetEvent::Destroying)
            Rowset = nullptr;
    }

    TNERowset* Rowset;
    std::vector<TEvent> Events;
};

inline std::ostream& operator<<(std::ostream& Stream, const TRowsetEvents::TEvent& Event)
{
    return Stream << "{" << int(Event.Event) << ", " << Event.RowID << "}";
}
