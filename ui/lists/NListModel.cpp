#include "ui/lists/NListModel.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <string.h>

// The search text of an item is one block: a 32-bit byte count, then the item's texts upper-cased, one after the
// other, each followed by a zero byte. Every UTF-16 code unit is written as UTF-8 writes a code point of that value,
// except U+0000, which takes the two bytes C0 80 (as Java's modified UTF-8 does). That form is self-synchronising
// and never holds a zero byte inside a text, so a pattern's bytes occur in the block exactly where its code units
// occur in one of the texts, never across two: a keystroke compares bytes and neither decodes nor upper-cases.

namespace {

const QString EmptyText;

void AppendSearchUnit(std::string& Bytes, char16_t Unit)
{
    if (Unit != 0 && Unit < 0x80) {
        Bytes += char(Unit);
    } else if (Unit < 0x800) {
        Bytes += char(0xC0 | (Unit >> 6));
        Bytes += char(0x80 | (Unit & 0x3F));
    } else {
        Bytes += char(0xE0 | (Unit >> 12));
        Bytes += char(0x80 | ((Unit >> 6) & 0x3F));
        Bytes += char(0x80 | (Unit & 0x3F));
    }
}

bool IsPlainAscii(const QString& Text)
{
    return std::all_of(Text.begin(), Text.end(), [](QChar Character) { return Character.unicode() - 1u < 0x7Fu; });
}

// The full Unicode upper case, the same in every locale, so a Turkish "i" still finds "I"; ASCII directly.
void AppendUpperCased(std::string& Bytes, const QString& Text)
{
    if (IsPlainAscii(Text)) {
        for (const QChar character : Text) {
            const char16_t unit = character.unicode();
            Bytes += char(unit >= u'a' && unit <= u'z' ? unit - (u'a' - u'A') : unit);
        }
        return;
    }
    for (const QChar character : Text.toUpper())
        AppendSearchUnit(Bytes, character.unicode());
}

quint32 SearchTextSize(const char* Block)
{
    quint32 size;
    std::memcpy(&size, Block, sizeof(size));
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

const QString& TNEListItem::Text(int Column) const
{
    return Column >= 0 && Column < TextCount_ ? Texts_[std::size_t(Column)] : EmptyText;
}

void TNEListItem::SetTexts(const QString* Texts, int Count)
{
    Count = std::clamp(Count, 0, int(std::numeric_limits<quint16>::max()));
    std::unique_ptr<QString[]> texts = Count > 0 ? std::make_unique<QString[]>(std::size_t(Count)) : nullptr;
    std::copy(Texts, Texts + Count, texts.get());
    Texts_ = std::move(texts);
    TextCount_ = quint16(Count);
    SearchText_.reset();
}

TNESearchPattern::TNESearchPattern(QStringView Text)
{
    Bytes_.reserve(std::size_t(Text.size()));
    for (const QChar character : Text)
        AppendSearchUnit(Bytes_, character.unicode());
}

TNEListModel::TNEListModel(QObject* Parent) : QAbstractItemModel(Parent) {}

TNEListModel::~TNEListModel() = default;

int TNEListModel::AddColumn(const QString& Caption, int Width, TNEColumnAlignment Alignment)
{
    const bool covered = StartStructureChange();
    if (!covered)
        beginResetModel();
    Columns_.push_back({Caption, std::max(Width, 0), Alignment});
    if (!covered)
        endResetModel();
    return ColumnCount() - 1;
}

void TNEListModel::ClearColumns()
{
    if (Columns_.empty())
        return;
    const bool covered = StartStructureChange();
    if (!covered)
        beginResetModel();
    Columns_.clear();
    if (!covered)
        endResetModel();
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
    SearchTextsPending_ = true;
    if (NextKey_ == 0)
        NextKey_ = 1;
    if (StartStructureChange()) {
        Items_.push_back(std::move(item));
        SortPending_ = SortPending_ || Compare_;
        return ItemCount() - 1;
    }
    const int position = Compare_ ? SortedPosition(item) : ItemCount();
    beginInsertRows({}, position, position);
    Items_.insert(Items_.begin() + position, std::move(item));
    endInsertRows();
    return position;
}

void TNEListModel::RemoveItem(int Index)
{
    (void)Items_.at(std::size_t(Index)); // refuses a position outside the list before anything is announced
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
    const bool covered = StartStructureChange();
    if (!covered)
        beginResetModel();
    Items_.clear();
    if (!covered)
        endResetModel();
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
    if (Column < item.TextCount_) {
        item.Texts_[std::size_t(Column)] = Text;
        item.SearchText_.reset();
    } else {
        QStringList texts(item.Texts_.get(), item.Texts_.get() + item.TextCount_);
        texts.resize(Column + 1);
        texts[Column] = Text;
        item.SetTexts(texts.constData(), int(texts.size()));
    }
    ItemTextsChanged(Index);
}

void TNEListModel::ItemTextsChanged(int Index)
{
    SearchTextsPending_ = true;
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
    if (!Compare_ || Items_.size() < 2)
        return;
    const std::vector<int> order = SortedOrder();
    if (std::is_sorted(order.begin(), order.end()))
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        newPosition[std::size_t(order[position])] = int(position);
    ApplyOrder(order);
    // The view's current item, selection and hot item are persistent indexes: they follow their items.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newPosition[std::size_t(old.row())], old.column()));
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
        if (sort)
            Sort();
        PrepareSearchTexts();
        return;
    }
    try {
        if (sort)
            SortWithinReset();
        PrepareSearchTexts();
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

std::vector<int> TNEListModel::SortedOrder() const
{
    std::vector<int> order(Items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int Left, int Right) {
        return Compare_(Items_[std::size_t(Left)], Items_[std::size_t(Right)]) < 0;
    });
    return order;
}

void TNEListModel::ApplyOrder(const std::vector<int>& Order)
{
    std::vector<TNEListItem> sorted;
    sorted.reserve(Items_.size());
    for (const int position : Order)
        sorted.push_back(std::move(Items_[std::size_t(position)]));
    Items_.swap(sorted);
}

void TNEListModel::SortWithinReset()
{
    if (Compare_ && Items_.size() > 1)
        ApplyOrder(SortedOrder());
}

void TNEListModel::PrepareSearchTexts() const
{
    if (!SearchTextsPending_)
        return;
    SearchTextsPending_ = false;
    for (const TNEListItem& item : Items_) {
        if (!item.SearchText_)
            BuildSearchText(item);
    }
}

void TNEListModel::BuildSearchText(const TNEListItem& Item) const
{
    SearchScratch_.clear();
    for (int column = 0; column < Item.TextCount_; ++column) {
        AppendUpperCased(SearchScratch_, Item.Texts_[std::size_t(column)]);
        SearchScratch_ += '\0';
    }
    const auto size = quint32(SearchScratch_.size());
    auto block = std::make_unique_for_overwrite<char[]>(sizeof(size) + size);
    std::memcpy(block.get(), &size, sizeof(size));
    std::memcpy(block.get() + sizeof(size), SearchScratch_.data(), size);
    Item.SearchText_ = std::move(block);
}

bool TNEListModel::ItemMatches(int Index, const TNESearchPattern& Pattern) const
{
    if (Pattern.IsEmpty() || Index < 0 || Index >= ItemCount())
        return false;
    const TNEListItem& item = Items_[std::size_t(Index)];
    if (!item.SearchText_)
        BuildSearchText(item);
    const char* block = item.SearchText_.get();
    return memmem(block + sizeof(quint32), SearchTextSize(block), Pattern.Bytes_.data(), Pattern.Bytes_.size());
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
