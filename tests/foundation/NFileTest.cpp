#include "foundation/NFile.h"

#include "foundation/NLog.h"
#include "tests/support/ErrorMessage.h"
#include "tests/support/LockHolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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
        int Error;
        std::int64_t AfterBytes;
        const char* Message;
    } steps[] = {
        {TNESaveStep::LockTarget, EIO, 0, "Input/output error"},
        {TNESaveStep::CreateTemporary, EIO, 0, "Input/output error"},
        {TNESaveStep::WriteContent, EIO, 0, "Input/output error"},
        // A disk that fills up after a part of the content, within the first chunk and after several.
        {TNESaveStep::WriteContent, ENOSPC, 3, "No space left on device"},
        {TNESaveStep::WriteContent, ENOSPC, 150000, "No space left on device"},
        {TNESaveStep::SyncTemporary, EIO, 0, "Input/output error"},
        {TNESaveStep::ReplaceTarget, EIO, 0, "Input/output error"},
    };
    const QByteArray previous("FKX2;\x01\x02\x03previous vault\xff", 23);
    const QByteArray replacement(200000, 'r');
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Message + std::to_string(int(step.Step)) + " after " + std::to_string(step.AfterBytes));
        TSaveFolder save;
        WriteFile(save.Vault, previous);
        InjectSaveFailure(step.Step, step.Error, step.AfterBytes);
        EXPECT_EQ(MessageOf([&] { SaveFileAtomically(save.Vault, {"FKX2;", replacement}); }), step.Message);
        EXPECT_EQ(ReadFile(save.Vault), previous);
        EXPECT_EQ(Entries(save.Folder), QStringList{QStringLiteral("vault.fkx")});

        // The injected failure fires once: the next save goes through.
        SaveFileAtomically(save.Vault, {"next"});
        EXPECT_EQ(ReadFile(save.Vault), QByteArray("next"));
    }
}

namespace {

QStringList SeenTemporaries;

void ListTemporariesAtSync(TNESaveStep Step)
{
    if (Step == TNESaveStep::SyncTemporary)
        SeenTemporaries = QDir(QFileInfo(SeenTemporaries.value(0)).path()).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(NFile, TheTemporaryFileIsHiddenAndAStaleOneOfItsExactPatternGoesWithTheNextSave)
{
    TSaveFolder save;
    WriteFile(save.Vault, "previous");
    SeenTemporaries = {save.Vault};
    ObserveSaveSteps(&ListTemporariesAtSync);
    SaveFileAtomically(save.Vault, {"first"});
    ObserveSaveSteps(nullptr);
    ASSERT_EQ(SeenTemporaries.size(), 2);
    EXPECT_TRUE(SeenTemporaries.at(0).contains(QRegularExpression(u"^\\.vault\\.fkx\\.[A-Za-z0-9]{6}\\.tmp$"_qs)))
        << SeenTemporaries.at(0).toStdString();

    const struct
    {
        const char* Name;
        bool IsRemoved;
    } entries[] = {
        {".vault.fkx.a1B2c3.tmp", true},   {".vault.fkx.a1B2c.tmp", false},  {".vault.fkx.a1B2c3d.tmp", false},
        {".vault.fkx.a1-2c3.tmp", false},  {"vault.fkx.a1B2c3.tmp", false},  {".other.fkx.a1B2c3.tmp", false},
        {".vault.fkx.a1B2c3.tmp~", false}, {".vault.fkx.a1B2c3.TMP", false}, {".vault.fkx.x1B2c3.tmp", false},
        {".vault.fkx.y1B2c3.tmp", false},  {".vault.fkx.z1B2c3.tmp", false},
    };
    for (const auto& entry : entries)
        WriteFile(save.Folder.filePath(QString::fromLatin1(entry.Name)), "stale");
    // One a running save holds, a link of the pattern to a file that is none and a folder of the pattern stay.
    const TLockHolder runningSave(save.Folder.filePath(u".vault.fkx.x1B2c3.tmp"_qs), LOCK_EX);
    QFile::remove(save.Folder.filePath(u".vault.fkx.y1B2c3.tmp"_qs));
    ASSERT_TRUE(QFile::link(save.Folder.filePath(u"vault.fkx.a1B2c3.tmp"_qs),
                            save.Folder.filePath(u".vault.fkx.y1B2c3.tmp"_qs)));
    QFile::remove(save.Folder.filePath(u".vault.fkx.z1B2c3.tmp"_qs));
    ASSERT_TRUE(QDir(save.Folder.path()).mkdir(u".vault.fkx.z1B2c3.tmp"_qs));

    SaveFileAtomically(save.Vault, {"second"});
    EXPECT_EQ(ReadFile(save.Vault), QByteArray("second"));
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.Name);
        EXPECT_EQ(QFileInfo::exists(save.Folder.filePath(QString::fromLatin1(entry.Name))) ||
                      QFileInfo(save.Folder.filePath(QString::fromLatin1(entry.Name))).isSymLink(),
                  !entry.IsRemoved);
    }
}

