#include "app/FenkDocument.h"

#include "app/FenkFormat.h"
#include "foundation/NLog.h"
#include "foundation/NStruct.h"
#include "store/NStoreMerger.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QString UnlockCaption = QStringLiteral("Unlock File");
const QString ChangePasswordCaption = QStringLiteral("Change Master Password");
const QString FileSaveError = QStringLiteral("File save error");
const QString FileLoadError = QStringLiteral("File load error: ");
const QString FileLockError = QStringLiteral("File lock error: ");

// Site name, login name, password and a multi-line note, each column as caption, name, kind, maximum length and,
// for the note, the multi-line flag.
QString LoginStructure()
{
    return JoinItems({JoinItems({QStringLiteral("Site name"), QStringLiteral("SITE_NAME"), QStringLiteral("STR"),
                                 QStringLiteral("260")}),
                      JoinItems({QStringLiteral("Login name"), QStringLiteral("LOGIN_NAME"), QStringLiteral("STR"),
                                 QStringLiteral("64")}),
                      JoinItems({QStringLiteral("Password"), QStringLiteral("PASSWORD"), QStringLiteral("STR"),
                                 QStringLiteral("64")}),
                      JoinItems({QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("STR"),
                                 QStringLiteral("2048"), QStringLiteral("1")})});
}

// The master password the prompt hands over, zeroed when done with; empty when the user cancelled.
TNESecureText AskForPassword(const TFenkPasswordPrompt& Prompt, const QString& Caption, bool IsNew,
                             const QString& FileName)
{
    return Prompt ? TNESecureText(Prompt(Caption, IsNew, FileName)) : TNESecureText();
}

// The header and payload of a vault file, or nothing after a warning telling why it cannot be read. A file that
// cannot be opened, locked or read is a "File lock error"; "File load error" is kept for contents that do not load.
std::optional<TFenkFileContent> ReadVaultWithWarnings(const QString& FileName)
{
    try {
        TFenkFileContent content = ReadVaultFile(FileName);
        RequireWholeBlocks(content);
        return content;
    } catch (const ENEFileDamagedErr& error) {
        ShowWarning(FileLoadError + error.Message());
    } catch (const ENESystemErr& error) {
        ShowWarning(FileLockError + error.Message());
    } catch (const ENEFileTypeErr& error) {
        ShowWarning(error.Message());
    } catch (const ENEFileVersionErr& error) {
        ShowWarning(error.Message());
    }
    return std::nullopt;
}

// Creates FileName empty, readable and writable by its owner only; false when it cannot be created.
bool CreateEmptyFile(const QString& FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void RemoveIfEmpty(const QString& FileName)
{
    if (FileExists(FileName) && QFileInfo(FileName).size() == 0)
        QFile::remove(FileName);
}

} // namespace

TFenkDocument::TFenkDocument(TFenkPasswordPrompt AskPassword) : AskPassword_(AskPassword)
{
    BuildSchema();
}

void TFenkDocument::BuildSchema()
{
    Store_.ClearStore();
    Store_.CreateRowset(u"Login", LoginRowsetName, LoginStructure(), rmActive);
}

TNERowset* TFenkDocument::LoginRowset()
{
    return Store_.FindRowset(Store_.FindRowsetID(LoginRowsetName));
}

bool TFenkDocument::IsFileOpen() const
{
    return FileExists(FileName_) && Store_.RowsetCount() > 0 && Crypt_.HasKey();
}

TFenkCommandStates TFenkDocument::EnabledCommands()
{
    const bool isFileOpen = IsFileOpen();
    const TNERowset* logins = LoginRowset();
    const bool hasRows = isFileOpen && logins && logins->RowCount() > 0;
    TFenkCommandStates states;
    states.ChangeMasterPassword = isFileOpen;
    states.CloseFile = isFileOpen;
    states.SaveFile = Crypt_.HasKey() && DocumentModified_;
    states.InsertRow = isFileOpen;
    states.CopyPassword = hasRows;
    states.EditRow = hasRows;
    states.DeleteRow = hasRows;
    return states;
}

QString TFenkDocument::Folder() const
{
    return FileName_.left(FileName_.lastIndexOf(u'/') + 1);
}

void TFenkDocument::SetStartFolder(const QString& Folder)
{
    if (Crypt_.HasKey())
        return;
    FileName_ = Folder.endsWith(u'/') ? Folder : Folder + u'/';
}

bool TFenkDocument::ConfirmDiscardChanges()
{
    return !DocumentModified_ || Confirm(QStringLiteral("Discard changes in current file?"), true, false);
}

bool TFenkDocument::ConfirmExit()
{
    return !DocumentModified_ || Confirm(QStringLiteral("Exit without saving?"), true, false);
}

