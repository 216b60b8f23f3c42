#include "app/FenkList.h"

#include "app/FenkMain.h"
#include "foundation/NLog.h"
#include "store/NRowset.h"
#include "ui/platform/NDesktop.h"

namespace {

constexpr char16_t PasswordColumnName[] = u"PASSWORD";
constexpr int SelectedImage = 1;
constexpr int UnselectedImage = 0;
constexpr int LinkGlyph = 45;
constexpr TNEShortCut HelpShortCut = ShortCut(vkF1);
const QChar Bullet(0x2022);

} // namespace

TFenkList::TFenkList(QWidget* Parent) : TNEListView(Parent)
{
    const QColor listColor = palette().color(QPalette::Base);
    AddShadedGlyph(Images_, 25, listColor, true);
    AddShadedGlyph(Images_, 24, listColor, true);
    SetSmallImages(&Images_);
    Model().SetCompare([this](const TNEListItem& Left, const TNEListItem& Right) {
        return CompareListRows(Left.Data().Pointer<TNERow>(), Right.Data().Pointer<TNERow>());
    });
    OnColumnClick = {this, &TFenkList::ColumnClicked};
    OnSelectItem = {this, &TFenkList::SelectItem};
}

TFenkList::~TFenkList() = default;

void TFenkList::SetRowset(TNERowset* Rowset)
{
    TNEListUpdate update(Model());
    Model().ClearItems();
    Model().ClearColumns();
    Rowset_ = Rowset;
    PasswordColumn_ = Rowset ? Rowset->IndexOfColumn(PasswordColumnName) : -1;
    if (!Rowset)
        return;
    for (int column = 0; column < Rowset->ColumnCount(); ++column)
        Model().AddColumn(Rowset->Columns(column).Caption(), 27);
}

void TFenkList::ReloadRows()
{
    {
        TNEHourglass hourglass;
        TNEListUpdate update(Model());
        Model().ClearItems();
        TNEColumnSizer sizer(*this);
        if (Rowset_) {
            TNERowIterator rows(*Rowset_);
            for (rows.First(); !rows.IsDone(); rows.Next())
                sizer.MeasureItem(AddRowItem(*rows.Current()));
        }
        sizer.ApplyWidths();
    }
    AutoSizeSortColumn();
}

int TFenkList::CompareListRows(const TNERow* Left, const TNERow* Right) const
{
    int order = Left && Right ? CompareField(Left, Right, SortColumn()) : 0;
    if (order == 0)
        order = CompareRows(Left, Right);
    return SortDirection() == 1 ? order : -order;
}

int TFenkList::AddRowItem(TNERow& Row)
{
    QStringList texts;
    const int columns = Row.Rowset().ColumnCount();
    for (int column = 0; column < columns; ++column)
        texts.append(column == PasswordColumn_ ? SharedMask(Row.GetString(column)) : Row.GetText(column));
    return Model().AddItem(texts, TNEItemData(&Row), UnselectedImage);
}

TNERow* TFenkList::ItemRow(int Item) const
{
    return Item >= 0 && Item < Model().ItemCount() ? Model().Item(Item).Data().Pointer<TNERow>() : nullptr;
}

void TFenkList::DeleteCurrentRow()
{
    TNERow* row = ItemRow(FocusedItem());
    if (!row)
        return;
    if (row->EngagedCount() > 0) {
        ShowWarning(QStringLiteral("A referenced row cannot be deleted"));
        return;
    }
    const int item = FocusedItem();
    row->Rowset().DeleteRow(row->ID());
    Model().RemoveItem(item);
    SelectListItem(this, std::min(item, Model().ItemCount() - 1));
}

void TFenkList::ColumnClicked(int Column)
{
    if (Controller())
        Controller()->ClearSearch();
    if (Column != SortColumn())
        SetSortColumn(Column);
    else
        SetSortDirection(1 - SortDirection());
    ReloadRows();
    SelectListItem(this, -1);
}

QString TFenkList::PasswordMask(const QString& Password)
{
    qsizetype characters = 0;
    for (qsizetype i = 0; i < Password.size(); ++i) {
        if (!(Password[i].isHighSurrogate() && i + 1 < Password.size() && Password[i + 1].isLowSurrogate()))
            ++characters;
    }
    return QString(characters, Bullet);
}

const QString& TFenkList::SharedMask(const QString& Password)
{
    QString mask = PasswordMask(Password);
    const std::size_t length = std::size_t(mask.size());
    if (Masks_.size() <= length)
        Masks_.resize(length + 1);
    if (Masks_[length].size() != mask.size())
        Masks_[length] = std::move(mask);
    return Masks_[length];
}

void TFenkList::SelectItem(int Item, bool Selected)
{
    Model().SetItemImage(Item, Selected ? SelectedImage : UnselectedImage);
}

TFenkCtrl::TFenkCtrl(TFenkList& List, TFenkForm& Form) : TNEListController(List), Form_(Form)
{
    List.SetColumnClick(true);
    List.SetSortDirection(1);
    List.SetSortColumn(0);
}

void TFenkCtrl::ListKeyDown(TNEShortCut& Key)
{
    TNEListController::ListKeyDown(Key);
    if (Key != 0 && Form_.FileActions().ExecuteShortCut(Key))
        Key = 0;
    if (Key != 0 && Form_.RowActions().ExecuteShortCut(Key))
        Key = 0;
    if ((Key == ShortCut(vkEnter) || Key == ShortCut(vkSpace)) && Form_.Document().Crypt().HasKey()) {
        Key = 0;
        Form_.RowActions().ExecuteAction(ListView(), {&Form_, &TFenkForm::EditRow});
    }
}

void TFenkCtrl::ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y)
{
    TNEListController::ListMouseDown(Button, Modifiers, X, Y);
    if (Button == Qt::LeftButton && Form_.Document().Crypt().HasKey() && ListView() && ListView()->ItemAt(X, Y) >= 0)
        Form_.RowActions().ExecuteAction(ListView(), {&Form_, &TFenkForm::EditRow});
}

TNEFenkToolStrip::TNEFenkToolStrip(TFenkForm& Form, QWidget* Parent)
    : TNEToolStrip(Parent), Form_(Form), Filler_(new TNEToolStripFiller), Splitter_(new TNEToolStripSplitter),
      LinkButton_(new TNEToolStripButton)
{
    LinkButton_->OnExecute = {&Form_, &TFenkForm::VisitMakerSite};
    LinkButton_->SetCaption(QStringLiteral("Orvendale"));
    LinkButton_->SetGlyph(LinkGlyph);
    LinkButton_->setToolTip(QStringLiteral("Visit Orvendale (%1)").arg(ShortCutToText(HelpShortCut)));
    AddControl(Filler_);
    AddControl(Splitter_);
    AddControl(LinkButton_);
}

void TNEFenkToolStrip::LayOut()
{
    Filler_->resize(std::max(width() - 4 - Splitter_->width() - 1 - LinkButton_->width() - 1, 0), Filler_->height());
    ArrangeControls();
}

bool TNEFenkToolStrip::HandleShortCut(TNEShortCut ShortCut)
{
    if (TNEToolStrip::HandleShortCut(ShortCut))
        return true;
    if (ShortCut != HelpShortCut)
        return false;
    ExecuteLocked(ActionLock(), {&Form_, &TFenkForm::VisitMakerSite}, this);
    return true;
}
