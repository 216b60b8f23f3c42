#pragma once

#include "foundation/NObserve.h"
#include "foundation/NStruct.h"
#include "store/NColumn.h"
#include "store/NRow.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TNEStore;

enum TNERowsetMode : std::uint8_t
{
    rmActive = 1,
    rmStatic = 2, // refuses inserts, deletes and new defaults
};

enum TNERowsetKind : std::uint8_t
{
    rkMaster = 1,
    rkLink = 2,
    rkView = 3,
};

// How the rows of a rowset are ordered for the user: by rank (only unique link rowsets that ask for it) or by
// their values.
enum TNELinkOrder : std::uint8_t
{
    loRanked = 1,
    loSorted = 2,
};

// The change a rowset is announcing; the numbers are what observers read from LastEvent.
enum class TNERowsetEvent : std::uint8_t
{
    None = 0,
    RowChanged = 1,
    Destroying = 2,
    RowDeleting = 3,
    RowInserted = 4,
};

// A table of a store: columns, rows keyed by ID, defaults, and the announcements through which lists and
// selections follow it. Rowsets are made and owned by their store.
class TNERowset : public TNERowContainer
{
public:
    // The highest row ID: every ID a rowset gives can be written out and read back, and NextID never overflows.
    static constexpr std::int32_t MaxRowID = 2147483646;

    // Removes the rows, then announces the destruction; observers must let go of the rowset then.
    ~TNERowset() override;

    const QString& Caption() const { return Caption_; }
    const QString& Name() const { return Name_; }
    // Store-wide ID; -1 until the store registers the rowset.
    std::int32_t ID() const { return ID_; }
    TNERowsetMode Mode() const { return Mode_; }
    TNERowsetKind Kind() const { return Kind_; }
    TNEStore& Store() const { return Store_; }
    // The latest change of any of its rows.
    const TNETimeStamp& Modified() const { return Modified_; }
    // The ID the next row inserted without one gets.
    std::int32_t NextID() const { return NextID_; }
    virtual TNELinkOrder EffectiveOrder() const { return loSorted; }

    // What is being announced, for observers; None and null outside an announcement.
    TNERowsetEvent LastEvent() const { return LastEvent_; }
    TNERow* EventRow() const { return EventRow_; }
    // True while changes are neither announced nor stamped on the rowset and the store.
    bool Silent() const { return Silent_; }
    TNEObservationPoint<TNERowset>& ObservationPoint() { return ObservationPoint_; }

    // Builds the columns from a structure string; once, before any row.
    void DefineColumns(QStringView Structure);
    QString GetStructure() const;
    void SetDefaults(QStringView Values);
    QString GetDefaults() const;
    int ColumnCount() const { return int(Columns_.size()); }
    // Raises ENEInvalidIndexErr for an index outside the columns.
    const TNEColumn& Columns(int Index) const;
    // Compared without regard to case; -1 when no column has the name.
    int IndexOfColumn(QStringView Name) const;

    // Inserts a row from a field list of values and returns its ID. An ID of 0 or more is kept (Duplicate item when
    // taken); a negative one, or one above MaxRowID, takes NextID.
    std::int32_t InsertRow(QStringView Values, std::int32_t ID = -1);
    // Raises Invalid index for a missing row and Illegal delete error for a referenced one.
    void DeleteRow(std::int32_t ID);
    // Master rowsets only: deletes every row no reference points at.
    void DeleteUnengagedRows();

protected:
    TNERowset(TNEStore& Owner, TNERowsetKind Kind, bool OwnsRows = true);

    // A new, not yet inserted row of this rowset's kind.
    virtual std::unique_ptr<TNERow> CreateRow();
    // Called before the observers hear of a change; raising refuses the change.
    virtual void ValidateChange(TNERowsetEvent Event, TNERow& Row);

    // Sets LastEvent and EventRow, lets the rowset refuse the change, notifies, resets them, and counts the change
    // in the store. Nothing happens while the rowset is silent.
    void AnnounceRowEvent(TNERowsetEvent Event, TNERow& Row);

private:
    friend class TNEStore;
    friend class TNEStoreStreamer;
    friend class TNERow;
    friend class TNERow_Link;

    // Only the store gives a rowset its mode: when it creates the rowset, and when a rowset read from a document
    // becomes static after its rows are in.
    void SetMode(TNERowsetMode Mode) { Mode_ = Mode; }

    // Holds the rowset silent for a scope.
    class TSilence
    {
    public:
        explicit TSilence(TNERowset& Rowset) : Rowset_(Rowset), Previous_(Rowset.Silent_) { Rowset_.Silent_ = true; }
        ~TSilence() { Rowset_.Silent_ = Previous_; }
        TSilence(const TSilence&) = delete;
        TSilence& operator=(const TSilence&) = delete;

    private:
        TNERowset& Rowset_;
        bool Previous_;
    };

    // Sets LastEvent and EventRow for a scope. Announcements may nest (an observer changing another row), so the
    // outer announcement's fields come back at the end.
    class TEventScope
    {
    public:
        TEventScope(TNERowset& Rowset, TNERowsetEvent Event, TNERow* Row)
            : Rowset_(Rowset), OuterEvent_(Rowset.LastEvent_), OuterRow_(Rowset.EventRow_)
        {
            Rowset_.LastEvent_ = Event;
            Rowset_.EventRow_ = Row;
        }
        ~TEventScope()
        {
            Rowset_.LastEvent_ = OuterEvent_;
            Rowset_.EventRow_ = OuterRow_;
        }
        TEventScope(const TEventScope&) = delete;
        TEventScope& operator=(const TEventScope&) = delete;

    private:
        TNERowset& Rowset_;
        TNERowsetEvent OuterEvent_;
        TNERow* OuterRow_;
    };

    // AnnounceRowEvent without counting the change, for a change that may yet be refused.
    void NotifyRowEvent(TNERowsetEvent Event, TNERow& Row);
    void CountChange();
    const TNEFieldValue* DefaultOf(int Column) const;
    std::int32_t ChooseID(std::int32_t Requested) const;
    void RowModified(const TNETimeStamp& Stamp);

    QString Caption_;
    std::vector<std::unique_ptr<TNEColumn>> Columns_;
    // Empty, or one entry per column, empty where the column has no default.
    std::vector<std::optional<TNEFieldValue>> Defaults_;
    std::int32_t NextID_ = 0;
    TNERowsetMode Mode_ = rmActive;
    QString Name_;
    TNERowsetEvent LastEvent_ = TNERowsetEvent::None;
    TNERow* EventRow_ = nullptr;
    TNEObservationPoint<TNERowset> ObservationPoint_{this};
    std::int32_t ID_ = -1;
    TNETimeStamp Modified_ = MinTimeStamp;
    TNEStore& Store_;
    bool Silent_ = false;
    TNERowsetKind Kind_;
};
