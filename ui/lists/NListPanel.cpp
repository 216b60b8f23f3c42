#include "ui/lists/NListPanel.h"

#include "ui/actions/NToolStrip.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NForm.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int FindBarHeight = 29;
constexpr int FindNextGlyph = 45;
constexpr int CloseSearchGlyph = 23;
constexpr TNEKeyCode vkF5 = vkF1 + 4;
// Joins the side outline to the find bar's corner: the outline colour as the panels have it by default.
const QColor CornerColor(0x71, 0x7C, 0x88);

} // namespace

TNEListPanel::TNEListPanel(QWidget* Parent)
    : TNEOutlinePanel(Parent), ActionLock_(new TNEActionLock(this)), FindBar_(new TNEBasePanel(this)),
      FindLabel_(new QLabel(QStringLiteral("Find:"), FindBar_)), FindEdit_(new TNEOpaqueEdit(FindBar_)),
      FindNextButton_(new TNEToolStripButton(FindBar_)), CloseButton_(new TNEToolStripButton(FindBar_))
{
    FindBar_->setGeometry(1, 1, std::max(width() - 2, 0), FindBarHeight);
    FindBar_->hide();
    FindLabel_->adjustSize();
    FindLabel_->move(8, 0);
    FindEdit_->setGeometry(FindLabel_->width() + 16, 3, 0, 21);
    CenterVertically(*FindEdit_, *FindLabel_);
    connect(FindEdit_, &QLineEdit::textChanged, this, [this] { RunEventHandler([this] { FindEditChanged(); }); });

    FindNextButton_->SetGlyph(FindNextGlyph);
    FindNextButton_->setToolTip(QStringLiteral("Find next (%1)").arg(ShortCutToText(FindNextShortCut)));
    FindNextButton_->move(FindNextButton_->x(), 1);
    FindNextButton_->SetButtonEnabled(false);
    FindNextButton_->OnExecute = {this, &TNEListPanel::FindNextClicked};
    FindNextButton_->SetActionLock(ActionLock_);
    CloseButton_->SetGlyph(CloseSearchGlyph);
    CloseButton_->setToolTip(QStringLiteral("Close search (%1)").arg(ShortCutToText(ShortCut(vkEscape))));
    CloseButton_->move(CloseButton_->x(), 1);
    CloseButton_->OnExecute = {this, &TNEListPanel::CloseClicked};
    CloseButton_->SetActionLock(ActionLock_);
}

TNEListPanel::~TNEListPanel()
{
    StopObserving();
    UndoHooks();
}

bool TNEListPanel::IsSearchOpen() const
{
    return !FindBar_->isHidden();
}

void TNEListPanel::AttachList(TNEListView* List, QWidget* SideControl)
{
    CloseFindBar();
    StopObserving();
    if (ListView_ && ListView_ != List) {
        ListView_->hide();
        ListView_->setParent(nullptr);
    }
    ListView_ = List;
    if (SideControl_) {
        SideControl_->hide();
        SideControl_->setParent(nullptr);
    }
    SideOutline_.reset();
    SideControl_ = SideControl;

    int left = 1;
    if (SideControl) {
        SideOutline_ = std::make_unique<TNEOutlinePanel>(this);
        SideOutline_->move(1, 1);
        SideOutline_->SetOutline(osRight);
        SideOutline_->SetInnerWidth(SideControl->width());
        SideOutline_->SetClient(SideControl);
        SideControl->show();
        SideOutline_->show();
        left = SideOutline_->width() + 1;
        setTabOrder(SideOutline_.get(), FindEdit_);
    }
    FindBar_->move(left, 1);
    if (List) {
        if (List->parentWidget() != this)
            List->setParent(this);
        List->move(left, 1);
        List->setFrameShape(QFrame::NoFrame);
        List->show();
        setTabOrder(FindEdit_, List);
    }
    LayOut();

    if (List && List->Controller()) {
        ObservedController_ = List->Controller();
        ObservedController_->ClearSearch();
        ObservedController_->ObservationPoint().AddObserver({this, &TNEListPanel::ControllerNotified});
    }
}

