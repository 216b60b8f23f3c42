// A window with every kind of action client, for looking at them: the file commands as a view, the row commands
// as a tool bar, and a tool strip with a link button; and a window with a list of logins in a list panel. With
// --shot FILE it renders the first window to FILE, the list beside it twice (NAME-list.png with the find bar closed,
// NAME-list-find.png with a search open) and exits.

#include "foundation/NLog.h"
#include "tools/gallery/ListGallery.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NToolStrip.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NForm.h"
#include "ui/platform/NMessageBox.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

// A strip whose filler pushes its last control to the right end.
class TGalleryStrip : public TNEToolStrip
{
public:
    using TNEToolStrip::TNEToolStrip;

    void LayOut() override
    {
        const int count = ControlCount();
        if (count >= 3) {
            int othersWidth = 0;
            for (int i = 0; i < count; ++i)
                othersWidth += StripControls(i)->width() + 1;
            TNEToolStripControl* filler = StripControls(count - 3);
            const int spare = Inner().width() - 2 - (othersWidth - filler->width());
            filler->resize(std::max(8, spare), filler->height());
        }
        ArrangeControls();
    }
};

class TGalleryForm : public TNEForm
{
public:
    TGalleryForm() : TNEForm(nullptr, fkMainWindow)
    {
        setWindowTitle(QStringLiteral("Fenk UI gallery"));
        SetKeyPreview(true);
        OnKeyDown = {this, &TGalleryForm::FormKeyDown};

        Strip_ = std::make_unique<TGalleryStrip>(this);
        Strip_->setGeometry(8, 8, 524, 30);
        Strip_->SetActionLock(&Lock_);
        auto* find = new TNEToolStripButton;
        find->SetGlyph(15);
        find->setToolTip(QStringLiteral("Find"));
        find->OnExecute = {this, &TGalleryForm::Report};
        auto* close = new TNEToolStripButton;
        close->SetGlyph(23);
        close->SetButtonEnabled(false);
        Strip_->AddControl(find);
        Strip_->AddControl(close);
        Strip_->AddControl(new TNEToolStripFiller);
        Strip_->AddControl(new TNEToolStripSplitter);
        Link_ = new TNEToolStripButton;
        Link_->SetGlyph(45);
        Link_->SetCaption(QStringLiteral("Orvendale"));
        Link_->setToolTip(QStringLiteral("Visit Orvendale (F1)"));
        Link_->OnExecute = {this, &TGalleryForm::Report};
        Strip_->AddControl(Link_);

        FileActions_.SetActionLock(&Lock_);
        const TNEActionHandler report{this, &TGalleryForm::Report};
        FileActions_.AddAction(32, QStringLiteral("Open..."), {this, &TGalleryForm::Open}, ShortCut('O', scCtrl),
                               QStringLiteral("Open file"));
        FileActions_.AddAction(7, QStringLiteral("New..."), {this, &TGalleryForm::New}, ShortCut('N', scCtrl),
                               QStringLiteral("New file"));
        FileActions_.AddAction(14, QStringLiteral("Change..."), {this, &TGalleryForm::Change},
                               ShortCut(vkF1 + 1, scCtrl), QStringLiteral("Change master password"));
        FileActions_.AddAction(10, QStringLiteral("C&lose"), {this, &TGalleryForm::Close}, ShortCut(vkDelete, scCtrl),
                               QStringLiteral("Close file"));
        FileActions_.AddAction(33, QStringLiteral("Save"), {this, &TGalleryForm::Save}, ShortCut('S', scCtrl),
                               QStringLiteral("Save file"));
        FileActions_.AddAction(4, QStringLiteral("E&xit"), {this, &TGalleryForm::Exit}, ShortCut(vkEscape),
                               QStringLiteral("Exit the gallery"));
        FilePanel_ = std::make_unique<TNEOutlinePanel>(this);
        FilePanel_->move(8, Strip_->height() + 16);
        View_ = new TNEActionView(FilePanel_.get());
        FileActions_.BuildView(*View_);
        FilePanel_->SetInnerWidth(View_->width());
        FilePanel_->SetClient(View_);
        FileActions_.SetActionEnabled(false, {this, &TGalleryForm::Change});
        FileActions_.SetActionEnabled(false, {this, &TGalleryForm::Save});

        RowActions_.SetActionLock(&Lock_);
        RowActions_.ExcludeAccelerators(FileActions_.CollectAccelerators());
        RowActions_.AddAction(64, QStringLiteral("Copy"), report, ShortCut('C', scCtrl),
                              QStringLiteral("Copy password in the current row to clipboard"));
        RowActions_.AddAction(27, QStringLiteral("Insert..."), report, ShortCut(vkInsert),
                              QStringLiteral("Insert row"));
        RowActions_.AddAction(28, QStringLiteral("Edit..."), {this, &TGalleryForm::Edit}, ShortCut(vkF1 + 1),
                              QStringLiteral("Edit row"));
        RowActions_.AddAction(29, QStringLiteral("Delete"), {this, &TGalleryForm::Delete}, ShortCut(vkDelete),
                              QStringLiteral("Delete row"));
        RowPanel_ = std::make_unique<TNEOutlinePanel>(this);
        RowToolBar_ = new TNEActionToolBar(RowPanel_.get());
        RowActions_.BuildToolBar(*RowToolBar_);
        RowPanel_->setGeometry(FilePanel_->width() + 16, Strip_->height() + 16, RowToolBar_->width() + 2, 0);
        RowPanel_->SetClient(RowToolBar_);
        RowActions_.SetActionEnabled(false, {this, &TGalleryForm::Delete});
        RowToolBar_->UpdateDown(true, {this, &TGalleryForm::Edit});

        resize(540, 260);
        setMinimumSize(400, 200);
    }