// The file has been replaced by then: an error would tell the user that the save did not happen.
TEST(NFile, AFailedFolderSyncAfterTheFileIsInPlaceIsLoggedAndTheSaveSucceeds)
{
    TSaveFolder save;
    WriteFile(save.Vault, "previous");
    const QString previousLog = LogFileName();
    const QString log = save.Folder.filePath(QStringLiteral("fenk.log"));
    SetLogFileName(log);
    InjectSaveFailure(TNESaveStep::SyncFolder);
    EXPECT_NO_THROW(SaveFileAtomically(save.Vault, {"replacement"}));
    SetLogFileName(previousLog);
    EXPECT_EQ(ReadFile(save.Vault), QByteArray("replacement"));
    const QString logged = QString::fromUtf8(ReadFile(log));
    EXPECT_TRUE(logged.startsWith(u"Err: ")) << logged.toStdString();
    EXPECT_TRUE(logged.contains(u"syncing its folder failed: Input/output error")) << logged.toStdString();
    EXPECT_EQ(Entries(save.Folder), QStringList({QStringLiteral("fenk.log"), QStringLiteral("vault.fkx")}));
}

TEST(NFile, OnlyRegularFilesAreReadOrReplaced)
{
    TSaveFolder save;
    const auto path = [&](const char* Name) { return save.Folder.filePath(QString::fromLatin1(Name)); };
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("fifo"), path("fifo-link")));
    sockaddr_un address = {AF_UNIX, {}};
    std::strncpy(address.sun_path, QFile::encodeName(path("socket")).constData(), sizeof address.sun_path - 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // A device made here, where replacing it would destroy nothing; only an administrator may make one.
    const bool hasDevice = ::mknod(QFile::encodeName(path("device")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const struct
    {
        QString FileName;
        bool MaySave;
    } kinds[] = {{save.Folder.path(), true}, {path("fifo"), true},        {path("fifo-link"), true},
                 {path("socket"), true},     {path("device"), hasDevice}, {u"/dev/zero"_qs, false}};
    const QStringList entries = Entries(save.Folder);
    for (const auto& kind : kinds) {
        if (!QFileInfo(kind.FileName).exists() && !QFileInfo(kind.FileName).isSymLink())
            continue;
        SCOPED_TRACE(kind.FileName.toStdString());
        try {
            ReadLockedFile(kind.FileName);
            ADD_FAILURE() << "read";
        } catch (const ENENotRegularFileErr& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Not a regular file"));
        }
        if (kind.MaySave) {
            EXPECT_THROW(SaveFileAtomically(kind.FileName, {"vault"}), ENENotRegularFileErr);
        }
        EXPECT_EQ(Entries(save.Folder), entries) << "nothing was written beside it";
        EXPECT_FALSE(QFileInfo(kind.FileName).isFile());
    }
    ::close(socket);
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
