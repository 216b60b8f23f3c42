#pragma once

#include "foundation/NException.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <optional>

// Another process holds a lock on the file (a reader while we save, a writer while we read).
NE_DECLARE_ERROR(ENEFileLockedErr, ENESystemErr, "The file is locked by another process");
// The name leads (also through links) to a folder, a device, a FIFO or a socket: only regular files are read and
// written, since reading a FIFO or a device may block or never end, and replacing one would destroy it.
NE_DECLARE_ERROR(ENENotRegularFileErr, ENESystemErr, "Not a regular file");

// What a file held when it was read or written, to tell later whether another program has changed it since: its
// size, its modification time and a hash of its bytes.
struct TNEFileFingerprint
{
    std::int64_t Size = -1;
    std::int64_t ModifiedNanoseconds = 0;
    QByteArray Hash;

    friend bool operator==(const TNEFileFingerprint&, const TNEFileFingerprint&) = default;
};

// Raises ENENotRegularFileErr when FileName exists and is no regular file; nothing for a missing file.
void RequireRegularFile(const QString& FileName);

// Reads a whole regular file while holding a shared lock on it, so no cooperating writer replaces it halfway, and
// gives its fingerprint when asked. Anything but a regular file raises ENENotRegularFileErr before a byte is read;
// a refused lock raises ENEFileLockedErr; other failures raise ENESystemErr with the system's text.
QByteArray ReadLockedFile(const QString& FileName, TNEFileFingerprint* Fingerprint = nullptr);
// The fingerprint of the file as it is now, read the way ReadLockedFile reads it.
TNEFileFingerprint FingerprintOfFile(const QString& FileName);

// Replaces FileName with the concatenated Parts so that the previous content survives any failure: the existing
// file is locked exclusively, the content goes to a hidden temporary file ".<name>.<random>.tmp" in the same folder,
// is flushed to disk and renamed over the target, and the folder is synced. A temporary file of that exact pattern
// that a killed save of the same file left behind, and that no running save holds, is removed once the new file is
// in place. Returns the fingerprint of the file written.
// A new file gets permissions 0600; a replaced file keeps its permissions. Nothing is written when the target is
// no regular file (ENENotRegularFileErr), is read-only or not writable by the user (ENESystemErr "Permission
// denied") or is locked by another process (ENEFileLockedErr); other failures raise ENESystemErr. Once the file is
// replaced the save has happened: a failing folder sync after that is only logged.
TNEFileFingerprint SaveFileAtomically(const QString& FileName, std::initializer_list<QByteArrayView> Parts);

// The steps of SaveFileAtomically, in order.
enum class TNESaveStep
{
    LockTarget,
    CreateTemporary,
    WriteContent,
    SyncTemporary,
    ReplaceTarget,
    SyncFolder,
};

// Test seam: the next save fails at Step as if the system call there had failed with Error (an I/O error unless
// told otherwise). At WriteContent the first AfterBytes bytes are written before the failure, as on a disk that
// fills up halfway.
void InjectSaveFailure(std::optional<TNESaveStep> Step, int Error = EIO, std::int64_t AfterBytes = 0);

// Test seam: called as each step of a save begins (WriteContent once per chunk written), so a test can stop or
// kill the saving process at a known place. Null for none.
using TNESaveStepObserver = void (*)(TNESaveStep Step);
void ObserveSaveSteps(TNESaveStepObserver Observer);
