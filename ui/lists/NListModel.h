#pragma once

#include "store/NLocaleText.h"

#include <QAbstractItemModel>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The items and columns of a list view (NList.h), kept in one array so that a list of 100,000 logins stays instant:
// no widget, QStandardItem or signal per item, a refill is one model reset, and each item keeps its texts
// upper-cased once for the find bar.

// What an item stands for, chosen by the list's owner: a pointer to something the owner keeps (a row of the row
// store; a file record that the locator frees when it clears the list) or a number (a position in a list of
// strings). The list never looks through it; equal values are the same data.
class TNEItemData
{
public:
    constexpr TNEItemData() = default;
    template <typename T> explicit TNEItemData(T* Pointer) : Value_(reinterpret_cast<quintptr>(Pointer)) {}
    static TNEItemData FromNumber(qintptr Number)
    {
        TNEItemData data;
        data.Value_ = quintptr(Number);
        return data;
    }

    template <typename T> T* Pointer() const { return reinterpret_cast<T*>(Value_); }
    qintptr Number() const { return qintptr(Value_); }

    friend bool operator==(TNEItemData, TNEItemData) = default;

private:
    quintptr Value_ = 0;
};

// One line of a list: its caption (the text of column 0), its sub-items (the texts of the following columns, and
// any beyond them), an image of the list's small images and the owner's data. Texts are QStrings shared with
// whoever made them (the row store's values), never copied; a text many items show, such as a password mask of one
// length, costs nothing per item when the owner hands every item the same QString.
class TNEListItem
{
public:
    const QString& Caption() const { return Caption_; }
    int SubItemCount() const { return SubItemCount_; }
    // An empty text for an index without a sub-item.
    const QString& SubItem(int Index) const
    {
        return Index >= 0 && Index < SubItemCount_ ? SubItems_[std::size_t(Index)] : EmptyText();
    }
    // The caption for column 0, the sub-item Column - 1 otherwise; empty when there is none.
    const QString& Text(int Column) const { return Column == 0 ? Caption_ : SubItem(Column - 1); }
    TNEItemData Data() const { return Data_; }
    // -1 for none.
    int ImageIndex() const { return ImageIndex_; }

private:
    friend class TNEListModel;

    static const QString& EmptyText();
    void SetTexts(const QString* Texts, int Count);

    static constexpr quint32 NoSearchText = 0xFFFFFFFF;

    // The caption lies in the item itself: sorting by it reads no other memory.
    QString Caption_;
    std::unique_ptr<QString[]> SubItems_;
    // Where the model keeps the texts upper-cased for the find bar (NListModel.cpp); NoSearchText until built.
    mutable quint32 SearchOffset_ = 0;
    mutable quint32 SearchSize_ = NoSearchText;
    TNEItemData Data_;
    // Tells an item apart across resets and sorting, while positions change.
    quint32 Key_ = 0;
    qint16 ImageIndex_ = -1;
    quint16 SubItemCount_ = 0;
};

// The horizontal place of a column's texts, in its cells and its header.
enum TNEColumnAlignment
{
    caLeft,
    caRight,
    caCenter,
};

struct TNEListColumn
{
    QString Caption;
    int Width = 0;
    TNEColumnAlignment Alignment = caLeft;
};

// A search text prepared once for matching many items, in the form the items keep their upper-cased texts. The
// text is taken as given: the find bar upper-cases it before (TNEListController::SetSearchText).
class TNESearchPattern
{
public:
    TNESearchPattern() = default;
    explicit TNESearchPattern(QStringView Text);

    bool IsEmpty() const { return Bytes_.empty(); }

private:
    friend class TNEListModel;
    std::string Bytes_;
};

// Orders two items: negative, zero or positive. Owners compare the items' data (row lists compare their rows) or
// texts. It must not throw; items that compare equal keep their order.
using TNEItemCompare = std::function<int(const TNEListItem& Left, const TNEListItem& Right)>;

// Collation keys for sorting a whole list, for owners whose compare callback starts with collating one text of each
// item: the keys are made once per item and sort, where the callback would collate the texts again on every
// comparison. The keys must order items as the callback does; items with equal keys are left to the callback.
class TNEItemSortKeys
{
public:
    virtual ~TNEItemSortKeys() = default;
    // 1 or -1 while the items are ordered by their keys, ascending or descending; 0 while they are not.
    virtual int KeyOrder() const = 0;
    virtual TNELocaleSortKey Key(const TNEListItem& Item) const = 0;
};

