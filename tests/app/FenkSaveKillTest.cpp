#include "app/FenkDocument.h"
#include "app/FenkFormat.h"
#include "foundation/NFile.h"
#include "foundation/NStruct.h"
#include "store/NStoreStreamer.h"
#include "tests/support/TemporaryFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int LoginCount = 10000;
constexpr int KillCount = 200;
const QString MasterPassword = QStringLiteral("kill test master");

// Where a saving child stops to be killed, and what it tells its parent through memory both share: the step it
// stopped at, the generation it is saving and the last one whose save returned.
struct TSaveProgress
{
    int TargetSave = 0;
    TNESaveStep TargetStep = TNESaveStep::WriteContent;
    int TargetChunk = 0;
    int ChunksWritten = 0;
    int SaveCount = 0;
    std::atomic<int> Step{-1};
    std::atomic<int> Saving{0};
    std::atomic<int> Committed{0};
};

TSaveProgress* SharedProgress = nullptr;

// Stops the child at the place the parent chose; the parent kills it there.
void StopAtTarget(TNESaveStep Step)
{
    TSaveProgress& progress = *SharedProgress;
    if (Step == TNESaveStep::LockTarget) {
        ++progress.SaveCount;
        progress.ChunksWritten = 0;
    }
    if (Step == TNESaveStep::WriteContent)
        ++progress.ChunksWritten;
    if (progress.SaveCount == progress.TargetSave && Step == progress.TargetStep &&
        (Step != TNESaveStep::WriteContent || progress.ChunksWritten == progress.TargetChunk)) {
        progress.Step.store(int(Step));
        ::raise(SIGSTOP);
    }
}

QString NoteOfGeneration(int Generation)
{
    return QStringLiteral("generation %1").arg(Generation);
}

QString PasswordOfRow(int Row)
{
    return QStringLiteral("pw-%1-%2").arg(Row).arg(quint64(Row) * 2654435761u % 1000003u);
}

QString AnswerPassword(const QString&, bool, const QString&)
{
    return MasterPassword;
}

// A vault of LoginCount logins; the first login's note tells the generation saved.
struct TKilledVault
{
    TTemporaryFolder Folder;
    QString FileName = Folder.FilePath(QStringLiteral("vault.fkx"));
    TFenkDocument Document{TFenkPasswordPrompt(&AnswerPassword)};

    TKilledVault()
    {
        EXPECT_EQ(Document.NewFile(FileName), TFenkLoadResult::Loaded);
        Document.RunRowCommand([&] {
            for (int row = 0; row < LoginCount; ++row)
                Document.LoginRowset()->InsertRow(
                    JoinItems({QStringLiteral("site%1.example").arg(row), QStringLiteral("user%1").arg(row),
                               PasswordOfRow(row), row == 0 ? NoteOfGeneration(0) : QString()}));
        });
        Document.SaveToFile(FileName);
    }

    // Saves generation after generation until killed.
    [[noreturn]] void SaveForever(int Generation)
    {
        ObserveSaveSteps(&StopAtTarget);
        try {
            TNERow* first = Document.LoginRowset()->FindRow(0);
            for (;; ++Generation) {
                first->SetString(lcNote, NoteOfGeneration(Generation));
                first->Post();
                SharedProgress->Saving.store(Generation);
                Document.SaveToFile(FileName);
                SharedProgress->Committed.store(Generation);
            }
        } catch (...) {
        }
        ::_exit(1);
    }
};