TFenkLoadResult TFenkDocument::NewFile(const QString& FileName)
{
    try {
        RequireRegularFile(FileName);
    } catch (const ENENotRegularFileErr& error) {
        ShowWarning(FileLockError + error.Message());
        return TFenkLoadResult::Failed;
    }
    if (FileExists(FileName)) {
        if (!Confirm(QStringLiteral("Open existing file?"), true, false))
            return TFenkLoadResult::Cancelled;
        return LoadFromFile(FileName, false);
    }
    if (!CreateEmptyFile(FileName)) {
        ShowWarning(FileSaveError);
        return TFenkLoadResult::Failed;
    }
    // A file nobody unlocked holds nothing worth keeping.
    TFenkLoadResult result = TFenkLoadResult::Failed;
    const auto removeUnopened = qScopeGuard([&] {
        if (result != TFenkLoadResult::Loaded)
            RemoveIfEmpty(FileName);
    });
    result = LoadFromFile(FileName, true);
    if (result != TFenkLoadResult::Loaded)
        return result;
    // An empty file opens with any password: the new vault is enciphered under its master password at once, so
    // that a mistyped password at the next open cannot become the vault's key.
    try {
        SaveToFile(FileName_);
    } catch (...) {
        result = TFenkLoadResult::Failed;
        Close();
        throw;
    }
    return result;
}

TFenkLoadResult TFenkDocument::LoadFromFile(const QString& FileName, bool IsNew)
{
    if (!QFileInfo::exists(FileName))
        return TFenkLoadResult::Missing;
    const QString fullName = QFileInfo(FileName).absoluteFilePath();
    std::optional<TFenkFileContent> content = ReadVaultWithWarnings(fullName);
    if (!content)
        return TFenkLoadResult::Failed;

    TNECrypt crypt;
    {
        const TNESecureText password = AskForPassword(AskPassword_, UnlockCaption, IsNew, fullName);
        if (password.IsEmpty())
            return TFenkLoadResult::Cancelled;
        DecipherPayload(*content, password.Text(), crypt);
    }

    // The file is read into a store of its own, so a bad file or a wrong password never reaches the document.
    const bool isEmptyPayload = content->Payload.IsEmpty();
    TNEStore loaded;
    try {
        const auto burnPayload = qScopeGuard([&] { content->Payload.Burn(); });
        QBuffer device(&content->Payload.Bytes());
        device.open(QIODevice::ReadOnly);
        TNEStoreStreamer streamer;
        streamer.OnProgress = OnProgress;
        streamer.ReadStore(loaded, device);
    } catch (const ENEAbort&) {
        return TFenkLoadResult::Cancelled;
    } catch (const ENEException& error) {
        ShowWarning(FileLoadError + error.Message());
        return TFenkLoadResult::Failed;
    }
    // Deciphering under a wrong key leaves no store element to read.
    if (!isEmptyPayload && loaded.RowsetCount() == 0) {
        ShowWarning(ENEInvalidPasswordErr().Message());
        return TFenkLoadResult::Failed;
    }

    // A merge that failed halfway would leave a partial vault that a save could write over the complete file.
    try {
        BuildSchema();
        TNEStoreMerger().MergeMoving(loaded, Store_);
    } catch (const ENEException& error) {
        Close();
        ShowWarning(FileLoadError + error.Message());
        return TFenkLoadResult::Failed;
    } catch (...) {
        Close();
        throw;
    }
    Crypt_ = std::move(crypt);
    FileName_ = fullName;
    Fingerprint_ = content->Fingerprint;
    DocumentModified_ = false;
    return TFenkLoadResult::Loaded;
}

TFenkSaveResult TFenkDocument::SaveFile()
{
    const bool isRecreated = !QFileInfo::exists(FileName_);
    if (FolderExists(FileName_) || !CanCreateFile(FileName_)) {
        ShowWarning(FileSaveError);
        return TFenkSaveResult::Failed;
    }
    // The empty file the check made for a vanished vault would open with any password.
    const auto removeUnwritten = qScopeGuard([&] {
        if (isRecreated)
            RemoveIfEmpty(FileName_);
    });
    // A vanished file holds nothing to lose; a changed one holds what another program (or another window) saved.
    if (!isRecreated && IsChangedOnDisk() &&
        !Confirm(QStringLiteral("The file was changed by another program. Overwrite it?"), true, false))
        return TFenkSaveResult::Cancelled;
    SaveToFile(FileName_);
    DocumentModified_ = false;
    return TFenkSaveResult::Saved;
}

bool TFenkDocument::IsChangedOnDisk() const
{
    return Fingerprint_ && FingerprintOfFile(FileName_) != *Fingerprint_;
}

void TFenkDocument::SaveToFile(const QString& FileName)
{
    const TNEFileFingerprint written = WriteVaultFile(FileName, Crypt_, [this](QIODevice& Device) {
        TNEStoreStreamer streamer;
        streamer.OnProgress = OnProgress;
        streamer.WriteStore(Store_, Device);
    });
    if (QFileInfo(FileName).absoluteFilePath() == FileName_)
        Fingerprint_ = written;
}

bool TFenkDocument::CloseFile()
{
    if (!ConfirmDiscardChanges())
        return false;
    Close();
    return true;
}

void TFenkDocument::Close()
{
    Crypt_.ClearKey();
    BuildSchema();
    Fingerprint_.reset();
    FileName_ = Folder();
    DocumentModified_ = false;
}

bool TFenkDocument::ChangeMasterPassword()
{
    if (!Crypt_.HasKey())
        return false;
    TNESecureBytes key;
    {
        const TNESecureText password = AskForPassword(AskPassword_, ChangePasswordCaption, true, FileName_);
        if (password.IsEmpty())
            return false;
        key = KeyFromPassword(password.Text());
    }
    Crypt_.SetKey(key.Bytes().constData(), key.Bytes().size());
    DocumentModified_ = true;
    return true;
}