void TNEListPanel::LayOut()
{
    const int innerWidth = InnerWidth();
    const int innerHeight = InnerHeight();
    const int sideWidth = SideOutline_ ? SideOutline_->width() : 0;
    int contentTop = FindBar_->y();
    int contentHeight = innerHeight;
    int sideHeight = innerHeight;
    if (IsSearchOpen()) {
        FindBar_->resize(std::max(innerWidth - sideWidth, 0), FindBarHeight);
        const int barWidth = FindBar_->width();
        FindEdit_->resize(std::max(barWidth - FindEdit_->x() - 54, 0), FindEdit_->height());
        CloseButton_->move(barWidth - 27, CloseButton_->y());
        FindNextButton_->move(barWidth - 53, FindNextButton_->y());
        contentTop = FindBar_->y() + FindBar_->height();
        contentHeight = innerHeight - (FindBar_->y() - 1) - FindBar_->height();
        sideHeight = innerHeight - FindBar_->height();
    }
    if (SideOutline_) {
        SideOutline_->setGeometry(1, contentTop, sideWidth, std::max(sideHeight, 0));
        SideOutline_->AlignClient(); // at once, also while the panel is not shown yet
    }
    if (ListView_)
        ListView_->setGeometry(ListView_->x(), contentTop, std::max(innerWidth - sideWidth, 0),
                               std::max(contentHeight, 0));
}

void TNEListPanel::resizeEvent(QResizeEvent* Event)
{
    TNEOutlinePanel::resizeEvent(Event);
    LayOut();
}

void TNEListPanel::paintEvent(QPaintEvent* Event)
{
    TNEOutlinePanel::paintEvent(Event);
    if (SideOutline_ && SideOutline_->isVisible() && IsSearchOpen())
        QPainter(this).fillRect(SideOutline_->width(), FindBar_->height(), 1, 1, CornerColor);
}

void TNEListPanel::ControllerNotified(TNEListController* Controller)
{
    switch (Controller->NotifyKind()) {
    case lnDestroying:
        Controller->ClearSearch();
        StopObserving();
        break;
    case lnFind:
        OpenFindBar();
        break;
    case lnCloseSearch:
        CloseFindBar();
        break;
    case lnNone:
        break;
    }
}

void TNEListPanel::StopObserving()
{
    if (ObservedController_)
        ObservedController_->ObservationPoint().RemoveObserver({this, &TNEListPanel::ControllerNotified});
    ObservedController_ = nullptr;
}

void TNEListPanel::OpenFindBar()
{
    if (!ListView_ || !ObservedController_)
        return;
    if (!IsSearchOpen()) {
        FindBar_->show();
        LayOut();
        update();
        if (const int focused = ListView_->FocusedItem(); focused >= 0)
            ListView_->MakeItemVisible(focused);
        SavedSelectHandler_ = ListView_->OnSelectItem;
        ListView_->OnSelectItem = {this, &TNEListPanel::ListSelectItem};
        SelectionHooked_ = true;
        Form_ = TNEForm::FormOf(this);
        if (Form_ && !InFormChain_) {
            SavedFormKeyDown_ = Form_->OnKeyDown;
            SavedKeyPreview_ = Form_->KeyPreview();
            Form_->OnKeyDown = {this, &TNEListPanel::FormKeyDown};
            InFormChain_ = true;
        }
        if (Form_)
            Form_->SetKeyPreview(true);
    }
    if (Form_)
        Form_->SetActiveControl(FindEdit_);
    else
        FindEdit_->setFocus(Qt::OtherFocusReason);
    // Setting the text searches through the change handler; the same text again searches all the same.
    const QString text = ObservedController_->SearchText();
    if (FindEdit_->text() == text)
        FindEditChanged();
    else
        FindEdit_->setText(text);
    FindEdit_->setCursorPosition(int(text.size()));
}

