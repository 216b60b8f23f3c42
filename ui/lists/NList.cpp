#include "ui/lists/NList.h"

#include "ui/actions/NControl.h"
#include "ui/actions/NPixel.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <cmath>
#include <optional>

namespace {

// The room beside an item's text, which the column sizer adds to the text's width: in column 0, 2 pixels before the
// image, 3 after it and 5 after the text (5 and 5 without images); in the other columns 6 before and 8 after.
constexpr int ImageLeft = 2;
constexpr int ImageGap = 3;
constexpr int CaptionMargin = 5;
constexpr int CaptionPadding = 2 * CaptionMargin;
constexpr int SubItemLeft = 6;
constexpr int SubItemPadding = 14;

constexpr int SortArrowSize = 8;
const QColor SortArrowBack(0x7F, 0x7F, 0x7F);

QString ComponentName(const char* ClassName, const void* Instance)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(ClassName)).arg(quintptr(Instance));
}

// A black arrow drawn at 16 by 16 and reduced to 8 by 8 by the smoothing reduction, on neutral grey.
QImage MakeSortArrow(const QPolygon& Shape)
{
    QImage drawing(2 * SortArrowSize, 2 * SortArrowSize, PixelFormat);
    drawing.fill(SortArrowBack);
    {
        QPainter painter(&drawing);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::black);
        painter.drawPolygon(Shape);
    }
    QImage glyph(SortArrowSize, SortArrowSize, PixelFormat);
    Downsample(drawing, glyph, SortArrowBack);
    return glyph;
}

// The two arrows are shared by every list, each made on first use and kept for the life of the program.
const QImage& SortArrowGlyph(int Direction)
{
    if (Direction == 0) {
        static const QImage down = MakeSortArrow(QPolygon({{8, 11}, {13, 6}, {2, 6}, {7, 11}}));
        return down;
    }
    static const QImage up = MakeSortArrow(QPolygon({{7, 4}, {2, 9}, {13, 9}, {8, 4}}));
    return up;
}

