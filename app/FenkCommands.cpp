#include "app/FenkFileDialog.h"
#include "app/FenkGuide.h"
#include "app/FenkList.h"
#include "app/FenkMain.h"
#include "app/FenkProgress.h"
#include "foundation/NLog.h"
#include "store/NRowset.h"
#include "ui/platform/NDesktop.h"

#include <QFileInfo>
#include <QScopeGuard>

template <typename Work> void TFenkForm::RunCommand(Work&& CommandWork)
{
    const auto showState = qScopeGuard([this] {
        UpdateActions();
        UpdateTitle();
        FormActivate();
    });
    CommandWork();
}

template <typename Work> void TFenkForm::RunRowCommand(Work&& RowWork)
{
    RunCommand([&] { Document_.RunRowCommand(RowWork); });
}

template <typename Load> TFenkLoadResult TFenkForm::RunLoad(const QString& FileName, Load&& LoadWork)
{
    // The list shows rows of the document: it is refilled whatever the load did to them, and when the document
    // stayed as it was its current row stays current.
    TNERow* const currentRow = List_->RowOf(List_->FocusedItem());
    TFenkLoadResult result = TFenkLoadResult::Failed;
    const auto showDocument = qScopeGuard([&] {
        ReloadList();
        if (result != TFenkLoadResult::Loaded && currentRow)
            SelectListItem(List_, List_->ItemOf(currentRow));
        UpdateTitle();
    });
    const TFenkProgressDialog progress(*this, Document_,
                                       QStringLiteral("Opening %1").arg(QFileInfo(FileName).fileName()));
    result = LoadWork();
    return result;
}

TFenkLoadResult TFenkForm::LoadFromFile(const QString& FileName, bool IsNew)
{
    return RunLoad(FileName, [&] { return Document_.LoadFromFile(FileName, IsNew); });
}

void TFenkForm::OpenFile(QObject*)
{
    RunCommand([this] {
        if (!Document_.ConfirmDiscardChanges())
            return;
        const QString fileName = ChooseVaultFile(this, false, Document_.FileName());
        if (!fileName.isEmpty())
            LoadFromFile(fileName, false);
    });
}

void TFenkForm::NewFile(QObject*)
{
    RunCommand([this] {
        if (!Document_.ConfirmDiscardChanges())
            return;
        const QString fileName = ChooseVaultFile(this, true, Document_.FileName());
        if (!fileName.isEmpty())
            RunLoad(fileName, [&] { return Document_.NewFile(fileName); });
    });
}

void TFenkForm::ChangeMasterPassword(QObject*)
{
    RunCommand([this] { Document_.ChangeMasterPassword(); });
}

void TFenkForm::CloseFile(QObject*)
{
    RunCommand([this] {
        if (!Document_.CloseFile())
            return;
        // A password copied from the vault goes with it.
        ClearSecretFromClipboard();
        ReloadList();
    });
}

void TFenkForm::SaveFile(QObject*)
{
    RunCommand([this] {
        const TFenkProgressDialog progress(*this, Document_,
                                           QStringLiteral("Saving %1").arg(QFileInfo(Document_.FileName()).fileName()));
        Document_.SaveFile();
    });
}

void TFenkForm::ExitProgram(QObject*)
{
    // The close query asks about unsaved changes, as for every other way of closing the window.
    close();
}

void TFenkForm::CopyPassword(QObject*)
{
    const TNERow* row = List_->RowOf(List_->SelectedItem());
    if (row && List_->PasswordColumn() >= 0)
        CopyTextToClipboard(row->GetString(List_->PasswordColumn()), true);
}

void TFenkForm::InsertRow(QObject*)
{
    RunRowCommand([this] { List_->InsertNewRow(); });
}

void TFenkForm::EditRow(QObject*)
{
    RunRowCommand([this] { List_->EditCurrentRow(); });
}

void TFenkForm::DeleteRow(QObject*)
{
    RunRowCommand([this] {
        if (TNERow* row = List_->RowOf(List_->FocusedItem())) {
            Document_.Store().ReleaseReferences(*row);
            List_->DeleteCurrentRow();
        }
    });
}

void TFenkForm::VisitMakerSite(QObject*)
{
    const QUrl guide = UserGuideUrl();
    if (!OpenWebAddress(guide.toString(QUrl::FullyEncoded)))
        ShowNotice(QStringLiteral("Please visit ") + guide.toString(), mkInformation, true);
}
