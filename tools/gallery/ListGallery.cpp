#include "tools/gallery/ListGallery.h"

#include "foundation/NLog.h"
#include "ui/actions/NActionButton.h"

#include <QApplication>
#include <QKeyEvent>

#include <array>

namespace {

constexpr int ItemCount = 1000;

const std::array Sites = {u"accounts.example.org", u"bank of northfield", u"mail.riverside.net",  u"alpine-books.com",
                          u"zephyr cloud storage", u"metro transit card", u"forum.linuxcraft.io", u"city library",
                          u"grocer online",        u"photo archive",      u"tax office portal",   u"workshop wiki"};
const std::array Logins = {u"anna.berg", u"j.moreau@mailbox.org",      u"tomas_k", u"elif.yilmaz",
                           u"r.santos",  u"nina.petrova@post.example", u"oskar",   u"mei.lin"};
const std::array Notes = {
    u"", u"", u"security question: first school", u"", u"renew card in March", u"", u"shared with the family", u""};

template <typename Texts> QString Pick(const Texts& Choices, int Index)
{
    return QString::fromUtf16(Choices[std::size_t(Index) % Choices.size()]);
}

} // namespace

TListGalleryForm::TListGalleryForm()
{
    setWindowTitle(QStringLiteral("Fenk list gallery"));
    const TNEActionHandler report{this, &TListGalleryForm::Report};
    RowActions_.SetActionLock(&Lock_);
    RowActions_.AddAction(64, QStringLiteral("Copy"), report, ShortCut('C', scCtrl),
                          QStringLiteral("Copy password in the current row to clipboard"));
    RowActions_.AddAction(27, QStringLiteral("Insert..."), report, ShortCut(vkInsert), QStringLiteral("Insert row"));
    RowActions_.AddAction(28, QStringLiteral("Edit..."), report, ShortCut(vkF1 + 1), QStringLiteral("Edit row"));
    RowActions_.AddAction(29, QStringLiteral("Delete"), report, ShortCut(vkDelete), QStringLiteral("Delete row"));

    Panel_ = std::make_unique<TNEListPanel>(this);
    List_ = new TNEListView(Panel_.get());
    const QColor listColor = List_->palette().color(QPalette::Base);
    AddShadedGlyph(Images_, 25, listColor, true);
    AddShadedGlyph(Images_, 24, listColor, true);
    List_->SetSmallImages(&Images_);
    for (const char* caption : {"Site name", "Login name", "Password", "Note"})
        List_->Model().AddColumn(QString::fromLatin1(caption), 27);
    Controller_ = std::make_unique<TNEListController>(*List_);
    List_->SetColumnClick(true);
    List_->SetSortDirection(1);
    List_->SetSortColumn(0);
    List_->OnColumnClick = {this, &TListGalleryForm::ColumnClicked};
    List_->OnSelectItem = {this, &TListGalleryForm::SelectItem};
    List_->Model().SetCompare([this](const TNEListItem& Left, const TNEListItem& Right) {
        int order = QString::localeAwareCompare(Left.Text(List_->SortColumn()), Right.Text(List_->SortColumn()));
        if (order == 0)
            order = int(Left.Data().Number() - Right.Data().Number());
        return List_->SortDirection() == 1 ? order : -order;
    });

    RowToolBar_ = new TNEActionToolBar;
    RowActions_.BuildToolBar(*RowToolBar_);
    Panel_->AttachList(List_, RowToolBar_);
    Fill();
    resize(760, 440);
}

void TListGalleryForm::resizeEvent(QResizeEvent* Event)
{
    TNEForm::resizeEvent(Event);
    Panel_->setGeometry(8, 8, width() - 16, height() - 16);
}

void TListGalleryForm::Fill()
{
    TNEListModel& model = List_->Model();
    TNEListUpdate update(model);
    model.ClearItems();
    TNEColumnSizer sizer(*List_);
    for (int index = 0; index < ItemCount; ++index) {
        const QString site = Pick(Sites, index) + (index < int(Sites.size()) ? QString() : QString::number(index));
        const QString mask(8 + index % 9, QChar(0x2022));
        // Neighbours in the sorted list differ by 12, so their logins and notes follow from index / 12.
        const QStringList texts{site, Pick(Logins, index / 12), mask, Pick(Notes, index / 12 * 3)};
        sizer.MeasureItem(model.AddItem(texts, TNEItemData::FromNumber(index), 0));
    }
    sizer.ApplyWidths();
    List_->AutoSizeSortColumn();
}

void TListGalleryForm::ColumnClicked(int Column)
{
    Controller_->ClearSearch();
    if (Column == List_->SortColumn())
        List_->SetSortDirection(1 - List_->SortDirection());
    else
        List_->SetSortColumn(Column);
    Fill();
    SelectListItem(List_, -1);
}

void TListGalleryForm::SelectItem(int Item, bool Selected)
{
    List_->Model().SetItemImage(Item, Selected ? 1 : 0);
}

void TListGalleryForm::Report(QObject*)
{
    ShowNotice(QStringLiteral("A command ran."), 0, true);
}

void TListGalleryForm::ShowList()
{
    List_->setFocus();
    SelectListItem(List_, 2);
}

void TListGalleryForm::ShowSearch()
{
    ShowList();
    Type(QStringLiteral("zep"));
}

void TListGalleryForm::Type(const QString& Text)
{
    for (const QChar character : Text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (character.unicode() - u'a'), Qt::NoModifier, QString(character));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
}
