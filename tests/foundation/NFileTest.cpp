#include "foundation/NFile.h"

#include "tests/support/LockHolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

void WriteFile(const QString& FileName, const QByteArray& Content)
{
    QFile file(FileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Content);
}

QByteArray ReadFile(const QString& FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

mode_t Permissions(const QString& FileName)
{
    struct stat status = {};
    ::stat(QFile::encodeName(FileName).constData(), &status);
    return status.st_mode & 07777;
}

QStringList Entries(const QTemporaryDir& Folder)
{
    return QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden);
}

struct TSaveFolder
{
    QTemporaryDir Folder;
    QString Vault = Folder.filePath(QStringLiteral("vault.fkx"));
};

} // namespace

TEST(NFile, SavingCreatesAPrivateFileAndReplacingKeepsThePermissions)
{
    TSaveFolder save;
    SaveFileAtomically(save.Vault, {"FKX2;", "payload"});
    EXPECT_EQ(ReadLockedFile(save.Vault), QByteArray("FKX2;payload"));
    EXPECT_EQ(Permissions(save.Vault), mode_t(0600));

    ASSERT_EQ(::chmod(QFile::encodeName(save.Vault).constData(), 0640), 0);
    SaveFileAtomically(save.Vault, {"second"});
    EXPECT_EQ(ReadFile(save.Vault), QByteArray("second"));
    EXPECT_EQ(Permissions(save.Vault), mode_t(0640));
    EXPECT_EQ(Entries(save.Folder), QStringList{QStringLiteral("vault.fkx")});

    SaveFileAtomically(save.Vault, {});
    EXPECT_EQ(ReadFile(save.Vault), QByteArray());
}

TEST(NFile, SavingThroughALinkReplacesTheFileItPointsTo)
{
    TSaveFolder save;
    WriteFile(save.Vault, "old");
    const QString link = save.Folder.filePath(QStringLiteral("link.fkx"));
    ASSERT_TRUE(QFile::link(save.Vault, link));
    SaveFileAtomically(link, {"new"});
    EXPECT_EQ(ReadFile(save.Vault), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST(NFile, AFailedSaveLeavesThePreviousFileByteIdentical)
{
    const struct
    {
        TNESaveStep Step;
        const char* Name;
    } steps[] = {
        {TNESaveStep::LockTarget, "lock"},       {TNESaveStep::CreateTemporary, "create temporary"},
        {TNESaveStep::WriteContent, "write"},    {TNESaveStep::SyncTemporary, "sync temporary"},
        {TNESaveStep::ReplaceTarget, "replace"},
    };
    const QByteArray previous("FKX2;\x01\x02\x03previous vault\xff", 23);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        TSaveFolder save;
        WriteFile(save.Vault, previous);
        InjectSaveFailure(step.Step);
        EXPECT_THROW(SaveFileAtomically(save.Vault, {"FKX2;", "replacement"}), ENESystemErr);
        EXPECT_EQ(ReadFile(save.Vault), previous);
        EXPECT_EQ(Entries(save.Folder), QStringList{QStringLiteral("vault.fkx")});

        // The injected failure fires once: the next save goes through.
        SaveFileAtomically(save.Vault, {"next"});
        EXPECT_EQ(ReadFile(save.Vault), QByteArray("next"));
    }
}

TEST(NFile, AFailedFolderSyncIsReportedAfterTheCompleteFileIsInPlace)
{
    TSaveFolder save;
    WriteFile(save.Vault, "previous");
    InjectSaveFailure(TNESaveStep::SyncFolder);
    EXPECT_THROW(SaveFileAtomically(save.Vault, {"replacement"}), ENESystemErr);
    EXPECT_EQ(ReadFile(save.Vault), QByteArray("replacement"));
    EXPECT_EQ(Entries(save.Folder), QStringList{QStringLiteral("vault.fkx")});
}

TEST(NFile, ALockHeldByAnotherProcessRefusesReadingAndSaving)
{
    const struct
    {
        int HeldLock;
        bool CanRead;
    } cases[] = {{LOCK_EX, false}, {LOCK_SH, true}};
    for (const auto& lockCase : cases) {
        SCOPED_TRACE(lockCase.HeldLock == LOCK_EX ? "exclusive" : "shared");
        TSaveFolder save;
        WriteFile(save.Vault, "previous");
        const TLockHolder holder(save.Vault, lockCase.HeldLock);
        if (lockCase.CanRead) {
            EXPECT_EQ(ReadLockedFile(save.Vault), QByteArray("previous"));
        } else {
            try {
                ReadLockedFile(save.Vault);
                ADD_FAILURE() << "read despite the lock";
            } catch (const ENEFileLockedErr& error) {
                EXPECT_EQ(error.Message(), QStringLiteral("The file is locked by another process"));
            }
        }
        try {
            SaveFileAtomically(save.Vault, {"replacement"});
            ADD_FAILURE() << "saved despite the lock";
        } catch (const ENEFileLockedErr& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("The file is locked by another process"));
        }
        EXPECT_EQ(ReadFile(save.Vault), QByteArray("previous"));
        EXPECT_EQ(Entries(save.Folder), QStringList{QStringLiteral("vault.fkx")});
    }
}

TEST(NFile, ReadingAMissingFileCarriesTheSystemsMessage)
{
    TSaveFolder save;
    try {
        ReadLockedFile(save.Vault);
        ADD_FAILURE() << "read a missing file";
    } catch (const ENESystemErr& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("No such file or directory"));
    }
}
