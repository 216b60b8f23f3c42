#include "app/FenkFileDialog.h"

#include "foundation/NFileUtilities.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>

namespace {

const QString VaultExtension = QStringLiteral("fkx");

// A vault's name is shown as it was meant before it was made a valid file name.
void ShowVaultCaption(TNELocator&, const TNESearchRec& Entry, QString& Caption, bool&)
{
    if (!Entry.IsFolder() && Entry.Name.toLower().endsWith(u'.' + VaultExtension))
        Caption = PercentDecode(Caption);
}

QString WithSlash(const QString& Folder)
{
    return Folder.endsWith(u'/') ? Folder : Folder + u'/';
}

} // namespace

QString VaultStartFolder(const QString& FileName)
{
    const QString ownFolder = FileName.isEmpty() ? QString() : FileName.left(FileName.lastIndexOf(u'/') + 1);
    if (!ownFolder.isEmpty() && FolderExists(ownFolder))
        return WithSlash(QDir::cleanPath(ownFolder));
    for (const QString& folder :
         {QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()}) {
        if (!folder.isEmpty() && (FolderExists(folder) || QDir().mkpath(folder)))
            return WithSlash(QDir::cleanPath(folder));
    }
    return {};
}

QString ChooseVaultFile(QObject* Owner, bool SaveMode, const QString& FileName)
{
    const QString folder = VaultStartFolder(FileName);
    if (folder.isEmpty())
        return {};
    TNELocator locator(Owner);
    locator.SaveMode = SaveMode;
    locator.Form().setWindowTitle(SaveMode ? QStringLiteral("New Fenk File") : QStringLiteral("Open Fenk File"));
    locator.Form().SetPosition(fpOwnerCentered);
    locator.Form().resize(int(std::lround(DefaultFormWidth() * 0.8)), int(std::lround(DefaultFormHeight() * 0.9)));
    locator.SetSortMode(1);
    locator.OnFilter = TNELocator::TFilterHandler(&ShowVaultCaption);
    locator.SetPath(folder + QStringLiteral("*.") + VaultExtension);
    locator.SetMasks(VaultExtension);
    return locator.Execute();
}
