#pragma once

#include "foundation/NException.h"

#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <optional>

// Another process holds a lock on the file (a reader while we save, a writer while we read).
NE_DECLARE_ERROR(ENEFileLockedErr, ENESystemErr, "The file is locked by another process");

// Reads a whole file while holding a shared lock on it, so no cooperating writer replaces it halfway. A refused
// lock raises ENEFileLockedErr; other failures raise ENESystemErr with the system's text.
QByteArray ReadLockedFile(const QString& FileName);

// Replaces FileName with the concatenated Parts so that the previous content survives any failure: the existing
// file is locked exclusively, the content goes to a temporary file in the same folder, is flushed to disk and
// renamed over the target, and the folder is synced. A new file gets permissions 0600; a replaced file keeps its
// permissions. A refused lock raises ENEFileLockedErr and writes nothing; other failures raise ENESystemErr.
void SaveFileAtomically(const QString& FileName, std::initializer_list<QByteArrayView> Parts);

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

// Test seam: the next save fails at Step as if the system call there had failed with an I/O error.
void InjectSaveFailure(std::optional<TNESaveStep> Step);