// The header of a list: Qt's painting, then the sort arrow blended onto the sort column's section.
class TNEListHeader final : public QHeaderView
{
public:
    explicit TNEListHeader(const TNEListView& List) : QHeaderView(Qt::Horizontal), List_(List)
    {
        setSectionsMovable(false);
        setSectionsClickable(false);
        setStretchLastSection(false);
        setHighlightSections(false);
        setSortIndicatorShown(false);
        setMinimumSectionSize(0);
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void paintSection(QPainter* Painter, const QRect& Rect, int Section) const override
    {
        const std::optional<QPoint> arrow = ArrowPosition(Rect, Section);
        if (!arrow) {
            QHeaderView::paintSection(Painter, Rect, Section);
            return;
        }
        // The arrow is shaded onto the pixels under it, so the section is painted on an image first.
        const qreal ratio = devicePixelRatioF();
        QImage image((QSizeF(Rect.size()) * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(palette().color(QPalette::Button));
        {
            QPainter canvas(&image);
            canvas.setFont(Painter->font());
            canvas.translate(-Rect.topLeft());
            canvas.save(); // Qt's section painting leaves a clip behind
            QHeaderView::paintSection(&canvas, Rect, Section);
            canvas.restore();
            DrawGlyph(canvas, arrow->x(), arrow->y(), SortArrowGlyph(List_.SortDirection()));
        }
        Painter->drawImage(Rect.topLeft(), image);
    }

private:
    // Beside the caption, towards the free side; none on a centred column or where the arrow would not fit.
    std::optional<QPoint> ArrowPosition(const QRect& Rect, int Section) const
    {
        const TNEListModel& model = List_.Model();
        if (Section != List_.SortColumn() || Section < 0 || Section >= model.ColumnCount() ||
            Rect.height() < SortArrowSize)
            return std::nullopt;
        const TNEListColumn& column = model.Column(Section);
        if (column.Alignment == caCenter)
            return std::nullopt;
        const int textWidth = fontMetrics().horizontalAdvance(column.Caption);
        const int frame = ScreenMetrics().FrameWidth();
        const int right = Rect.left() + Rect.width();
        const int x =
            column.Alignment == caLeft ? Rect.left() + textWidth + frame + 12 : right - frame - textWidth - 20;
        if (x <= Rect.left() || x + SortArrowSize >= right)
            return std::nullopt;
        return QPoint(x, Rect.top() + (Rect.height() - SortArrowSize) / 2);
    }

    const TNEListView& List_;
};

// Paints an item's cell: Qt's background, selection and focus, then the image and the text in the list's own
// places, the text underlined while the item is hot.
class TNEListItemDelegate final : public QStyledItemDelegate
{
public:
    explicit TNEListItemDelegate(TNEListView& List) : QStyledItemDelegate(&List), List_(List) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        QStyleOptionViewItem option(Option);
        initStyleOption(&option, Index);
        option.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &option, Painter, widget);

        const TNEListItem& item = List_.Model().Item(Index.row());
        const TNEListColumn& column = List_.Model().Column(Index.column());
        QRect area = option.rect;
        if (Index.column() == 0) {
            if (const TNEImageList* images = List_.SmallImages()) {
                if (item.ImageIndex() >= 0 && item.ImageIndex() < images->Count())
                    Painter->drawImage(
                        QPoint(area.left() + ImageLeft, area.top() + (area.height() - images->Height()) / 2),
                        images->Image(item.ImageIndex()));
                area.setLeft(area.left() + ImageLeft + images->Width() + ImageGap);
            } else {
                area.setLeft(area.left() + CaptionMargin);
            }
            area.setRight(area.right() - CaptionMargin);
        } else {
            area.setLeft(area.left() + SubItemLeft);
            area.setRight(area.right() - (SubItemPadding - SubItemLeft));
        }
        if (area.width() <= 0)
            return;

        QFont font = option.font;
        font.setUnderline(Index.row() == List_.HotItem());
        const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                   : QPalette::Inactive;
        const bool selected = option.state & QStyle::State_Selected;
        Painter->save();
        Painter->setFont(font);
        Painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        // A text fits when its width in whole pixels does, as the column sizer measures it; Qt would elide a text
        // that is a fraction of a pixel too wide, and the fraction goes into the margin.
        const QFontMetrics metrics(font);
        const QString& full = item.Text(Index.column());
        const QString text = metrics.horizontalAdvance(full) <= area.width()
                                 ? full
                                 : metrics.elidedText(full, Qt::ElideRight, area.width());
        const Qt::Alignment alignment = column.Alignment == caRight    ? Qt::AlignRight
                                        : column.Alignment == caCenter ? Qt::AlignHCenter
                                                                       : Qt::AlignLeft;
        Painter->drawText(area, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip), text);
        Painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex&) const override
    {
        const TNEImageList* images = List_.SmallImages();
        return {0, std::max(Option.fontMetrics.height(), images ? images->Height() : 0) + 2};
    }

private:
    const TNEListView& List_;
};

// The character a key event types, or a null character: text typed with Ctrl, Alt or Meta is a command.
QChar TypedCharacter(const QKeyEvent& Event)
{
    if (Event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString text = Event.text();
    return text.size() == 1 ? text.front() : QChar();
}

} // namespace

