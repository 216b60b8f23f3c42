#pragma once

#include "foundation/NCrypt.h"
#include "foundation/NFile.h"
#include "foundation/NMethod.h"
#include "store/NRowset.h"

#include <QScopeGuard>
#include <QString>

#include <cstdint>
#include <optional>

// The rowset of the logins and its columns, in column order.
inline constexpr char16_t LoginRowsetName[] = u"LOGIN";
enum TFenkLoginColumn : int
{
    lcSiteName = 0,
    lcLoginName = 1,
    lcPassword = 2,
    lcNote = 3,
};

// Asks for a master password with a caption, for a new password (typed twice) or the password of an existing file,
// naming the file. An empty answer means the user cancelled; the document zeroes the answer when done with it.
using TFenkPasswordPrompt = TNEMethod<QString(const QString& Caption, bool IsNew, const QString& FileName)>;

// Progress through a vault being read or written; setting Abort cancels the load or save, leaving the document and
// the file as they were.
using TFenkProgress = TNEMethod<void(std::int32_t Position, std::int32_t Total, bool& Abort)>;

// Which of the main window's commands may run now.
struct TFenkCommandStates
{
    bool OpenFile = true;
    bool NewFile = true;
    bool ChangeMasterPassword = false;
    bool CloseFile = false;
    bool SaveFile = false;
    bool ExitProgram = true;
    bool CopyPassword = false;
    bool InsertRow = false;
    bool EditRow = false;
    bool DeleteRow = false;

    friend bool operator==(const TFenkCommandStates&, const TFenkCommandStates&) = default;
};

// How a load ended.
enum class TFenkLoadResult
{
    Loaded,
    Missing,   // no such file; nothing was said
    Cancelled, // no password given or the progress handler aborted; nothing was said
    Failed,    // a warning told why
};

// How a save ended.
enum class TFenkSaveResult
{
    Saved,
    Cancelled, // another program changed the file and the user chose to keep its version; nothing was written
    Failed,    // a warning told why
};

// The vault document: the store of the open vault's logins, the cipher holding the key made from its master
// password, the file name and whether there are unsaved changes. It runs the document's part of the file commands;
// questions and warnings go through the prompt routines and the master password through the caller's prompt, so
// the main window and the command-line tool only add their dialogs or arguments. A file is open exactly when the
// cipher has a key.
class TFenkDocument
{
public:
    explicit TFenkDocument(TFenkPasswordPrompt AskPassword);
    TFenkDocument(const TFenkDocument&) = delete;
    TFenkDocument& operator=(const TFenkDocument&) = delete;

    // The in-memory database of the open file; never replaced, so lists may keep it.
    TNEStore& Store() { return Store_; }
    const TNECrypt& Crypt() const { return Crypt_; }
    // The open file's full path; with no file open the folder the next New or Open starts in ("/" at its end), or
    // empty.
    const QString& FileName() const { return FileName_; }
    bool DocumentModified() const { return DocumentModified_; }

    // Called while a vault is read or written.
    TFenkProgress OnProgress;

    // Empties the store and creates the empty login rowset.
    void BuildSchema();
    // The login rowset; null only when someone else has emptied the store.
    TNERowset* LoginRowset();

    // The file exists on disk, the store holds the schema and the key is set.
    bool IsFileOpen() const;
    // The enabling rule of the file and row commands. Save stays enabled for unsaved changes while the key is set,
    // also when the file has vanished, so that they are not lost.
    TFenkCommandStates EnabledCommands();

    // The folder part of FileName with its trailing "/".
    QString Folder() const;
    // With no file open, makes Folder the starting folder of the next New or Open.
    void SetStartFolder(const QString& Folder);

    // True when there are no unsaved changes or the user agrees to discard them.
    bool ConfirmDiscardChanges();
    // True when there are no unsaved changes or the user agrees to exit without saving them.
    bool ConfirmExit();

    // Opens FileName when it exists (after asking), else creates it empty and opens it with a new master password.
    // The new file is written enciphered (with no rows) as soon as it is unlocked. An empty file made here is
    // removed again when it is not opened; when that first write fails the document closes, the file goes and the
    // failure raises. A file that cannot be created gives the warning "File save error", a name that leads to
    // anything but a regular file "File lock error: Not a regular file".
    TFenkLoadResult NewFile(const QString& FileName);
    // Reads a vault file into the document, asking for its master password ("Unlock File"; IsNew asks for a new one
    // typed twice). Anything but a regular file is refused unread with "File lock error: Not a regular file".
    // Everything that can fail on a bad or foreign file happens in a store of its own before the document is touched:
    // on a warning, a cancel or an abort the document keeps its file, key, rows and modified flag. Only a failure while
    // the rows are copied in closes the document instead of leaving it half loaded.
    TFenkLoadResult LoadFromFile(const QString& FileName, bool IsNew);
    // Saves to FileName after checking it can be written (Failed after warning "File save error"; a vanished file
    // is made anew). When another program has changed the file since it was loaded or last saved, asks "The file was
    // changed by another program. Overwrite it?"; No gives Cancelled. Either way the document stays modified and
    // the file untouched. A failing write raises and leaves the document modified and the previous file intact.
    TFenkSaveResult SaveFile();
    // Writes the rows under the current key to FileName, replacing it whole. Raises ENEInvalidCryptKeyErr without a
    // key and ENEAbort when the progress handler aborts; the file stays as it was on every failure.
    void SaveToFile(const QString& FileName);
    // Forgets the rows and the key after confirming unsaved changes; FileName keeps its folder. False when refused.
    bool CloseFile();
    // Replaces the key with one from a new master password; the file keeps its old password until it is saved.
    // False without an open file or when the prompt was cancelled.
    bool ChangeMasterPassword();

    // Runs a command that may change rows (insert, edit, delete) and marks the document modified when the store
    // changed, also when the command fails halfway. A cancelled or unchanged edit leaves the flag as it was.
    template <typename Command> void RunRowCommand(Command&& RowCommand)
    {
        const std::uint64_t changesBefore = Store_.ChangeCount();
        const auto noteChanges = qScopeGuard([&] {
            if (Store_.ChangeCount() != changesBefore)
                DocumentModified_ = true;
        });
        RowCommand();
    }

private:
    // Forgets the rows and the key without asking.
    void Close();
    // The file no longer holds what was loaded or last saved.
    bool IsChangedOnDisk() const;

    TNEStore Store_;
    TNECrypt Crypt_;
    QString FileName_;
    bool DocumentModified_ = false;
    // What the open file held when it was loaded or last saved.
    std::optional<TNEFileFingerprint> Fingerprint_;
    TFenkPasswordPrompt AskPassword_;
};
