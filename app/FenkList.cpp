#include "app/FenkList.h"

#include "app/FenkMain.h"
#include "foundation/NLog.h"
#include "foundation/NSecureBuffer.h"
#include "store/NLocaleText.h"
#include "store/NRowset.h"
#include "ui/platform/NDesktop.h"

#include <QScopeGuard>

namespace {

constexpr char16_t PasswordColumnName[] = u"PASSWORD";
constexpr int SelectedImage = 1;
constexpr int UnselectedImage = 0;
constexpr int LinkGlyph = 45;
constexpr TNEShortCut HelpShortCut = ShortCut(vkF1);
const QChar Bullet(0x2022);

} // namespace

TFenkList::TFenkList(QWidget* Parent) : TNEAbstractRowList(Parent)
{
    const QColor listColor = palette().color(QPalette::Base);
    AddShadedGlyph(Images(), 25, listColor, true);
    AddShadedGlyph(Images(), 24, listColor, true);
    OnColumnClick = {this, &TFenkList::ColumnClicked};
    OnSelectItem = {this, &TFenkList::SelectItem};
    Model().SetSortKeys(this);
}

TFenkList::~TFenkList()
{
    Model().SetSortKeys(nullptr);
}

void TFenkList::SetRowset(TNERowset* Rowset)
{
    TNEAbstractRowList::SetRowset(Rowset);
    PasswordColumn_ = Rowset ? Rowset->IndexOfColumn(PasswordColumnName) : -1;
}

void TFenkList::ReloadRows()
{
    if (Rowset()) {
        TNERowIterator rows(*Rowset());
        SetRowSource(&rows);
        const auto clearSource = qScopeGuard([this] { SetRowSource(nullptr); });
        TNEAbstractRowList::ReloadRows();
    } else {
        ClearRows();
    }
    AutoSizeSortColumn();
}

int TFenkList::CompareListRows(const TNERow* Left, const TNERow* Right) const
{
    int order = Left && Right ? CompareField(Left, Right, SortColumn()) : 0;
    if (order == 0)
        order = TNEAbstractRowList::CompareListRows(Left, Right);
    return SortDirection() == 1 ? order : -order;
}

int TFenkList::KeyOrder() const
{
    const int column = SortColumn();
    if (!Rowset() || column < 0 || column >= Rowset()->ColumnCount() || column == PasswordColumn_ ||
        Rowset()->Columns(column).Kind() != ckString)
        return 0;
    return SortDirection() == 1 ? 1 : -1;
}

TNELocaleSortKey TFenkList::Key(const TNEListItem& Item) const
{
    return TNELocaleSortKey(Item.Data().Pointer<const TNERow>()->GetString(SortColumn()));
}

int TFenkList::AddRowItem(TNERow* Row)
{
    if (!Row)
        return -1;
    const int item = AppendRowItem(*Row, UnselectedImage);
    if (PasswordColumn_ < 0)
        return item;
    // The item was given every text of the row, the password too (a copy of its own when the password holds a line
    // break): it keeps the mask instead, and a copy is zeroed when the holder below lets go of it last.
    const TNESecureText shown(Model().Item(item).Text(PasswordColumn_));
    try {
        Model().SetItemText(item, PasswordColumn_, SharedMask(Row->GetString(PasswordColumn_)));
    } catch (...) {
        Model().RemoveItem(item);
        throw;
    }
    return item;
}

void TFenkList::ColumnClicked(int Column)
{
    if (Controller())
        Controller()->ClearSearch();
    if (Column != SortColumn())
        SetSortColumn(Column);
    else
        SetSortDirection(1 - SortDirection());
    // The items already hold every row's texts, the very ones a refill would make: a new order is a sort of them.
    Model().Sort();
    AutoSizeSortColumn();
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