// The generation the vault holds, or -1 when its rows are not exactly those of one generation.
int GenerationInFile(const QString& FileName)
{
    TFenkFileContent content = ReadVaultFile(FileName);
    TNECrypt crypt;
    DecipherPayload(content, MasterPassword, crypt);
    QBuffer device(&content.Payload.Bytes());
    device.open(QIODevice::ReadOnly);
    TNEStore store;
    TNEStoreStreamer().ReadStore(store, device);
    TNERowset* logins = store.FindRowset(store.FindRowsetID(LoginRowsetName));
    if (!logins || logins->RowCount() != LoginCount)
        return -1;
    int generation = -1;
    TNERowIterator rows(*logins);
    int row = 0;
    for (rows.First(); !rows.IsDone(); rows.Next(), ++row) {
        const TNERow& login = *rows.Current();
        if (login.ID() != row || login.GetString(lcSiteName) != QStringLiteral("site%1.example").arg(row) ||
            login.GetString(lcLoginName) != QStringLiteral("user%1").arg(row) ||
            login.GetString(lcPassword) != PasswordOfRow(row))
            return -1;
        const QString note = login.GetString(lcNote);
        if (row == 0) {
            static const QRegularExpression pattern(QStringLiteral("^generation (\\d+)$"));
            const QRegularExpressionMatch match = pattern.match(note);
            if (!match.hasMatch())
                return -1;
            generation = match.captured(1).toInt();
        } else if (!note.isEmpty()) {
            return -1;
        }
    }
    return generation;
}

// Kills the child once it has stopped where it was told to.
void KillWhenStopped(pid_t Child)
{
    int status = 0;
    ::waitpid(Child, &status, WUNTRACED);
    EXPECT_TRUE(WIFSTOPPED(status)) << "the child ended by itself: " << status;
    ::kill(Child, SIGKILL);
    ::waitpid(Child, &status, 0);
}

} // namespace

// A save killed at any moment leaves the vault with exactly the rows before or after it, and at most the one
// temporary file of the killed save, which the next save removes.
TEST(FenkSaveKill, AVaultSavedAgainAndAgainSurvivesBeingKilledAnywhere)
{
    TKilledVault vault;
    auto* progress = static_cast<TSaveProgress*>(
        ::mmap(nullptr, sizeof(TSaveProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);
    SharedProgress = new (progress) TSaveProgress;

    const TNESaveStep targets[] = {TNESaveStep::WriteContent, TNESaveStep::SyncTemporary, TNESaveStep::ReplaceTarget,
                                   TNESaveStep::SyncFolder};
    const int chunkCount = int(QFileInfo(vault.FileName).size() / (64 * 1024));
    std::map<int, int> killsAtStep;
    int generation = 0;
    QRandomGenerator random(24);
    for (int kill = 0; kill < KillCount && !HasFailure(); ++kill) {
        TSaveProgress& progress = *SharedProgress;
        progress.TargetStep = targets[kill % std::size(targets)];
        progress.TargetChunk = 1 + int(random.bounded(chunkCount));
        // A child is killed in its second save, after a first that removed the temporary file the last one left;
        // or after its first has renamed its file into place, before that removal.
        progress.TargetSave = progress.TargetStep == TNESaveStep::SyncFolder ? 1 + int(random.bounded(2)) : 2;
        progress.SaveCount = 0;
        progress.Step.store(-1);
        progress.Saving.store(generation);
        progress.Committed.store(generation);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            vault.SaveForever(generation + 1);
        KillWhenStopped(child);
        ++killsAtStep[progress.Step.load()];
        const int committed = progress.Committed.load();
        const int saving = progress.Saving.load();

        const QStringList entries =
            QDir(vault.Folder.Path())
                .entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
        ASSERT_TRUE(entries.size() == 1 ||
                    (entries.size() == 2 &&
                     entries.at(0).contains(QRegularExpression(QStringLiteral("^\\.vault\\.fkx\\.\\w{6}\\.tmp$")))))
            << entries.join(u' ').toStdString();
        ASSERT_EQ(entries.last(), QStringLiteral("vault.fkx"));

        const int found = GenerationInFile(vault.FileName);
        ASSERT_TRUE(found == committed || found == saving)
            << "kill " << kill << ": found generation " << found << ", expected " << committed << " or " << saving;
        generation = found;
    }
    ::munmap(progress, sizeof(TSaveProgress));
    for (TNESaveStep step : targets)
        EXPECT_EQ(killsAtStep[int(step)], KillCount / int(std::size(targets))) << "kills at step " << int(step);
}
