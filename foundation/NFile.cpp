#include "foundation/NFile.h"

#include "foundation/NLog.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The failure a test asked the next save to meet.
struct TInjectedFailure
{
    TNESaveStep Step;
    int Error;
    std::int64_t AfterBytes;
};
std::optional<TInjectedFailure> InjectedSaveFailure;
TNESaveStepObserver SaveStepObserver = nullptr;

// Writes reach the temporary file in chunks of this size, so that a save can be stopped (or fail) partway.
constexpr qsizetype WriteChunkSize = 64 * 1024;

// Raises ENESystemErr with the system's text when a call failed.
void CheckCall(bool Succeeded)
{
    if (!Succeeded)
        throw ENESystemErr::FromErrno();
}

// Raises the injected failure, once.
[[noreturn]] void FailInjected()
{
    errno = InjectedSaveFailure->Error;
    InjectedSaveFailure.reset();
    throw ENESystemErr::FromErrno();
}

// Tells the observer a step begins, and fails it before its system call runs when a test asked for it (the
// content's write fails where its bytes run out).
void BeginStep(TNESaveStep Step)
{
    if (SaveStepObserver)
        SaveStepObserver(Step);
    if (InjectedSaveFailure && InjectedSaveFailure->Step == Step && Step != TNESaveStep::WriteContent)
        FailInjected();
}

// How many of Length bytes the next write may put down before an injected failure of the content's write; -1
// when no failure is due.
qsizetype InjectedWriteLimit(std::int64_t Written, qsizetype Length)
{
    if (!InjectedSaveFailure || InjectedSaveFailure->Step != TNESaveStep::WriteContent)
        return -1;
    return qsizetype(std::clamp<std::int64_t>(InjectedSaveFailure->AfterBytes - Written, 0, Length));
}