    // Shows the hot and focused looks without a mouse or keyboard, for a picture of the window.
    void ShowStates()
    {
        Hover(*View_->Buttons().GetItem(1));
        Hover(*RowToolBar_->Buttons().GetItem(0));
        Hover(*Link_);
        View_->Buttons().GetItem(0)->setFocus();
    }

protected:
    void resizeEvent(QResizeEvent* Event) override
    {
        TNEForm::resizeEvent(Event);
        Strip_->resize(width() - 16, Strip_->height());
        FilePanel_->resize(FilePanel_->width(), height() - Strip_->height() - 24);
        RowPanel_->resize(RowPanel_->width(), FilePanel_->height());
    }

private:
    static void Hover(QWidget& Widget)
    {
        QEnterEvent enter(QPointF(8, 8), QPointF(8, 8), Widget.mapToGlobal(QPointF(8, 8)));
        QApplication::sendEvent(&Widget, &enter);
    }

    void FormKeyDown(TNEShortCut& Key)
    {
        if (FileActions_.ExecuteShortCut(Key) || RowActions_.ExecuteShortCut(Key))
            Key = 0;
    }

    void Report(QObject*) { ShowNotice(QStringLiteral("A command ran."), 0, true); }
    void Open(QObject*)
    {
        FileActions_.SetActionEnabled(true, {this, &TGalleryForm::Change});
        FileActions_.SetActionEnabled(true, {this, &TGalleryForm::Save});
        RowActions_.SetActionEnabled(true, {this, &TGalleryForm::Delete});
    }
    void New(QObject* Sender) { Open(Sender); }
    void Change(QObject* Sender) { Report(Sender); }
    void Close(QObject*)
    {
        FileActions_.SetActionEnabled(false, {this, &TGalleryForm::Change});
        FileActions_.SetActionEnabled(false, {this, &TGalleryForm::Save});
        RowActions_.SetActionEnabled(false, {this, &TGalleryForm::Delete});
    }
    void Save(QObject* Sender) { Report(Sender); }
    void Exit(QObject*) { close(); }
    void Edit(QObject* Sender) { Report(Sender); }
    void Delete(QObject* Sender) { Report(Sender); }

    TNEActionLock Lock_;
    TNEActionController FileActions_;
    TNEActionController RowActions_;
    // Declared after the controllers, so the clients built from them go first.
    std::unique_ptr<TGalleryStrip> Strip_;
    std::unique_ptr<TNEOutlinePanel> FilePanel_;
    std::unique_ptr<TNEOutlinePanel> RowPanel_;
    TNEToolStripButton* Link_;
    TNEActionView* View_;
    TNEActionToolBar* RowToolBar_;
};

} // namespace

int main(int argc, char** argv)
{
    TNEApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Fenk"));
    TNEMessageBoxPresenter presenter;
    InstallPromptPresenter(&presenter);

    QCommandLineParser options;
    options.addHelpOption();
    options.addOption(
        {QStringLiteral("shot"), QStringLiteral("Render the window to <file> and exit."), QStringLiteral("file")});
    options.process(application);

    TListGalleryForm list;
    list.show();
    TGalleryForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    if (!options.isSet(QStringLiteral("shot")))
        return application.exec();

    const QFileInfo file(options.value(QStringLiteral("shot")));
    const QString listShot = file.absolutePath() + u'/' + file.completeBaseName() + QStringLiteral("-list");
    QTimer::singleShot(0, [&] {
        form.ShowStates();
        QDir().mkpath(file.absolutePath());
        bool saved = form.grab().save(file.filePath());
        QApplication::setActiveWindow(&list);
        list.ShowList();
        saved = list.grab().save(listShot + QStringLiteral(".png")) && saved;
        list.ShowSearch();
        saved = list.grab().save(listShot + QStringLiteral("-find.png")) && saved;
        QCoreApplication::exit(saved ? 0 : 1);
    });
    return application.exec();
}
