#include "ui/lists/NFrame.h"

#include "ui/actions/NAction.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NControl.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace {

constexpr int OkGlyph = 5;
constexpr int CancelGlyph = 6;

// The start of a span of Length pulled back so that it ends inside the area, but never before the area's start.
int PullInside(int Start, int Length, int AreaStart, int AreaLength)
{
    const int overshoot = Start + Length - (AreaStart + AreaLength);
    if (overshoot > 0)
        Start -= overshoot;
    return std::max(Start, AreaStart);
}

} // namespace

TNEBaseFrame::TNEBaseFrame(QObject* Owner) : Owner_(Owner), Form_(std::make_unique<TNEForm>(FindHostForm(Owner)))
{
    // A blank dialog window with a close box only, sizeable, at the default place and size.
    Form_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    Form_->setWindowTitle(QString());
    Form_->SetPosition(fpDesigned);
    Form_->move(DefaultFormLeft(), DefaultFormTop());
    Form_->resize(DefaultFormWidth(), DefaultFormHeight());
    // The owner's window takes its child windows down with it; the form goes first, while the frame still owns it
    // (a window announces its destruction before it frees its children).
    if (QWidget* ownerWindow = Form_->parentWidget())
        connect(ownerWindow, &QObject::destroyed, this, [this] { Form_.reset(); });
}

TNEBaseFrame::~TNEBaseFrame() = default;

int TNEBaseFrame::ShowModal()
{
    PositionForm(*Form_, Owner_);
    return Form_->ShowModal();
}

void TNEBaseFrame::SetSmallDialogStyle(QSize ClientSize)
{
    Form_->setFixedSize(ClientSize);
    Form_->setWindowFlag(Qt::WindowStaysOnTopHint);
    Form_->SetPosition(fpOwnerCentered);
}

void TNEBaseFrame::AddOkCancelButtons(std::function<void()> Accept)
{
    OkButton_ = CreateGlyphButton(OkGlyph, QStringLiteral("OK"), Form_.get());
    OkButton_->setAutoDefault(true);
    OkButton_->setDefault(true);
    // A refusal (an entry that does not check out) goes to the application's default handler; the form stays open.
    connect(OkButton_, &QPushButton::clicked, this, [Accept = std::move(Accept)] { RunEventHandler(Accept); });
    CancelButton_ = CreateGlyphButton(CancelGlyph, QStringLiteral("Cancel"), Form_.get());
    connect(CancelButton_, &QPushButton::clicked, Form_.get(), &QDialog::reject);
    // The dialog itself turns Escape and the close box into reject(); Ctrl+Enter needs the key preview.
    Form_->SetKeyPreview(true);
    Form_->OnKeyDown = TNEMethod<void(TNEShortCut&)>(this, &TNEBaseFrame::FormKeyDown);
    PlaceOkCancelButtons();
}

void TNEBaseFrame::PlaceOkCancelButtons()
{
    const int top = Form_->height() - 34;
    OkButton_->move(Form_->width() - 204, top);
    CancelButton_->move(Form_->width() - 102, top);
}

TNEOutlinePanel* TNEBaseFrame::CreateCommandOutline(TNEActionController& Controller, int Margin, TNEActionView*& View)
{
    auto* outline = new TNEOutlinePanel(Form_.get());
    outline->move(Margin, Margin);
    View = new TNEActionView(outline);
    Controller.BuildView(*View);
    outline->SetInnerWidth(View->width());
    outline->SetClient(View);
    return outline;
}

void TNEBaseFrame::FormKeyDown(TNEShortCut& Key)
{
    if (Key != ShortCut(vkEnter, scCtrl) || !OkButton_->isEnabled())
        return;
    Key = 0;
    OkButton_->click();
}

TNEForm* FindHostForm(QObject* Component)
{
    // A widget's parent is its parent widget, so widgets and other objects walk up the same way.
    for (QObject* link = Component; link; link = link->parent()) {
        if (auto* frame = qobject_cast<TNEBaseFrame*>(link))
            return &frame->Form();
        if (auto* form = qobject_cast<TNEForm*>(link))
            return form;
    }
    return nullptr;
}

void PositionForm(QWidget& Form, QObject* Reference)
{
    TNEForm* target = FindHostForm(&Form);
    if (!target || target->Position() != fpDesigned)
        return;
    const TNEForm* host = FindHostForm(Reference);
    if (!host) {
        target->move(DefaultFormLeft(), DefaultFormTop());
        return;
    }
    const QPoint corner = host->mapToGlobal(host->contentsRect().topLeft());
    const QRect work = ScreenMetrics().WorkArea();
    const QSize size = target->frameGeometry().size();
    target->move(PullInside(corner.x(), size.width(), work.left(), work.width()),
                 PullInside(corner.y(), size.height(), work.top(), work.height()));
}

TNEPromptText::TNEPromptText(QObject* Owner) : TNEBaseFrame(Owner)
{
    constexpr int EditWidth = 350;
    SetSmallDialogStyle(QSize(EditWidth + 16, 71));
    Edit_ = new TNEOpaqueEdit(&Form());
    Edit_->setGeometry(8, 8, EditWidth, 21);
    AddOkCancelButtons([this] {
        Accepted_ = true;
        Form().accept();
    });
}

bool TNEPromptText::Execute(QString& Text)
{
    Form().setWindowTitle(Caption);
    Accepted_ = false;
    Edit_->setText(Text);
    Form().SetActiveControl(Edit_);
    ShowModal();
    if (Accepted_)
        Text = Edit_->text();
    return Accepted_;
}
