#include "ui/lists/NListModel.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <string.h>

// The search text of an item is its texts upper-cased, one after the other, each followed by a zero byte; the model
// keeps those of all items in one buffer, in display order after every update that moves items. Every UTF-16 code unit
// is written as UTF-8 writes a code point of that value, except U+0000, which takes the two bytes C0 80 (as Java's
// modified UTF-8 does). That form is self-synchronising and never holds a zero byte inside a text, so a pattern's bytes
// occur in the block exactly where its code units occur in one of the texts, never across two: a keystroke compares
// bytes and neither decodes nor upper-cases.

namespace {

// Writes one code unit at Out and returns the position after it.
char* WriteSearchUnit(char* Out, char16_t Unit)
{
    if (Unit != 0 && Unit < 0x80) {
        *Out++ = char(Unit);
    } else if (Unit < 0x800) {
        *Out++ = char(0xC0 | (Unit >> 6));
        *Out++ = char(0x80 | (Unit & 0x3F));
    } else {
        *Out++ = char(0xE0 | (Unit >> 12));
        *Out++ = char(0x80 | ((Unit >> 6) & 0x3F));
        *Out++ = char(0x80 | (Unit & 0x3F));
    }
    return Out;
}

void AppendSearchUnits(std::string& Bytes, QStringView Text)
{
    const std::size_t start = Bytes.size();
    Bytes.resize(start + 3 * std::size_t(Text.size()));
    char* end = Bytes.data() + start;
    for (const QChar character : Text)
        end = WriteSearchUnit(end, character.unicode());
    Bytes.resize(std::size_t(end - Bytes.data()));
}

bool IsPlainAscii(const QString& Text)
{
    return std::all_of(Text.begin(), Text.end(), [](QChar Character) { return Character.unicode() - 1u < 0x7Fu; });
}

// The full Unicode upper case, the same in every locale, so a Turkish "i" still finds "I"; ASCII directly.
void AppendUpperCased(std::string& Bytes, const QString& Text)
{
    if (!IsPlainAscii(Text)) {
        AppendSearchUnits(Bytes, Text.toUpper());
        return;
    }
    const std::size_t start = Bytes.size();
    Bytes.resize(start + std::size_t(Text.size()));
    char* out = Bytes.data() + start;
    for (const QChar character : Text) {
        const char16_t unit = character.unicode();
        *out++ = char(unit >= u'a' && unit <= u'z' ? unit - (u'a' - u'A') : unit);
    }
}

// The bytes an item's search text takes: exact for ASCII and for the characters up to U+FFFF that stay one character
// in upper case (bullets of a password mask among them), more than enough for the others but the few that grow.
std::size_t EstimatedSearchSize(const TNEListItem& Item)
{
    std::size_t size = 0;
    for (int column = 0; column <= Item.SubItemCount(); ++column) {
        const QString& text = Item.Text(column);
        size += 1 + std::size_t(text.size()) +
                2 * std::size_t(std::count_if(text.begin(), text.end(), [](QChar C) { return C.unicode() >= 0x80; }));
    }
    return size;
}

int ClampedImageIndex(int ImageIndex)
{
    return ImageIndex >= 0 && ImageIndex <= std::numeric_limits<qint16>::max() ? ImageIndex : -1;
}

Qt::Alignment QtAlignment(TNEColumnAlignment Alignment)
{
    switch (Alignment) {
    case caRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case caCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case caLeft:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

const QString& TNEListItem::EmptyText()
{
    static const QString empty;
    return empty;
}

void TNEListItem::SetTexts(const QString* Texts, int Count)
{
    Caption_ = Count > 0 ? Texts[0] : QString();
    const int subItems = std::clamp(Count - 1, 0, int(std::numeric_limits<quint16>::max()));
    std::unique_ptr<QString[]> texts = subItems > 0 ? std::make_unique<QString[]>(std::size_t(subItems)) : nullptr;
    std::copy(Texts + 1, Texts + 1 + subItems, texts.get());
    SubItems_ = std::move(texts);
    SubItemCount_ = quint16(subItems);
}

TNESearchPattern::TNESearchPattern(QStringView Text)
{
    AppendSearchUnits(Bytes_, Text);
}

TNEListModel::TNEListModel(QObject* Parent) : QAbstractItemModel(Parent) {}

TNEListModel::~TNEListModel() = default;

template <typename Change> void TNEListModel::ChangeWithReset(Change&& Work)
{
    if (StartStructureChange()) {
        Work();
        return;
    }
    beginResetModel();
    Work();
    endResetModel();
}

int TNEListModel::AddColumn(const QString& Caption, int Width, TNEColumnAlignment Alignment)
{
    ChangeWithReset([&] { Columns_.push_back({Caption, std::max(Width, 0), Alignment}); });
    return ColumnCount() - 1;
}

void TNEListModel::ClearColumns()
{
    if (!Columns_.empty())
        ChangeWithReset([this] { Columns_.clear(); });
}

void TNEListModel::SetColumnCaption(int Index, const QString& Caption)
{
    Columns_.at(std::size_t(Index)).Caption = Caption;
    emit headerDataChanged(Qt::Horizontal, Index, Index);
}

void TNEListModel::SetColumnWidth(int Index, int Width)
{
    TNEListColumn& column = Columns_.at(std::size_t(Index));
    Width = std::max(Width, 0);
    if (column.Width == Width)
        return;
    column.Width = Width;
    emit ColumnWidthChanged(Index);
}

void TNEListModel::SetColumnAlignment(int Index, TNEColumnAlignment Alignment)
{
    Columns_.at(std::size_t(Index)).Alignment = Alignment;
    emit headerDataChanged(Qt::Horizontal, Index, Index);
    if (!Items_.empty() && !ResetStarted_)
        emit dataChanged(index(0, Index), index(ItemCount() - 1, Index), {Qt::TextAlignmentRole});
}

int TNEListModel::AddItem(const QStringList& Texts, TNEItemData Data, int ImageIndex)
{
    TNEListItem item;
    item.SetTexts(Texts.constData(), int(Texts.size()));
    item.Data_ = Data;
    item.ImageIndex_ = qint16(ClampedImageIndex(ImageIndex));
    item.Key_ = NextKey_++;
    if (NextKey_ == 0)
        NextKey_ = 1;
    if (StartStructureChange()) {
        // The update builds the search texts at its end, in display order and into a buffer sized once.
        SearchTextsPending_ = true;
        Items_.push_back(std::move(item));
        SortPending_ = SortPending_ || Compare_;
        return ItemCount() - 1;
    }
    BuildSearchText(item);
    const int position = Compare_ ? SortedPosition(item) : ItemCount();
    beginInsertRows({}, position, position);
    Items_.insert(Items_.begin() + position, std::move(item));
    endInsertRows();
    return position;
}

void TNEListModel::RemoveItem(int Index)
{
    DropSearchText(Items_.at(std::size_t(Index))); // also refuses a position outside the list
    const bool covered = StartStructureChange();
    if (!covered)
        beginRemoveRows({}, Index, Index);
    Items_.erase(Items_.begin() + Index);
    if (!covered)
        endRemoveRows();
}

void TNEListModel::ClearItems()
{
    if (Items_.empty())
        return;
    ChangeWithReset([this] {
        Items_.clear();
        std::vector<char>().swap(SearchTexts_);
        UnusedSearchBytes_ = 0;
    });
}

void TNEListModel::SetItemTexts(int Index, const QStringList& Texts)
{
    Items_.at(std::size_t(Index)).SetTexts(Texts.constData(), int(Texts.size()));
    ItemTextsChanged(Index);
}

void TNEListModel::SetItemText(int Index, int Column, const QString& Text)
{
    TNEListItem& item = Items_.at(std::size_t(Index));
    if (Column < 0)
        return;
    if (Column == 0) {
        item.Caption_ = Text;
    } else if (Column <= item.SubItemCount_) {
        item.SubItems_[std::size_t(Column - 1)] = Text;
    } else {
        QStringList texts(item.SubItems_.get(), item.SubItems_.get() + item.SubItemCount_);
        texts.prepend(item.Caption_);
        texts.resize(Column + 1);
        texts[Column] = Text;
        item.SetTexts(texts.constData(), int(texts.size()));
    }
    ItemTextsChanged(Index);
}

void TNEListModel::ItemTextsChanged(int Index)
{
    DropSearchText(Items_[std::size_t(Index)]);
    if (!ResetStarted_ && !Columns_.empty())
        emit dataChanged(index(Index, 0), index(Index, ColumnCount() - 1), {Qt::DisplayRole});
}

void TNEListModel::SetItemImage(int Index, int ImageIndex)
{
    TNEListItem& item = Items_.at(std::size_t(Index));
    const auto image = qint16(ClampedImageIndex(ImageIndex));
    if (item.ImageIndex_ == image)
        return;
    item.ImageIndex_ = image;
    if (!ResetStarted_ && !Columns_.empty())
        emit dataChanged(index(Index, 0), index(Index, 0), {Qt::DecorationRole});
}

void TNEListModel::SetItemData(int Index, TNEItemData Data)
{
    Items_.at(std::size_t(Index)).Data_ = Data;
    if (Compare_)
        Sort();
}

int TNEListModel::FindItemByData(TNEItemData Data, int Start) const
{
    for (int index = std::max(Start, 0); index < ItemCount(); ++index) {
        if (Items_[std::size_t(index)].Data_ == Data)
            return index;
    }
    return -1;
}

void TNEListModel::SetCompare(TNEItemCompare Callback)
{
    Compare_ = std::move(Callback);
    Sort();
}

void TNEListModel::Sort()
{
    if (IsUpdating()) {
        SortPending_ = true;
        return;
    }
    if (!Compare_ || Items_.size() < 2 || IsSorted())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The view's current item, selection and hot item are persistent indexes: they follow their items.
    const QModelIndexList before = persistentIndexList();
    std::vector<quint32> keys;
    keys.reserve(std::size_t(before.size()));
    for (const QModelIndex& old : before)
        keys.push_back(ItemKey(old.row()));
    SortItems();
    PackSearchTexts();
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype index = 0; index < before.size(); ++index)
        after.append(this->index(FindItemKey(keys[std::size_t(index)]), before[index].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TNEListModel::BeginUpdate()
{
    ++UpdateCount_;
}

void TNEListModel::EndUpdate()
{
    if (UpdateCount_ == 0 || --UpdateCount_ > 0)
        return;
    const bool sort = SortPending_;
    SortPending_ = false;
    if (!ResetStarted_) {
        PrepareSearchTexts();
        if (sort)
            Sort();
        return;
    }
    try {
        if (sort)
            SortItems();
        if (!PrepareSearchTexts())
            PackSearchTexts();
        if (Items_.capacity() > Items_.size() + Items_.size() / 8)
            Items_.shrink_to_fit(); // a refill grew the array by doubling
    } catch (...) {
        ResetStarted_ = false;
        endResetModel();
        throw;
    }
    ResetStarted_ = false;
    endResetModel();
}

bool TNEListModel::StartStructureChange()
{
    if (!IsUpdating())
        return false;
    if (!ResetStarted_) {
        beginResetModel();
        ResetStarted_ = true;
    }
    return true;
}

int TNEListModel::SortedPosition(const TNEListItem& Item) const
{
    const auto place = std::upper_bound(
        Items_.begin(), Items_.end(), Item,
        [this](const TNEListItem& Value, const TNEListItem& Element) { return Compare_(Value, Element) < 0; });
    return int(place - Items_.begin());
}

bool TNEListModel::IsSorted() const
{
    return std::is_sorted(Items_.begin(), Items_.end(), [this](const TNEListItem& Left, const TNEListItem& Right) {
        return Compare_(Left, Right) < 0;
    });
}

void TNEListModel::SortItems()
{
    if (!Compare_ || Items_.size() < 2)
        return;
    if (const int order = SortKeys_ ? SortKeys_->KeyOrder() : 0) {
        SortItemsByKeys(order);
        return;
    }
    std::stable_sort(Items_.begin(), Items_.end(),
                     [this](const TNEListItem& Left, const TNEListItem& Right) { return Compare_(Left, Right) < 0; });
}

void TNEListModel::SortItemsByKeys(int Order)
{
    std::vector<TNELocaleSortKey> keys;
    keys.reserve(Items_.size());
    for (const TNEListItem& item : Items_)
        keys.push_back(SortKeys_->Key(item));
    std::vector<quint32> order(Items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](quint32 Left, quint32 Right) {
        if (const int byKey = keys[Left].Compare(keys[Right]))
            return byKey * Order < 0;
        return Compare_(Items_[Left], Items_[Right]) < 0;
    });
    keys = {};
    // Each item moves once, along the cycles of the permutation, so no second array of items is needed.
    for (quint32 start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        TNEListItem held = std::move(Items_[start]);
        quint32 place = start;
        while (order[place] != start) {
            const quint32 from = order[place];
            Items_[place] = std::move(Items_[from]);
            order[place] = place;
            place = from;
        }
        Items_[place] = std::move(held);
        order[place] = place;
    }
}

bool TNEListModel::PrepareSearchTexts() const
{
    if (!SearchTextsPending_)
        return false;
    SearchTextsPending_ = false;
    bool everyItem = true;
    std::size_t needed = SearchTexts_.size();
    for (const TNEListItem& item : Items_) {
        if (item.SearchSize_ == TNEListItem::NoSearchText)
            needed += EstimatedSearchSize(item);
        else
            everyItem = false;
    }
    const bool inDisplayOrder = everyItem && SearchTexts_.empty();
    SearchTexts_.reserve(needed);
    for (const TNEListItem& item : Items_) {
        if (item.SearchSize_ == TNEListItem::NoSearchText)
            BuildSearchText(item);
    }
    return inDisplayOrder;
}

void TNEListModel::BuildSearchText(const TNEListItem& Item) const
{
    SearchScratch_.clear();
    for (int column = 0; column <= Item.SubItemCount_; ++column) {
        AppendUpperCased(SearchScratch_, Item.Text(column));
        SearchScratch_ += '\0';
    }
    // Inside an update the buffer doubles, as it is packed at the end; single changes grow it by an eighth only.
    const std::size_t needed = SearchTexts_.size() + SearchScratch_.size();
    if (needed > SearchTexts_.capacity())
        SearchTexts_.reserve(std::max(needed, SearchTexts_.size() + SearchTexts_.size() / (IsUpdating() ? 1 : 8)));
    Item.SearchOffset_ = quint32(SearchTexts_.size());
    Item.SearchSize_ = quint32(SearchScratch_.size());
    SearchTexts_.insert(SearchTexts_.end(), SearchScratch_.begin(), SearchScratch_.end());
}

void TNEListModel::DropSearchText(const TNEListItem& Item)
{
    if (Item.SearchSize_ != TNEListItem::NoSearchText)
        UnusedSearchBytes_ += Item.SearchSize_;
    Item.SearchSize_ = TNEListItem::NoSearchText;
    SearchTextsPending_ = true;
    if (!IsUpdating() && UnusedSearchBytes_ > SearchTexts_.size() / 2)
        PackSearchTexts();
}

void TNEListModel::PackSearchTexts() const
{
    std::vector<char> packed;
    packed.reserve(SearchTexts_.size() - UnusedSearchBytes_);
    for (const TNEListItem& item : Items_) {
        if (item.SearchSize_ == TNEListItem::NoSearchText)
            continue;
        const char* text = SearchTexts_.data() + item.SearchOffset_;
        item.SearchOffset_ = quint32(packed.size());
        packed.insert(packed.end(), text, text + item.SearchSize_);
    }
    SearchTexts_.swap(packed);
    UnusedSearchBytes_ = 0;
}

bool TNEListModel::ItemMatches(int Index, const TNESearchPattern& Pattern) const
{
    if (Pattern.IsEmpty() || Index < 0 || Index >= ItemCount())
        return false;
    const TNEListItem& item = Items_[std::size_t(Index)];
    if (item.SearchSize_ == TNEListItem::NoSearchText)
        BuildSearchText(item);
    return memmem(SearchTexts_.data() + item.SearchOffset_, item.SearchSize_, Pattern.Bytes_.data(),
                  Pattern.Bytes_.size());
}

quint32 TNEListModel::ItemKey(int Index) const
{
    return Index >= 0 && Index < ItemCount() ? Items_[std::size_t(Index)].Key_ : 0;
}

int TNEListModel::FindItemKey(quint32 Key) const
{
    if (Key == 0)
        return -1;
    const auto found =
        std::find_if(Items_.begin(), Items_.end(), [Key](const TNEListItem& Item) { return Item.Key_ == Key; });
    return found == Items_.end() ? -1 : int(found - Items_.begin());
}

QModelIndex TNEListModel::index(int Row, int ColumnIndex, const QModelIndex& Parent) const
{
    if (Parent.isValid() || Row < 0 || Row >= ItemCount() || ColumnIndex < 0 || ColumnIndex >= ColumnCount())
        return {};
    return createIndex(Row, ColumnIndex);
}

QModelIndex TNEListModel::parent(const QModelIndex&) const
{
    return {};
}

int TNEListModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : ItemCount();
}

int TNEListModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : ColumnCount();
}

QVariant TNEListModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= ItemCount() || Index.column() >= ColumnCount())
        return {};
    switch (Role) {
    case Qt::DisplayRole:
        return Items_[std::size_t(Index.row())].Text(Index.column());
    case Qt::TextAlignmentRole:
        return int(QtAlignment(Columns_[std::size_t(Index.column())].Alignment));
    default:
        return {};
    }
}

QVariant TNEListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= ColumnCount())
        return {};
    switch (Role) {
    case Qt::DisplayRole:
        return Columns_[std::size_t(Section)].Caption;
    case Qt::TextAlignmentRole:
        return int(QtAlignment(Columns_[std::size_t(Section)].Alignment));
    default:
        return {};
    }
}

Qt::ItemFlags TNEListModel::flags(const QModelIndex& Index) const
{
    return Index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