void TNEListPanel::CloseFindBar()
{
    if (!IsSearchOpen())
        return;
    // Hiding the focused edit would send the focus to whatever control comes next; the list takes it instead.
    const QWidget* focus = QApplication::focusWidget();
    const bool focusInBar = focus && FindBar_->isAncestorOf(focus);
    if (ListView_ && (focusInBar || (Form_ && !Form_->ActiveControl()))) {
        if (Form_)
            Form_->SetActiveControl(ListView_);
        else
            ListView_->setFocus(Qt::OtherFocusReason);
    }
    FindBar_->hide();
    LayOut();
    update();
    UndoHooks();
    FindEdit_->clear();
}

void TNEListPanel::UndoHooks()
{
    if (SelectionHooked_ && ListView_ &&
        ListView_->OnSelectItem == TNEMethod<void(int, bool)>(this, &TNEListPanel::ListSelectItem))
        ListView_->OnSelectItem = SavedSelectHandler_;
    SelectionHooked_ = false;
    SavedSelectHandler_ = {};
    // A form being destroyed no longer casts to TNEForm: its handler and key preview are gone with it.
    auto* form = qobject_cast<TNEForm*>(static_cast<QObject*>(Form_.data()));
    if (form && !(form->OnKeyDown == TNEMethod<void(TNEShortCut&)>(this, &TNEListPanel::FormKeyDown)))
        return; // another find bar of the form hooked after this one and calls it on: it keeps passing keys on
    if (form) {
        form->OnKeyDown = SavedFormKeyDown_;
        form->SetKeyPreview(SavedKeyPreview_);
    }
    Form_ = nullptr;
    SavedFormKeyDown_ = {};
    InFormChain_ = false;
}

void TNEListPanel::FindEditChanged()
{
    if (!IsSearchOpen() || !ObservedController_ || !ListView_)
        return;
    ObservedController_->SetSearchText(FindEdit_->text());
    FindNextButton_->SetButtonEnabled(ObservedController_->FindNext(ListView_->FocusedItem(), true));
}

void TNEListPanel::FindNext()
{
    if (ObservedController_ && ListView_)
        FindNextButton_->SetButtonEnabled(ObservedController_->FindNext(ListView_->FocusedItem(), false));
}

void TNEListPanel::FindNextClicked(QObject*)
{
    FindNext();
}

void TNEListPanel::CloseClicked(QObject*)
{
    if (ObservedController_)
        ObservedController_->ClearSearch();
    else
        CloseFindBar();
}

void TNEListPanel::ListSelectItem(int Item, bool Selected)
{
    FindNextButton_->SetButtonEnabled(true);
    if (SavedSelectHandler_)
        SavedSelectHandler_(Item, Selected);
}

void TNEListPanel::FormKeyDown(TNEShortCut& Key)
{
    // Closing the search puts the saved handler back, so it is taken first.
    const TNEMethod<void(TNEShortCut&)> saved = SavedFormKeyDown_;
    if (!IsSearchOpen()) {
        // Closed while another find bar had hooked after it, and on top again now: it leaves the form's chain.
        UndoHooks();
        if (saved)
            saved(Key);
        return;
    }
    bool hidden = false;
    if (ShortCutModifiers(Key) == 0) {
        switch (ShortCutKey(Key)) {
        case ShortCutKey(FindNextShortCut):
            Key = 0;
            FindNext();
            break;
        case vkF5:
            Key = 0;
            FindEdit_->clear();
            SelectListItem(ListView_, -1);
            break;
        case vkEscape:
            Key = 0;
            CloseClicked(this);
            break;
        case vkEnter:
            if (FindEdit_->hasFocus() && ListView_) {
                Key = 0;
                ListView_->setFocus(Qt::OtherFocusReason);
            }
            break;
        case vkDelete:
        case vkBackspace:
            hidden = true;
            break;
        default:
            break;
        }
    }
    if (!saved)
        return;
    TNEShortCut nothing = 0;
    saved(hidden ? nothing : Key);
}