// An open file descriptor, closed on destruction (which also releases a flock taken through it).
class TFileDescriptor
{
public:
    explicit TFileDescriptor(int Descriptor) : Descriptor_(Descriptor) {}
    TFileDescriptor(TFileDescriptor&& Other) noexcept : Descriptor_(std::exchange(Other.Descriptor_, -1)) {}
    ~TFileDescriptor()
    {
        if (Descriptor_ >= 0)
            ::close(Descriptor_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(TFileDescriptor&&) = delete;

    int Get() const { return Descriptor_; }
    bool IsOpen() const { return Descriptor_ >= 0; }

    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool Close()
    {
        const int descriptor = Descriptor_;
        Descriptor_ = -1;
        return ::close(descriptor) == 0;
    }

private:
    int Descriptor_;
};

int OpenWithRetry(const QByteArray& Path, int Flags)
{
    int descriptor;
    do
        descriptor = ::open(Path.constData(), Flags | O_CLOEXEC);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

struct stat StatusOf(const TFileDescriptor& File)
{
    struct stat status;
    CheckCall(::fstat(File.Get(), &status) == 0);
    return status;
}

void RequireRegular(const struct stat& Status)
{
    if (!S_ISREG(Status.st_mode))
        throw ENENotRegularFileErr();
}

std::int64_t Nanoseconds(const timespec& Time)
{
    return std::int64_t(Time.tv_sec) * 1000000000 + Time.tv_nsec;
}

// Opens a file for reading; when that fails the descriptor is closed and errno tells why. Non-blocking, so that a
// FIFO put in the file's place since it was looked at cannot hold the open up; once open it is refused, as every
// kind of file but a regular one.
TFileDescriptor OpenRegular(const QByteArray& Path)
{
    TFileDescriptor file(OpenWithRetry(Path, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (file.IsOpen())
        RequireRegular(StatusOf(file));
    return file;
}

// Refuses to replace a file the user may not write: one without any write permission, which is how its owner made
// it read-only (even an administrator, who passes every permission check, must respect that), or one the system
// does not let this user write.
void RequireWritable(const QByteArray& Path, const struct stat& Status)
{
    if ((Status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        throw ENESystemErr::FromErrno();
    }
    CheckCall(::faccessat(AT_FDCWD, Path.constData(), W_OK, AT_EACCESS) == 0);
}

// Takes a non-blocking flock; refused by another holder raises ENEFileLockedErr.
void Lock(const TFileDescriptor& File, int Operation)
{
    int result;
    do
        result = ::flock(File.Get(), Operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK)
        throw ENEFileLockedErr();
    CheckCall(result == 0);
}

// Writes Bytes in chunks; Written counts the bytes of the whole content so far.
void WriteAll(const TFileDescriptor& File, QByteArrayView Bytes, std::int64_t& Written)
{
    const char* data = Bytes.data();
    qsizetype remaining = Bytes.size();
    while (remaining > 0) {
        BeginStep(TNESaveStep::WriteContent);
        qsizetype length = std::min(remaining, WriteChunkSize);
        const qsizetype limit = InjectedWriteLimit(Written, length);
        if (limit == 0)
            FailInjected();
        if (limit > 0)
            length = limit;
        const ssize_t written = ::write(File.Get(), data, std::size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        CheckCall(written > 0);
        data += written;
        remaining -= written;
        Written += written;
    }
}

constexpr char TemporarySuffix[] = ".tmp";
constexpr int TemporarySuffixLength = 4;
constexpr int TemporaryRandomLength = 6;
// The longest name a folder entry may have on the file systems of Linux.
constexpr qsizetype LongestFileName = 255;

// The hidden temporary name of a save of the file named Name (encoded), before its random part: ".<name>.", the
// name shortened when the whole would be too long for a folder entry.
QByteArray TemporaryPrefix(const QByteArray& Name)
{
    const qsizetype room = LongestFileName - 2 - TemporaryRandomLength - TemporarySuffixLength;
    return '.' + Name.left(room) + '.';
}

// The temporary file of a save, locked while it is written so that no other save takes it for one a killed save
// left behind, and removed unless it has been renamed over the target.
class TTemporaryFile
{
public:
    explicit TTemporaryFile(const QFileInfo& Target)
        : Path_(QFile::encodeName(Target.absolutePath()) + '/' + TemporaryPrefix(QFile::encodeName(Target.fileName())) +
                QByteArray(TemporaryRandomLength, 'X') + TemporarySuffix),
          File_(CreateUnique(Path_))
    {
        try {
            Lock(File_, LOCK_EX);
        } catch (...) {
            ::unlink(Path_.constData());
            throw;
        }
    }
    ~TTemporaryFile()
    {
        if (!Path_.isEmpty())
            ::unlink(Path_.constData());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    TFileDescriptor& File() { return File_; }

    void RenameOver(const QByteArray& TargetPath)
    {
        BeginStep(TNESaveStep::ReplaceTarget);
        CheckCall(::rename(Path_.constData(), TargetPath.constData()) == 0);
        Path_.clear();
    }

private:
    // Creates the file from the template, replacing its XXXXXX; on failure the template is cleared so that nothing
    // is removed later.
    static int CreateUnique(QByteArray& PathTemplate)
    {
        BeginStep(TNESaveStep::CreateTemporary);
        const int descriptor = ::mkostemps(PathTemplate.data(), TemporarySuffixLength, O_CLOEXEC);
        if (descriptor < 0) {
            const int error = errno;
            PathTemplate.clear();
            errno = error;
        }
        CheckCall(descriptor >= 0);
        return descriptor;
    }

    QByteArray Path_;
    TFileDescriptor File_;
};

// Whether Name is exactly a temporary name of a save of the file named TargetName (both encoded): the prefix, six
// ASCII letters or digits (what mkostemps draws), ".tmp".
bool IsTemporaryNameOf(QByteArrayView Name, const QByteArray& TargetName)
{
    const QByteArray prefix = TemporaryPrefix(TargetName);
    if (Name.size() != prefix.size() + TemporaryRandomLength + TemporarySuffixLength || !Name.startsWith(prefix) ||
        !Name.endsWith(TemporarySuffix))
        return false;
    const QByteArrayView random = Name.sliced(prefix.size(), TemporaryRandomLength);
    return std::all_of(random.begin(), random.end(), [](char Byte) {
        return (Byte >= '0' && Byte <= '9') || (Byte >= 'A' && Byte <= 'Z') || (Byte >= 'a' && Byte <= 'z');
    });
}

// Removes the temporary files of the target's earlier saves that were killed before they were renamed: regular
// files of the exact pattern that no running save holds locked. Failures are only logged; the save has happened.
void RemoveStaleTemporaries(const QFileInfo& Target)
{
    DIR* listing = ::opendir(QFile::encodeName(Target.absolutePath()).constData());
    if (!listing)
        return;
    const auto closeListing = qScopeGuard([&] { ::closedir(listing); });
    const int folder = ::dirfd(listing);
    const QByteArray targetName = QFile::encodeName(Target.fileName());
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsTemporaryNameOf(entry->d_name, targetName))
            continue;
        const TFileDescriptor candidate(
            ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat status;
        if (!candidate.IsOpen() || ::fstat(candidate.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
            ::flock(candidate.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::unlinkat(folder, entry->d_name, 0) != 0)
            WriteLog(mkError, QStringLiteral("Could not remove the stale temporary file %1: %2")
                                  .arg(QFile::decodeName(entry->d_name), ENESystemErr::FromErrno().Message()));
    }
}

void SyncFolder(const QString& FolderPath)
{
    BeginStep(TNESaveStep::SyncFolder);
    const TFileDescriptor folder(OpenWithRetry(QFile::encodeName(FolderPath), O_RDONLY | O_DIRECTORY));
    CheckCall(folder.IsOpen() && ::fsync(folder.Get()) == 0);
}

} // namespace

void RequireRegularFile(const QString& FileName)
{
    // Looked at before anything opens it: opening a socket fails with a misleading message, and opening a device
    // may have effects of its own.
    struct stat status;
    if (::stat(QFile::encodeName(FileName).constData(), &status) == 0)
        RequireRegular(status);
}

QByteArray ReadLockedFile(const QString& FileName, TNEFileFingerprint* Fingerprint)
{
    RequireRegularFile(FileName);
    const TFileDescriptor file = OpenRegular(QFile::encodeName(FileName));
    CheckCall(file.IsOpen());
    Lock(file, LOCK_SH);
    QByteArray content;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        CheckCall(count >= 0);
        if (count == 0)
            break;
        content.append(chunk, count);
    }
    if (Fingerprint)
        *Fingerprint = {content.size(), Nanoseconds(StatusOf(file).st_mtim),
                        QCryptographicHash::hash(content, QCryptographicHash::Blake2b_256)};
    return content;
}

TNEFileFingerprint FingerprintOfFile(const QString& FileName)
{
    TNEFileFingerprint fingerprint;
    ReadLockedFile(FileName, &fingerprint);
    return fingerprint;
}

TNEFileFingerprint SaveFileAtomically(const QString& FileName, std::initializer_list<QByteArrayView> Parts)
{
    RequireRegularFile(FileName);
    // Saving through a symbolic link replaces the file it points to, not the link.
    const QFileInfo target(FileName);
    const QString targetPath = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
    const QByteArray encodedTarget = QFile::encodeName(targetPath);

    const TFileDescriptor existing = OpenRegular(encodedTarget);
    CheckCall(existing.IsOpen() || errno == ENOENT);
    mode_t permissions = S_IRUSR | S_IWUSR;
    if (existing.IsOpen()) {
        const struct stat status = StatusOf(existing);
        RequireWritable(encodedTarget, status);
        BeginStep(TNESaveStep::LockTarget);
        Lock(existing, LOCK_EX);
        permissions = status.st_mode & 07777;
    }

    const QFileInfo targetInfo(targetPath);
    TTemporaryFile temporary(targetInfo);
    CheckCall(::fchmod(temporary.File().Get(), permissions) == 0);
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    std::int64_t size = 0;
    for (QByteArrayView part : Parts) {
        WriteAll(temporary.File(), part, size);
        hash.addData(part);
    }
    // Nothing to write still meets a failure injected into the write.
    if (InjectedWriteLimit(size, 0) == 0)
        FailInjected();
    BeginStep(TNESaveStep::SyncTemporary);
    CheckCall(::fsync(temporary.File().Get()) == 0);
    const TNEFileFingerprint written{size, Nanoseconds(StatusOf(temporary.File()).st_mtim), hash.result()};
    CheckCall(temporary.File().Close());
    temporary.RenameOver(encodedTarget);
    // The complete new file is in place: the save has happened, and reporting it as failed would tell the user
    // otherwise. Without the folder sync it might only not survive a crash of the whole system.
    try {
        SyncFolder(targetInfo.absolutePath());
    } catch (const ENESystemErr& error) {
        WriteLog(mkError,
                 QStringLiteral("Saved %1, but syncing its folder failed: %2").arg(targetPath, error.Message()));
    }
    RemoveStaleTemporaries(targetInfo);
    return written;
}

void InjectSaveFailure(std::optional<TNESaveStep> Step, int Error, std::int64_t AfterBytes)
{
    if (Step)
        InjectedSaveFailure = TInjectedFailure{*Step, Error, AfterBytes};
    else
        InjectedSaveFailure.reset();
}

void ObserveSaveSteps(TNESaveStepObserver Observer)
{
    SaveStepObserver = Observer;
}
