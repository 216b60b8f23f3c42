#include "ui/lists/NPicker.h"

#include "foundation/NFieldList.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NDesktop.h"

#include <QEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int Margin = 8;
constexpr TNEKeyCode vkF5 = vkF1 + 4;
// The size of a picker opened from a window: this wide, three quarters of the window's height high, at least this.
constexpr int OpenedWidth = 400;
constexpr int OpenedMinimumHeight = 400;

} // namespace

TNEPickerController::TNEPickerController(TNEListView& List, TNEPicker& Picker)
    : TNEListController(List), Picker_(Picker)
{}

void TNEPickerController::ListKeyDown(TNEShortCut& Key)
{
    TNEListController::ListKeyDown(Key);
    if (Key == ShortCut(vkEnter) || Key == ShortCut(vkSpace)) {
        Key = 0;
        Picker_.OkButton()->click(); // nothing while OK is disabled
    } else if (Key == ShortCut(vkF5)) {
        Key = 0;
        Picker_.InitialIndex_ = -1;
        Picker_.Fill();
    }
}

void TNEPickerController::ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y)
{
    TNEListController::ListMouseDown(Button, Modifiers, X, Y);
    if (Button == Qt::LeftButton && ListView() && ListView()->ItemAt(X, Y) >= 0)
        Picker_.OkButton()->click();
}

TNEPicker::TNEPicker(QObject* Owner) : TNEBaseFrame(Owner)
{
    TNEForm& form = Form();
    Window_ = &form;
    form.setWindowTitle(QStringLiteral("Pick"));
    ListPanel_ = new TNEListPanel(&form);
    ListView_ = new TNEListView(ListPanel_);
    ListView_->Model().AddColumn(QString(), 0);
    const QColor listColor = ListView_->palette().color(QPalette::Base);
    for (const int glyph : {25, 24}) // not selected, selected
        AddShadedGlyph(Images_, glyph, listColor, true);
    ListView_->SetSmallImages(&Images_);
    ListController_ = std::make_unique<TNEPickerController>(*ListView_, *this);
    ListView_->SetShowColumnHeaders(false);
    ListView_->OnSelectItem = {this, &TNEPicker::SelectItem};
    SetSorted(true);
    ListPanel_->AttachList(ListView_);
    AddOkCancelButtons([this] { AcceptChoice(); });
    // The list's outline comes on top of the room the buttons need.
    form.setMinimumSize(212, 82 + ListPanel_->height() - ListPanel_->InnerHeight());
    form.installEventFilter(this);
    LayOut();
}

TNEPicker::~TNEPicker()
{
    if (Window_)
        Window_->removeEventFilter(this);
    ListController_.reset();
}

void TNEPicker::SetSorted(bool Value)
{
    Sorted_ = Value;
    if (!Value) {
        ListView_->Model().SetCompare({});
        return;
    }
    ListView_->Model().SetCompare([](const TNEListItem& Left, const TNEListItem& Right) {
        const int order = QString::localeAwareCompare(Left.Caption(), Right.Caption());
        if (order != 0)
            return order;
        return Left.Data().Number() < Right.Data().Number() ? -1 : int(Left.Data().Number() > Right.Data().Number());
    });
}

int TNEPicker::Execute(int InitialIndex, const QString& Entries)
{
    if (const TNEForm* host = FindHostForm(Owner())) {
        Form().SetPosition(fpOwnerCentered);
        Form().resize(OpenedWidth, std::max(OpenedMinimumHeight, host->height() / 4 * 3));
    }
    Entries_ = Entries;
    InitialIndex_ = InitialIndex;
    SelectedIndex_ = -1;
    Form().SetActiveControl(ListView_);
    Fill();
    ShowModal();
    const TNEListModel& model = ListView_->Model();
    const int chosen = SelectedIndex_ >= 0 && SelectedIndex_ < model.ItemCount()
                           ? int(model.Item(SelectedIndex_).Data().Number())
                           : -1;
    Entries_.clear();
    ListView_->Model().ClearItems();
    return chosen;
}

void TNEPicker::Fill()
{
    const TNEHourglass hourglass;
    TNEListModel& model = ListView_->Model();
    {
        const TNEListUpdate update(model);
        model.ClearItems();
        TNEColumnSizer sizer(*ListView_);
        int index = 0;
        for (qsizetype position = 0; position < Entries_.size(); ++index)
            sizer.MeasureItem(model.AddItem({NextItem(position, Entries_)}, TNEItemData::FromNumber(index), 0));
        sizer.ApplyWidths();
    }
    OkButton()->setEnabled(model.ItemCount() > 0);
    // The initial entry by its place in Entries, which sorting may have moved in the list.
    SelectListItem(ListView_, model.FindItemByData(TNEItemData::FromNumber(InitialIndex_)));
}

void TNEPicker::AcceptChoice()
{
    SelectedIndex_ = ListView_->FocusedItem();
    Form().accept();
}

void TNEPicker::SelectItem(int Item, bool Selected)
{
    ListView_->Model().SetItemImage(Item, Selected ? 1 : 0);
    OkButton()->setEnabled(Selected);
}

void TNEPicker::LayOut()
{
    const int clientWidth = Form().width();
    const int clientHeight = Form().height();
    ListPanel_->setGeometry(Margin, Margin, clientWidth - 2 * Margin, clientHeight - 50);
    PlaceOkCancelButtons();
}

bool TNEPicker::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Window_ && Event->type() == QEvent::Resize)
        LayOut();
    return TNEBaseFrame::eventFilter(Watched, Event);
}