TNEListView::TNEListView(QWidget* Parent) : QTreeView(Parent), Model_(new TNEListModel(this))
{
    setObjectName(ComponentName(staticMetaObject.className(), this));
    setHeader(new TNEListHeader(*this));
    setModel(Model_);
    setItemDelegate(new TNEListItemDelegate(*this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    viewport()->setMouseTracking(true);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TNEListView::ForwardSelection);
    connect(header(), &QHeaderView::sectionClicked, this, &TNEListView::ForwardColumnClick);
    connect(header(), &QHeaderView::sectionResized, this, &TNEListView::HeaderResized);
    connect(Model_, &TNEListModel::ColumnWidthChanged, this, &TNEListView::ApplyColumnWidth);
    // Connected after the view's and the selection model's own handlers, so these run last.
    connect(Model_, &QAbstractItemModel::modelAboutToBeReset, this, &TNEListView::SaveItemState);
    connect(Model_, &QAbstractItemModel::modelReset, this, &TNEListView::RestoreItemState);
    // A hot item is a position; once positions change it is found again at the next mouse move.
    const auto forgetHotItem = [this] { SetHotItem(-1); };
    connect(Model_, &QAbstractItemModel::rowsInserted, this, forgetHotItem);
    connect(Model_, &QAbstractItemModel::rowsRemoved, this, forgetHotItem);
    connect(Model_, &QAbstractItemModel::layoutChanged, this, forgetHotItem);
    connect(Model_, &QAbstractItemModel::modelReset, this, forgetHotItem);
}

TNEListView::~TNEListView()
{
    // Qt's teardown below may change the selection; the owner's handlers must not see a list half gone.
    disconnect(selectionModel(), nullptr, this, nullptr);
}

QModelIndex TNEListView::IndexOf(int Item) const
{
    return Model_->index(Item, 0);
}

int TNEListView::FocusedItem() const
{
    if (Pending_.Active)
        return Model_->FindItemKey(Pending_.FocusKey);
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TNEListView::SetFocusedItem(int Item)
{
    if (Pending_.Active) {
        Pending_.FocusKey = Model_->ItemKey(Item);
        return;
    }
    selectionModel()->setCurrentIndex(IndexOf(Item), QItemSelectionModel::NoUpdate);
}

int TNEListView::SelectedItem() const
{
    if (Pending_.Active)
        return Model_->FindItemKey(Pending_.SelectedKey);
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TNEListView::SetSelectedItem(int Item)
{
    if (Pending_.Active) {
        Pending_.SelectedKey = Model_->ItemKey(Item);
        return;
    }
    const QModelIndex index = IndexOf(Item);
    if (index.isValid())
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        selectionModel()->clearSelection();
}

void TNEListView::MakeItemVisible(int Item)
{
    if (Pending_.Active) {
        Pending_.ScrollKey = Model_->ItemKey(Item);
        return;
    }
    const QModelIndex index = IndexOf(Item);
    if (!index.isValid())
        return;
    const int horizontal = horizontalScrollBar()->value();
    scrollTo(index, QAbstractItemView::EnsureVisible);
    horizontalScrollBar()->setValue(horizontal);
}

int TNEListView::ItemAt(int X, int Y) const
{
    const QModelIndex index = indexAt(QPoint(X, Y));
    return index.isValid() ? index.row() : -1;
}

void TNEListView::SetSmallImages(TNEImageList* Images)
{
    SmallImages_ = Images;
    scheduleDelayedItemsLayout(); // the row height follows the images
    viewport()->update();
}

void TNEListView::SetHotTrack(bool Value)
{
    HotTrack_ = Value;
    if (!Value)
        SetHotItem(-1);
}

void TNEListView::SetHotItem(int Item)
{
    if (Item == HotItem_)
        return;
    for (const int row : {HotItem_, Item}) {
        const QRect area = visualRect(IndexOf(row));
        if (area.isValid())
            viewport()->update(0, area.top(), viewport()->width(), area.height());
    }
    HotItem_ = Item;
    if (Item >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

bool TNEListView::ColumnClick() const
{
    return header()->sectionsClickable();
}

void TNEListView::SetColumnClick(bool Value)
{
    header()->setSectionsClickable(Value);
}

bool TNEListView::ShowColumnHeaders() const
{
    return !isHeaderHidden();
}

void TNEListView::SetShowColumnHeaders(bool Value)
{
    setHeaderHidden(!Value);
}

void TNEListView::SetSortColumn(int Column)
{
    const int previous = SortColumn_;
    SortColumn_ = Column;
    for (const int section : {previous, Column})
        RepaintHeaderSection(section);
    SortArrowGlyph(SortDirection_);
}

void TNEListView::SetSortDirection(int Direction)
{
    SortDirection_ = Direction != 0 ? 1 : 0;
    RepaintHeaderSection(SortColumn_);
    SortArrowGlyph(SortDirection_);
}

void TNEListView::RepaintHeaderSection(int Column)
{
    if (Column >= 0 && Column < Model_->ColumnCount())
        header()->viewport()->update(header()->sectionViewportPosition(Column), 0, header()->sectionSize(Column),
                                     header()->viewport()->height());
}

void TNEListView::AutoSizeSortColumn()
{
    if (SortColumn_ < 0 || SortColumn_ >= Model_->ColumnCount())
        return;
    const TNEListColumn& column = Model_->Column(SortColumn_);
    const int needed =
        header()->fontMetrics().horizontalAdvance(column.Caption) + 2 * ScreenMetrics().FrameWidth() + 20;
    if (column.Width < needed)
        Model_->SetColumnWidth(SortColumn_, needed);
}

void TNEListView::SaveItemState()
{
    const quint32 selected = Model_->ItemKey(SelectedItem());
    Pending_ = {true, Model_->ItemKey(FocusedItem()), selected, selected, 0};
}

void TNEListView::RestoreItemState()
{
    ApplyColumnWidths();
    Pending_.Active = false;
    const int focused = Model_->FindItemKey(Pending_.FocusKey);
    const int selected = Model_->FindItemKey(Pending_.SelectedKey);
    if (focused >= 0)
        selectionModel()->setCurrentIndex(IndexOf(focused), QItemSelectionModel::NoUpdate);
    if (Pending_.SelectedKey == Pending_.SelectedBefore) {
        // The item that was selected before is selected again: nothing to announce.
        RestoringState_ = true;
        SetSelectedItem(selected);
        RestoringState_ = false;
    } else {
        const int before = Model_->FindItemKey(Pending_.SelectedBefore);
        if (before >= 0 && OnSelectItem)
            RunEventHandler([&] { OnSelectItem(before, false); });
        SetSelectedItem(selected);
    }
    if (Pending_.ScrollKey != 0)
        MakeItemVisible(Model_->FindItemKey(Pending_.ScrollKey));
}

void TNEListView::ApplyColumnWidths()
{
    for (int column = 0; column < Model_->ColumnCount(); ++column)
        header()->resizeSection(column, Model_->Column(column).Width);
}

void TNEListView::ApplyColumnWidth(int Column)
{
    if (!Pending_.Active)
        header()->resizeSection(Column, Model_->Column(Column).Width);
}

void TNEListView::HeaderResized(int Column, int, int NewWidth)
{
    // The header's sections are rebuilt during a reset; only the user's resizing is kept.
    if (!Pending_.Active && Column < Model_->ColumnCount())
        Model_->SetColumnWidth(Column, NewWidth);
}

void TNEListView::ForwardSelection(const QItemSelection& Selected, const QItemSelection& Deselected)
{
    if (RestoringState_ || !OnSelectItem)
        return;
    const auto announce = [this](const QItemSelection& Selection, bool State) {
        int last = -1;
        for (const QModelIndex& index : Selection.indexes()) {
            if (index.row() == last)
                continue;
            last = index.row();
            RunEventHandler([&] { OnSelectItem(last, State); });
        }
    };
    announce(Deselected, false);
    announce(Selected, true);
}

void TNEListView::ForwardColumnClick(int Column)
{
    if (OnColumnClick)
        RunEventHandler([&] { OnColumnClick(Column); });
}

bool TNEListView::event(QEvent* Event)
{
    // The name carries the class of the finished object, which its constructor cannot know yet.
    if (Event->type() == QEvent::Polish && objectName() == ComponentName(staticMetaObject.className(), this))
        setObjectName(ComponentName(metaObject()->className(), this));
    return QTreeView::event(Event);
}

void TNEListView::focusInEvent(QFocusEvent* Event)
{
    QTreeView::focusInEvent(Event);
    RunEventHandler([this] {
        if (Controller_)
            Controller_->ListEnter();
    });
}

void TNEListView::keyPressEvent(QKeyEvent* Event)
{
    QTreeView::keyPressEvent(Event);
    const QPointer<TNEListView> alive(this);
    RunEventHandler([&] {
        TNEShortCut key = ShortCutFromKeyEvent(*Event);
        if (key != 0 && Controller_) {
            Controller_->ListKeyDown(key);
            if (key == 0) {
                Event->accept();
                return;
            }
        }
        QChar character = TypedCharacter(*Event);
        if (!alive || !Controller_ || character.isNull())
            return;
        Controller_->ListKeyPress(character);
        if (character.isNull())
            Event->accept();
    });
}

void TNEListView::mousePressEvent(QMouseEvent* Event)
{
    QTreeView::mousePressEvent(Event);
    // Qt hands the second click of a double click over as a press when the first one changed the list (the locator
    // opened a folder); it must not act on what now lies under the mouse.
    if (Event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint at = Event->position().toPoint();
    RunEventHandler([&] {
        if (Controller_)
            Controller_->ListMouseDown(Event->button(), Event->modifiers(), at.x(), at.y());
    });
}

void TNEListView::mouseMoveEvent(QMouseEvent* Event)
{
    QTreeView::mouseMoveEvent(Event);
    const QPoint at = Event->position().toPoint();
    SetHotItem(HotTrack_ ? ItemAt(at.x(), at.y()) : -1);
}

void TNEListView::leaveEvent(QEvent* Event)
{
    QTreeView::leaveEvent(Event);
    SetHotItem(-1);
}

void TNEListView::keyboardSearch(const QString&) {}

TNEListController::TNEListController(TNEListView& List) : ListView_(&List)
{
    List.SetShowColumnHeaders(true);
    List.SetColumnClick(false);
    List.SetHotTrack(true);
    List.Controller_ = this;
}

TNEListController::~TNEListController()
{
    // Unhooked first: what the observers do while the search closes must not reach back into this controller.
    if (ListView_ && ListView_->Controller_ == this)
        ListView_->Controller_ = nullptr;
    Notify(lnDestroying);
}

void TNEListController::ListEnter()
{
    if (ListView_)
        SelectListItem(ListView_, ListView_->FocusedItem());
}

void TNEListController::ListKeyDown(TNEShortCut& Key)
{
    if (Key != FindNextShortCut)
        return;
    Key = 0;
    Notify(lnFind);
}

void TNEListController::ListKeyPress(QChar& Key)
{
    if (Key.unicode() <= u' ' || Key.category() == QChar::Other_Control)
        return;
    SetSearchValue(QString(Key));
    Key = QChar();
    Notify(lnFind);
}

void TNEListController::ListMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

void TNEListController::SetSearchText(const QString& Text)
{
    SetSearchValue(Text.toUpper());
}

void TNEListController::SetSearchValue(const QString& Text)
{
    SearchText_ = Text;
    SearchPattern_ = TNESearchPattern(SearchText_);
}

void TNEListController::ClearSearch()
{
    SetSearchValue({});
    Notify(lnCloseSearch);
}

bool TNEListController::FindNext(int StartItem, bool IncludeStart)
{
    if (!ListView_ || SearchText_.isEmpty())
        return false;
    const TNEListModel& model = ListView_->Model();
    const int first = StartItem < 0 ? 0 : StartItem + (IncludeStart ? 0 : 1);
    for (int item = first; item < model.ItemCount(); ++item) {
        if (model.ItemMatches(item, SearchPattern_)) {
            SelectListItem(ListView_, item);
            return true;
        }
    }
    return false;
}

bool TNEListController::ItemMatches(int Item) const
{
    return ListView_ && ListView_->Model().ItemMatches(Item, SearchPattern_);
}

void TNEListController::Notify(TNEListNotifyKind Kind)
{
    // A notification sent by an observer of another one (the panel closing the search while the controller is
    // destroyed) leaves the outer kind in place for the observers still to come.
    const TNEListNotifyKind outer = NotifyKind_;
    NotifyKind_ = Kind;
    try {
        ObservationPoint_.Notify();
    } catch (...) {
        NotifyKind_ = outer;
        throw;
    }
    NotifyKind_ = outer;
}

void SelectListItem(TNEListView* List, int Item)
{
    if (!List || List->Model().ItemCount() == 0)
        return;
    if (Item < 0 || Item >= List->Model().ItemCount())
        Item = 0;
    TNEListUpdate update(List->Model());
    List->SetFocusedItem(Item);
    List->SetSelectedItem(Item);
    List->MakeItemVisible(Item);
}

// Text widths in a list's font, exact, with a cheap upper bound that spares most measurements. The bound is the
// sum of the characters' own advances plus a pixel per character and one more: shaping a run of scripts without
// contextual forms moves neighbours apart by less than that (kerning mostly pulls them together, and each advance
// is rounded by less than half a pixel). Texts with other characters have no bound and are always measured.
class TNETextGauge
{
public:
    explicit TNETextGauge(const QFont& Font) : Metrics_(Font), FineMetrics_(Font), Advances_(SimpleLimit, -1) {}

    int Width(const QString& Text)
    {
        if (Text.isEmpty())
            return 0;
        if (Text.size() > CachedLength)
            return Metrics_.horizontalAdvance(Text);
        // Short texts repeat (password masks of one length, common logins); each is measured once.
        if (const auto known = Measured_.constFind(Text); known != Measured_.cend())
            return *known;
        if (Measured_.size() >= CacheSize)
            Measured_.clear();
        const int width = Metrics_.horizontalAdvance(Text);
        Measured_.insert(Text, width);
        return width;
    }

    std::optional<int> UpperBound(const QString& Text)
    {
        double sum = 0;
        for (const QChar character : Text) {
            const char16_t unit = character.unicode();
            if (!IsSimple(unit))
                return std::nullopt;
            float& advance = Advances_[unit];
            if (advance < 0)
                advance = float(FineMetrics_.horizontalAdvance(character));
            sum += advance;
        }
        return int(std::ceil(sum)) + int(Text.size()) + 1;
    }

private:
    static constexpr char16_t SimpleLimit = 0x205F;
    static constexpr qsizetype CachedLength = 32;
    static constexpr qsizetype CacheSize = 4096;

    // Latin, IPA, Greek, Cyrillic and general punctuation (bullets, dashes, quotes), without controls, combining
    // marks and invisible formatting characters.
    static bool IsSimple(char16_t Unit)
    {
        return (Unit >= 0x20 && Unit <= 0x7E) || (Unit >= 0xA0 && Unit <= 0x2FF && Unit != 0xAD) ||
               (Unit >= 0x370 && Unit <= 0x52F) || (Unit >= 0x2010 && Unit <= 0x2027) ||
               (Unit >= 0x2030 && Unit < SimpleLimit);
    }

    QFontMetrics Metrics_;
    QFontMetricsF FineMetrics_;
    std::vector<float> Advances_;
    QHash<QString, int> Measured_;
};

TNEColumnSizer::TNEColumnSizer(TNEListView& List) : List_(List), Gauge_(std::make_unique<TNETextGauge>(List.font()))
{
    const TNEListModel& model = List.Model();
    Widths_.reserve(std::size_t(model.ColumnCount()));
    for (int column = 0; column < model.ColumnCount(); ++column)
        Widths_.push_back(Gauge_->Width(model.Column(column).Caption) + 15);
}

TNEColumnSizer::~TNEColumnSizer() = default;

void TNEColumnSizer::MeasureItem(int Item)
{
    const TNEListModel& model = List_.Model();
    if (Item < 0 || Item >= model.ItemCount())
        return;
    const TNEListItem& item = model.Item(Item);
    const int imageWidth = List_.SmallImages() ? List_.SmallImages()->Width() : 0;
    for (std::size_t column = 0; column < Widths_.size(); ++column) {
        const QString& text = item.Text(int(column));
        const int padding = column == 0 ? CaptionPadding + imageWidth : SubItemPadding;
        int& width = Widths_[column];
        if (const std::optional<int> bound = Gauge_->UpperBound(text); bound && padding + *bound <= width)
            continue;
        width = std::max(width, padding + Gauge_->Width(text));
    }
}

void TNEColumnSizer::ApplyWidths()
{
    TNEListModel& model = List_.Model();
    for (std::size_t column = 0; column < Widths_.size() && int(column) < model.ColumnCount(); ++column)
        model.SetColumnWidth(int(column), Widths_[column]);
}