// The items and columns of one list view, in display order. An item is addressed by its position, -1 for none;
// positions stay valid while the list is unchanged. With a compare callback the items are kept sorted: an item
// added or given new data outside an update goes to its place at once, inside an update the whole list is sorted
// once when the update ends.
//
// Many changes at once go inside BeginUpdate/EndUpdate (or a TNEListUpdate): a change of the items' number or
// order there makes the whole update one model reset, after which the view finds its focused and selected items
// again.
class TNEListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit TNEListModel(QObject* Parent = nullptr);
    ~TNEListModel() override;

    // Columns. Changing their number resets the model.
    int AddColumn(const QString& Caption, int Width, TNEColumnAlignment Alignment = caLeft);
    void ClearColumns();
    int ColumnCount() const { return int(Columns_.size()); }
    const TNEListColumn& Column(int Index) const { return Columns_.at(std::size_t(Index)); }
    void SetColumnCaption(int Index, const QString& Caption);
    // Widths below 0 count as 0.
    void SetColumnWidth(int Index, int Width);
    void SetColumnAlignment(int Index, TNEColumnAlignment Alignment);

    // Items. Texts[0] is the caption, the rest are the sub-items. Returns the new item's position.
    int AddItem(const QStringList& Texts, TNEItemData Data = {}, int ImageIndex = -1);
    void RemoveItem(int Index);
    void ClearItems();
    int ItemCount() const { return int(Items_.size()); }
    const TNEListItem& Item(int Index) const { return Items_.at(std::size_t(Index)); }
    // Replaces the caption and all sub-items.
    void SetItemTexts(int Index, const QStringList& Texts);
    // Column 0 is the caption; a sub-item beyond the last one is added, with empty ones between.
    void SetItemText(int Index, int Column, const QString& Text);
    void SetItemImage(int Index, int ImageIndex);
    void SetItemData(int Index, TNEItemData Data);
    // The first item at or after Start whose data equals Data, or -1.
    int FindItemByData(TNEItemData Data, int Start = 0) const;

    // Sorting. Setting a callback sorts the items; an empty one leaves them in the order they have.
    const TNEItemCompare& Compare() const { return Compare_; }
    void SetCompare(TNEItemCompare Callback);
    // Not owned; nullptr sorts by the compare callback alone.
    void SetSortKeys(const TNEItemSortKeys* Keys) { SortKeys_ = Keys; }
    void Sort();

    // Updates nest; the outermost EndUpdate sorts, prepares the search texts and ends the reset, if any.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return UpdateCount_ > 0; }

    // True when an upper-cased text of the item (caption or sub-item) holds the pattern; false for an empty one.
    bool ItemMatches(int Index, const TNESearchPattern& Pattern) const;

    // QAbstractItemModel: a flat table, one row per item and one column per list column.
    QModelIndex index(int Row, int ColumnIndex, const QModelIndex& Parent = {}) const override;
    QModelIndex parent(const QModelIndex& Child) const override;
    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

signals:
    void ColumnWidthChanged(int Column);

private:
    friend class TNEListView;

    // What tells an item apart while its position changes; 0 is no item.
    quint32 ItemKey(int Index) const;
    int FindItemKey(quint32 Key) const;

    // A change of the items' number: inside an update it starts the update's reset, once.
    bool StartStructureChange();
    // Runs a change of the number of items or columns within the update's reset, or else within one of its own.
    template <typename Change> void ChangeWithReset(Change&& Work);
    void ItemTextsChanged(int Index);
    int SortedPosition(const TNEListItem& Item) const;
    bool IsSorted() const;
    // Sorts without announcing it.
    void SortItems();
    void SortItemsByKeys(int Order);
    // Builds the missing search texts; true when that was all of them, into an empty buffer, so that they lie in
    // display order already.
    bool PrepareSearchTexts() const;
    void BuildSearchText(const TNEListItem& Item) const;
    void DropSearchText(const TNEListItem& Item);
    // Lays the search texts out again in display order, without the ones no item uses, so that a search reads
    // them from one end to the other.
    void PackSearchTexts() const;

    std::vector<TNEListItem> Items_;
    std::vector<TNEListColumn> Columns_;
    TNEItemCompare Compare_;
    const TNEItemSortKeys* SortKeys_ = nullptr;
    int UpdateCount_ = 0;
    bool ResetStarted_ = false;
    bool SortPending_ = false;
    quint32 NextKey_ = 1;
    // The search texts of all items, one after the other, and how many of their bytes no item uses any more.
    mutable std::vector<char> SearchTexts_;
    mutable std::size_t UnusedSearchBytes_ = 0;
    // Some item has no search text since the last PrepareSearchTexts.
    mutable bool SearchTextsPending_ = false;
    // Reused while a search text is built.
    mutable std::string SearchScratch_;
};

// Holds one update of a list's items for its lifetime.
class TNEListUpdate
{
public:
    explicit TNEListUpdate(TNEListModel& Model) : Model_(Model) { Model_.BeginUpdate(); }
    ~TNEListUpdate() { Model_.EndUpdate(); }
    TNEListUpdate(const TNEListUpdate&) = delete;
    TNEListUpdate& operator=(const TNEListUpdate&) = delete;

private:
    TNEListModel& Model_;
};
